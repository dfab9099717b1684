#pragma once
#include "BaseTool.h"

#include <QFont>
#include <QPointer>

class QComboBox;
class QFontComboBox;
class QLabel;
class QTextCharFormat;
class QToolButton;
class TextLayer;

// Creates text layers and opens existing ones for editing: a click on empty
// canvas starts a new layer ready for typing, a click on a text layer edits
// it and shows its formatting, a click away ends the editing (a layer left
// empty goes, as an undo step). A change of font, size, style or colour
// applies only that property, to the selected text or to all of it. The
// font and size persist in the settings.
class TextTool : public BaseTool {
    Q_OBJECT
public:
    explicit TextTool(ToolContext &context, QObject *pParent = nullptr);

    void Activate() override;
    void Deactivate() override;
    void FinishGesture() override;
    QCursor GetCursor() const override;

    // The font the options describe (family, point size and styles).
    QFont GetFont() const;
    // Shows a size in the size box; the tool's size follows it.
    void SetFontSize(int iSize);
    // Sets the options from the layer being edited, writing nothing back.
    void ShowLayerFormat();
    TextLayer *EditLayer() const;
    int PointSize() const { return m_iPointSize; }

public Q_SLOTS:
    void MousePosUpdate(int x, int y, ChildWindow *pWindow) override;
    void MousePress(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys, ChildWindow *pWindow) override;
    void MouseRelease(Qt::MouseButtons buttons, QPoint point, Qt::KeyboardModifiers keys,
                      ChildWindow *pWindow) override;
    void MouseWheel(int iDelta, ChildWindow *pWindow) override;
    void KeyPress(QKeyEvent *pEvent) override;
    void FontSizeChanged(const QString &text);
    void CurrentFontChanged(const QFont &font);
    void BoldToggled(bool bChecked);
    void ItalicToggled(bool bChecked);
    void StrikeoutToggled(bool bChecked);
    void UnderlineToggled(bool bChecked);
    void ColorChanged(const QColor &color);

private:
    void Apply(const QTextCharFormat &format);
    void StartEditing(TextLayer *pLayer);
    void EndEditing();
    QToolButton *MakeStyleButton(const QString &icon, const QString &tip, void (TextTool::*slot)(bool));

    // Reads at 100 % on pictures of ordinary size.
    int m_iPointSize = 24;
    QString m_family = QStringLiteral("Times New Roman");
    QPointer<QFontComboBox> m_pFontBox;
    QPointer<QComboBox> m_pSizeBox;
    QPointer<QToolButton> m_pBold;
    QPointer<QToolButton> m_pItalic;
    QPointer<QToolButton> m_pStrikeout;
    QPointer<QToolButton> m_pUnderline;
    QPointer<TextLayer> m_pEditLayer;
    QPointer<QWidget> m_pSwatch;
    bool m_bUpdating = false;
    QMetaObject::Connection m_colorConnection;
};
