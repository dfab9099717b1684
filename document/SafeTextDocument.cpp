#include "SafeTextDocument.h"

#include <QCoreApplication>
#include <QFile>
#include <QPixmap>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QThread>

SafeTextDocument::SafeTextDocument(QObject *pParent)
    : QTextDocument(pParent)
{
}

SafeTextDocument *SafeTextDocument::CopyOf(const QTextDocument *pSource, QObject *pParent)
{
    auto *pCopy = new SafeTextDocument(pParent);
    QTextCursor cursor(pCopy);
    if (pSource->isEmpty()) {
        const QTextCursor source(const_cast<QTextDocument *>(pSource));
        cursor.setBlockFormat(source.blockFormat());
        cursor.setBlockCharFormat(source.blockCharFormat());
    } else {
        cursor.insertFragment(QTextDocumentFragment(pSource));
    }
    pCopy->rootFrame()->setFrameFormat(pSource->rootFrame()->frameFormat());
    pCopy->setMetaInformation(DocumentTitle, pSource->metaInformation(DocumentTitle));
    pCopy->setPageSize(pSource->pageSize());
    pCopy->setIndentWidth(pSource->indentWidth());
    pCopy->setDefaultTextOption(pSource->defaultTextOption());
    pCopy->setDefaultFont(pSource->defaultFont());
    pCopy->setDefaultStyleSheet(pSource->defaultStyleSheet());
    pCopy->setTextWidth(pSource->textWidth());
    return pCopy;
}

QVariant SafeTextDocument::Resource(const QUrl &name)
{
    QString path;
    if (name.scheme() == QLatin1String("qrc"))
        path = QLatin1Char(':') + name.path();
    else if (name.scheme().isEmpty() && name.path().startsWith(QLatin1String(":/")))
        path = name.path();
    if (path.isEmpty())
        return QVariant();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QVariant();
    return file.readAll();
}

QVariant SafeTextDocument::loadResource(int iType, const QUrl &name)
{
    const QByteArray bytes = Resource(name).toByteArray();
    QVariant resource;
    if (iType == ImageResource) {
        // Never a null image: the text engine would then try to load the
        // name as a file itself. A name from elsewhere draws nothing.
        QImage image;
        if (!image.loadFromData(bytes)) {
            image = QImage(1, 1, QImage::Format_ARGB32);
            image.fill(Qt::transparent);
        }
        if (QThread::currentThread() == qApp->thread())
            resource = QPixmap::fromImage(image);
        else
            resource = image;
    } else if (iType == StyleSheetResource) {
        resource = QString::fromUtf8(bytes);
    } else {
        resource = bytes;
    }
    addResource(iType, name, resource);
    return resource;
}
