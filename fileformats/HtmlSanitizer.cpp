#include "HtmlSanitizer.h"
#include "CssSanitizer.h"

#include <QList>
#include <QSet>

namespace HtmlSanitizer {

namespace {

using Names = QSet<QString>;

const Names &keptElements()
{
    static const Names names = {
        "html", "head", "body", "p", "span", "div", "b", "strong", "i", "em", "u", "s", "strike", "del", "ins",
        "sub", "sup", "small", "big", "font", "code", "tt", "kbd", "samp", "var", "cite", "dfn", "pre",
        "blockquote", "center", "h1", "h2", "h3", "h4", "h5", "h6", "ul", "ol", "li", "dl", "dt", "dd", "table",
        "thead", "tbody", "tfoot", "tr", "td", "th", "caption", "nobr", "address", "q", "a", "colgroup"};
    return names;
}

// Elements without content; of these only br, hr, meta and col are written.
const Names &voidElements()
{
    static const Names names = {"br", "hr", "meta", "img", "link", "input", "col", "base", "area", "wbr",
                                "param", "source", "embed", "basefont", "isindex", "frame", "keygen", "track"};
    return names;
}

// Elements whose content is not text to show, or not parsed as markup.
const Names &droppedWithContent()
{
    static const Names names = {"script", "title", "textarea", "xmp", "iframe", "object", "applet", "noscript",
                                "template", "svg", "math", "select", "button", "frameset", "noframes"};
    return names;
}

const Names &tableParts()
{
    static const Names names = {"thead", "tbody", "tfoot", "tr", "td", "th", "caption", "col", "colgroup"};
    return names;
}

const Names &numericAttributes()
{
    static const Names names = {"width", "height", "colspan", "rowspan", "cellspacing", "cellpadding",
                                "border", "size", "start", "value"};
    return names;
}

const Names &plainAttributes()
{
    static const Names names = {"align", "valign", "dir", "class", "color", "face", "bgcolor", "type"};
    return names;
}

// Character references in attribute values, decoded as the text engine
// decodes them before it reads the value.
QString decodeEntities(QStringView text)
{
    static const QList<QPair<QString, char32_t>> named = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0}};
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        // A reference is short: the search for its end stops within a few
        // characters, so a run of bare ampersands costs no more than text.
        const qsizetype found = text[i] == QLatin1Char('&') ? text.mid(i, 13).indexOf(QLatin1Char(';')) : -1;
        const qsizetype semi = found < 0 ? -1 : i + found;
        if (semi < 0) {
            out += text[i];
            continue;
        }
        const QStringView name = text.mid(i + 1, semi - i - 1);
        char32_t code = 0;
        bool bOk = false;
        if (name.startsWith(QLatin1Char('#'))) {
            const bool bHex = name.size() > 1 && (name[1] == QLatin1Char('x') || name[1] == QLatin1Char('X'));
            code = name.mid(bHex ? 2 : 1).toUInt(&bOk, bHex ? 16 : 10);
            bOk = bOk && code > 0 && code <= 0x10FFFF;
        } else {
            for (const auto &entry : named)
                if (name.compare(entry.first, Qt::CaseInsensitive) == 0) {
                    code = entry.second;
                    bOk = true;
                }
        }
        if (!bOk) {
            out += text[i];
            continue;
        }
        out += QString::fromUcs4(&code, 1);
        i = semi;
    }
    return out;
}

QString escaped(QString value)
{
    value.replace(QLatin1Char('&'), QLatin1String("&amp;"));
    value.replace(QLatin1Char('"'), QLatin1String("&quot;"));
    value.replace(QLatin1Char('<'), QLatin1String("&lt;"));
    value.replace(QLatin1Char('>'), QLatin1String("&gt;"));
    return value;
}

bool numberFits(const QString &value)
{
    const QString digits = value.trimmed();
    qsizetype n = 0;
    while (n < digits.size() && digits[n].isDigit())
        ++n;
    return n > 0 && n <= 5 && digits.left(n).toInt() <= kMaxNumber;
}

struct Attribute {
    QString name;
    QString value;
};

struct Open {
    QString name;
    bool bKept;
    bool bInKeptTable; // what is inside it belongs to a kept table
};

// One pass over the markup: a tag at a time, a stack of open elements.
class Cleaner {
public:
    explicit Cleaner(const QString &html) : m_in(html) { m_out.reserve(html.size()); }

    QString Run()
    {
        while (m_pos < m_in.size()) {
            const qsizetype lt = m_in.indexOf(QLatin1Char('<'), m_pos);
            const qsizetype textEnd = lt < 0 ? m_in.size() : lt;
            if (m_skipDepth == 0)
                m_out += QStringView(m_in).mid(m_pos, textEnd - m_pos);
            m_pos = textEnd;
            if (lt >= 0)
                Markup();
        }
        while (!m_stack.isEmpty())
            Pop();
        return m_out;
    }

private:
    QChar At(qsizetype i) const { return i < m_in.size() ? m_in[i] : QChar(); }

    void Markup()
    {
        const QChar next = At(m_pos + 1);
        if (QStringView(m_in).mid(m_pos, 4) == QLatin1String("<!--")) {
            const qsizetype end = m_in.indexOf(QLatin1String("-->"), m_pos + 4);
            m_pos = end < 0 ? m_in.size() : end + 3;
        } else if (next == QLatin1Char('!') || next == QLatin1Char('?')) {
            const qsizetype end = m_in.indexOf(QLatin1Char('>'), m_pos);
            m_pos = end < 0 ? m_in.size() : end + 1;
        } else if (next.isLetter() || (next == QLatin1Char('/') && At(m_pos + 2).isLetter())) {
            Tag();
        } else {
            if (m_skipDepth == 0)
                m_out += QLatin1String("&lt;");
            ++m_pos;
        }
    }

    QString Name()
    {
        QString name;
        for (; m_pos < m_in.size() && (m_in[m_pos].isLetterOrNumber() || m_in[m_pos] == QLatin1Char('-')); ++m_pos)
            name += m_in[m_pos].toLower();
        return name;
    }

    void SkipSpace()
    {
        while (m_pos < m_in.size() && m_in[m_pos].isSpace())
            ++m_pos;
    }

    void Tag()
    {
        ++m_pos; // '<'
        const bool bEnd = m_in[m_pos] == QLatin1Char('/');
        if (bEnd)
            ++m_pos;
        const QString name = Name();
        QList<Attribute> attributes;
        bool bSelfClosing = false;
        for (;;) {
            SkipSpace();
            if (m_pos >= m_in.size())
                return; // an unfinished tag at the end is dropped
            const QChar c = m_in[m_pos];
            if (c == QLatin1Char('>')) {
                ++m_pos;
                break;
            }
            if (c == QLatin1Char('/')) {
                bSelfClosing = true;
                ++m_pos;
                continue;
            }
            bSelfClosing = false;
            const qsizetype start = m_pos;
            while (m_pos < m_in.size() && !m_in[m_pos].isSpace() && m_in[m_pos] != QLatin1Char('=')
                   && m_in[m_pos] != QLatin1Char('>') && m_in[m_pos] != QLatin1Char('/'))
                ++m_pos;
            Attribute attribute{m_in.mid(start, m_pos - start).toLower(), QString()};
            if (m_pos == start)
                ++m_pos; // a stray character
            SkipSpace();
            if (At(m_pos) == QLatin1Char('=')) {
                ++m_pos;
                SkipSpace();
                attribute.value = Value();
            }
            attributes.append(attribute);
        }
        if (bEnd)
            EndTag(name);
        else
            StartTag(name, attributes, bSelfClosing);
    }

    QString Value()
    {
        const QChar quote = At(m_pos);
        if (quote == QLatin1Char('"') || quote == QLatin1Char('\'')) {
            const qsizetype end = m_in.indexOf(quote, m_pos + 1);
            const qsizetype stop = end < 0 ? m_in.size() : end;
            const QString value = m_in.mid(m_pos + 1, stop - m_pos - 1);
            m_pos = end < 0 ? m_in.size() : end + 1;
            return decodeEntities(value);
        }
        const qsizetype start = m_pos;
        while (m_pos < m_in.size() && !m_in[m_pos].isSpace() && m_in[m_pos] != QLatin1Char('>'))
            ++m_pos;
        return decodeEntities(QStringView(m_in).mid(start, m_pos - start));
    }

    // Skips the text of an element that is dropped with its content.
    void SkipRawText(const QString &name)
    {
        const qsizetype end = m_in.indexOf(QLatin1String("</") + name, m_pos, Qt::CaseInsensitive);
        const qsizetype close = end < 0 ? -1 : m_in.indexOf(QLatin1Char('>'), end);
        m_pos = close < 0 ? m_in.size() : close + 1;
    }

    void StartTag(const QString &name, const QList<Attribute> &attributes, bool bSelfClosing)
    {
        if (m_skipDepth > 0) {
            if (name == m_skipName && !bSelfClosing)
                ++m_skipDepth;
            return;
        }
        if (name == QLatin1String("style") || name == QLatin1String("script") || name == QLatin1String("title")
            || name == QLatin1String("textarea") || name == QLatin1String("xmp")) {
            const qsizetype start = m_pos;
            SkipRawText(name);
            const qsizetype end = m_in.lastIndexOf(QLatin1String("</"), m_pos);
            if (name == QLatin1String("style") && m_iKept < kMaxDepth && end >= start) {
                const QString sheet = CssSanitizer::CleanSheet(m_in.mid(start, end - start));
                if (!sheet.isEmpty())
                    m_out += QStringLiteral("<style type=\"text/css\">\n") + sheet + QStringLiteral("</style>");
            }
            return;
        }
        if (droppedWithContent().contains(name)) {
            if (!bSelfClosing) {
                m_skipName = name;
                m_skipDepth = 1;
            }
            return;
        }
        if (voidElements().contains(name)) {
            if (name == QLatin1String("br") || name == QLatin1String("hr")
                || (name == QLatin1String("col") && InKeptTable()))
                m_out += QLatin1Char('<') + name + Attributes(name, attributes) + QStringLiteral(" />");
            else if (name == QLatin1String("meta"))
                Meta(attributes);
            return;
        }
        bool bKept = keptElements().contains(name) && m_iKept < kMaxDepth;
        if (name == QLatin1String("table"))
            bKept = bKept && m_iTables < kMaxTableDepth;
        else if (tableParts().contains(name))
            bKept = bKept && InKeptTable();
        const bool bPushed = m_stack.size() < kMaxStack;
        if (bPushed)
            m_stack.append({name, bKept, name == QLatin1String("table") ? bKept : InKeptTable()});
        else
            bKept = false;
        if (bKept) {
            m_out += QLatin1Char('<') + name + Attributes(name, attributes) + QLatin1Char('>');
            ++m_iKept;
            if (name == QLatin1String("table"))
                ++m_iTables;
        }
        if (bSelfClosing && bPushed)
            Pop();
    }

    void EndTag(const QString &name)
    {
        if (m_skipDepth > 0) {
            if (name == m_skipName)
                --m_skipDepth;
            return;
        }
        // Only the innermost few are searched, so that a flood of stray end
        // tags costs nothing much.
        const qsizetype lowest = qMax<qsizetype>(0, m_stack.size() - 64);
        for (qsizetype i = m_stack.size() - 1; i >= lowest; --i) {
            if (m_stack[i].name != name)
                continue;
            while (m_stack.size() > i)
                Pop();
            return;
        }
    }

    void Pop()
    {
        const Open top = m_stack.takeLast();
        if (!top.bKept)
            return;
        m_out += QStringLiteral("</") + top.name + QLatin1Char('>');
        --m_iKept;
        if (top.name == QLatin1String("table"))
            --m_iTables;
    }

    // Whether the nearest table around here is one that was kept.
    bool InKeptTable() const { return !m_stack.isEmpty() && m_stack.last().bInKeptTable; }

    void Meta(const QList<Attribute> &attributes)
    {
        QString name, content;
        for (const Attribute &a : attributes) {
            if (a.name == QLatin1String("name"))
                name = a.value;
            else if (a.name == QLatin1String("content"))
                content = a.value;
            else if (a.name == QLatin1String("charset"))
                m_out += QStringLiteral("<meta charset=\"utf-8\" />");
        }
        // The marker that tells the engine the text is its own rich text.
        if (name == QLatin1String("qrichtext") && content == QLatin1String("1"))
            m_out += QStringLiteral("<meta name=\"qrichtext\" content=\"1\" />");
    }

    QString Attributes(const QString &element, const QList<Attribute> &attributes) const
    {
        QString out;
        for (const Attribute &a : attributes) {
            QString value = a.value;
            if (a.name == QLatin1String("style")) {
                value = CssSanitizer::CleanDeclarations(value);
                if (value.isEmpty())
                    continue;
            } else if (numericAttributes().contains(a.name)) {
                if (!numberFits(value))
                    continue;
            } else if (!plainAttributes().contains(a.name) || element == QLatin1String("a")) {
                continue;
            } else if (value.contains(QLatin1String("url"), Qt::CaseInsensitive) || value.contains(QLatin1Char('\\'))
                       || value.contains(QLatin1Char(':')) || value.size() > 256) {
                continue;
            }
            out += QLatin1Char(' ') + a.name + QStringLiteral("=\"") + escaped(value) + QLatin1Char('"');
        }
        return out;
    }

    static constexpr qsizetype kMaxStack = 1024;

    const QString &m_in;
    qsizetype m_pos = 0;
    QString m_out;
    QList<Open> m_stack;
    int m_iKept = 0;   // kept elements open
    int m_iTables = 0; // kept tables open
    QString m_skipName;
    int m_skipDepth = 0;
};

} // namespace

bool Clean(const QString &html, QString *pOut)
{
    if (html.size() > kMaxLength)
        return false;
    *pOut = Cleaner(html).Run();
    return true;
}

} // namespace HtmlSanitizer
