#include "CssSanitizer.h"
#include "HtmlSanitizer.h"

#include <QStringList>

#include <cctype>

namespace CssSanitizer {

namespace {

// Whether any plain number in the text is above the limit (hex colours do
// not count).
bool hasNumberAbove(QStringView text, int iLimit)
{
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == QLatin1Char('#')) {
            ++i;
            while (i < text.size() && text[i].unicode() < 128 && std::isxdigit(text[i].toLatin1()))
                ++i;
            continue;
        }
        if (!text[i].isDigit()) {
            ++i;
            continue;
        }
        qint64 value = 0;
        while (i < text.size() && text[i].isDigit()) {
            value = qMin<qint64>(value * 10 + text[i].digitValue(), qint64(1) << 40);
            ++i;
        }
        if (value > iLimit)
            return true;
    }
    return false;
}

QString withoutComments(const QString &css)
{
    QString out;
    out.reserve(css.size());
    for (qsizetype i = 0; i < css.size();) {
        if (css[i] == QLatin1Char('/') && i + 1 < css.size() && css[i + 1] == QLatin1Char('*')) {
            const qsizetype end = css.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0)
                break;
            i = end + 2;
            continue;
        }
        out += css[i++];
    }
    return out;
}

bool blockedProperty(const QString &property)
{
    for (QChar c : property)
        if (!(c.isLower() || c.isDigit() || c == QLatin1Char('-')) || c.unicode() > 127)
            return true;
    return property.isEmpty() || property.contains(QLatin1String("image")) || property == QLatin1String("background")
           || property == QLatin1String("content") || property == QLatin1String("behavior")
           || property == QLatin1String("list-style") || property.contains(QLatin1String("src"));
}

bool blockedValue(const QString &property, const QString &value)
{
    const QString lower = value.toLower();
    for (const char *word : {"url", "\\", "@", "expression", "script", "<", ">", "{", "}", "&"})
        if (lower.contains(QLatin1String(word)))
            return true;
    // Indents count in steps of many pixels each.
    const int iLimit = property.contains(QLatin1String("indent")) && property.startsWith(QLatin1String("-qt-")) ? 64
                                                                                                              : HtmlSanitizer::kMaxNumber;
    return hasNumberAbove(value, iLimit);
}

// Splits at semicolons outside quotes.
QStringList declarations(const QString &text)
{
    QStringList parts;
    QString current;
    QChar quote;
    for (QChar c : text) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            parts << current;
            current.clear();
            continue;
        }
        current += c;
    }
    parts << current;
    return parts;
}

} // namespace

QString CleanDeclarations(const QString &text)
{
    QString out;
    for (const QString &declaration : declarations(withoutComments(text))) {
        const qsizetype colon = declaration.indexOf(QLatin1Char(':'));
        if (colon < 0)
            continue;
        const QString property = declaration.left(colon).trimmed().toLower();
        const QString value = declaration.mid(colon + 1).trimmed();
        if (value.isEmpty() || blockedProperty(property) || blockedValue(property, value))
            continue;
        if (!out.isEmpty())
            out += QLatin1Char(' ');
        out += property + QLatin1Char(':') + value + QLatin1Char(';');
    }
    return out;
}

// The rules of a style element, each with its declarations cleaned; at-rules
// and selectors with unusual characters are dropped with their blocks.
QString CleanSheet(const QString &sheet)
{
    const QString css = withoutComments(sheet);
    QString out;
    qsizetype i = 0;
    while (i < css.size()) {
        const qsizetype open = css.indexOf(QLatin1Char('{'), i);
        if (open < 0)
            break;
        const QString selector = css.mid(i, open - i).trimmed();
        // The block's end, counting nested braces.
        int depth = 0, deepest = 0;
        qsizetype close = open;
        for (; close < css.size(); ++close) {
            if (css[close] == QLatin1Char('{'))
                deepest = qMax(deepest, ++depth);
            else if (css[close] == QLatin1Char('}') && --depth == 0)
                break;
        }
        bool bPlain = !selector.isEmpty();
        for (QChar c : selector)
            if (!(c.isLetterOrNumber() || c.isSpace() || QStringLiteral(",.:#*>_-").contains(c)) || c.unicode() > 127)
                bPlain = false;
        if (bPlain && deepest == 1 && depth == 0) {
            const QString body = CleanDeclarations(css.mid(open + 1, close - open - 1));
            if (!body.isEmpty())
                out += selector + QStringLiteral(" { ") + body + QStringLiteral(" }\n");
        }
        i = close + 1;
    }
    return out;
}

} // namespace CssSanitizer
