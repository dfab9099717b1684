#include "TextBounds.h"

#include "SafeTextDocument.h"

namespace TextBounds {

namespace {

QString tooMany(const QString &what, int iMax)
{
    return QStringLiteral("more %1 than a text layer may hold (%2)").arg(what).arg(iMax);
}

} // namespace

bool Fits(const QString &cleanHtml, QString *pWhat)
{
    // The sanitiser writes every tag in lower case and escapes every other
    // '<', so counting start tags needs no parser; this runs before the
    // text engine, whose own reading of a huge table is slow already.
    int iElements = 0, iItems = 0, iCells = 0;
    const qsizetype n = cleanHtml.size();
    for (qsizetype i = cleanHtml.indexOf(QLatin1Char('<')); i >= 0 && i + 1 < n;
         i = cleanHtml.indexOf(QLatin1Char('<'), i + 1)) {
        const QStringView tag = QStringView(cleanHtml).mid(i + 1, 3);
        if (!tag.isEmpty() && tag[0].isLetter())
            ++iElements;
        if (tag.startsWith(QLatin1String("li")) && (tag.size() < 3 || !tag[2].isLetterOrNumber()))
            ++iItems;
        else if ((tag.startsWith(QLatin1String("td")) || tag.startsWith(QLatin1String("th")))
                 && (tag.size() < 3 || !tag[2].isLetterOrNumber()))
            ++iCells;
    }
    if (iElements > kMaxElements) {
        *pWhat = tooMany(QStringLiteral("elements"), kMaxElements);
        return false;
    }
    if (iItems > kMaxListItems) {
        *pWhat = tooMany(QStringLiteral("list items"), kMaxListItems);
        return false;
    }
    if (iCells > kMaxTableCells) {
        *pWhat = tooMany(QStringLiteral("table cells"), kMaxTableCells);
        return false;
    }
    // Blocks also come from line breaks in preformatted text, which only the
    // engine's own reading tells; with the counts above bounded it is quick.
    SafeTextDocument document;
    document.setHtml(cleanHtml);
    if (document.blockCount() > kMaxBlocks) {
        *pWhat = tooMany(QStringLiteral("paragraphs"), kMaxBlocks);
        return false;
    }
    return true;
}

} // namespace TextBounds
