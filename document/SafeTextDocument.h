#pragma once
#include <QTextDocument>

// A text document that never fetches anything from outside the program:
// images and style sheets its text names (img, link, url(), background)
// come only from the program's own resources. A local file, a network
// address or a relative path yields nothing, so text from someone else's
// document or from the clipboard cannot make the editor read the user's
// files. (The plain QTextDocument reads any local file a name points to.)
class SafeTextDocument : public QTextDocument {
    Q_OBJECT
public:
    explicit SafeTextDocument(QObject *pParent = nullptr);

    // A safe copy of another document: its content, formats and settings,
    // as QTextDocument::clone copies them.
    static SafeTextDocument *CopyOf(const QTextDocument *pSource, QObject *pParent = nullptr);

    // The bytes of a resource of the program's own; invalid for any other name.
    static QVariant Resource(const QUrl &name);

protected:
    QVariant loadResource(int iType, const QUrl &name) override;
};
