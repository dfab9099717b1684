// Rich text from outside: the sanitiser keeps what the text engine itself
// writes, flattens hostile nesting, drops everything that could fetch a
// resource, and no text document reads a local file even when asked to.
#include "CssSanitizer.h"
#include "HtmlSanitizer.h"
#include "SafeTextDocument.h"
#include "TestSupport.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QtTest>

namespace {

QString clean(const QString &html)
{
    QString out;
    if (!HtmlSanitizer::Clean(html, &out))
        return QStringLiteral("<refused>");
    return out;
}

QString nested(const QString &open, const QString &close, int depth)
{
    return open.repeated(depth) + QStringLiteral("deep text") + close.repeated(depth);
}

// A document's pixels, for telling whether an image was drawn into it.
QImage render(QTextDocument &document)
{
    document.setTextWidth(200);
    QImage image = cqtest::filledImage(200, 200, Qt::white);
    QPainter painter(&image);
    document.drawContents(&painter);
    return image;
}

int redPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == qRgb(255, 0, 0);
    return count;
}

} // namespace

class TestRichText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The engine reads its own HTML for formatted text, lists and a table
    // the same with and without the sanitiser in between.
    void ownHtmlSurvives()
    {
        QTextDocument document;
        QTextCursor cursor(&document);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        bold.setForeground(QColor(10, 20, 30));
        bold.setFontPointSize(30);
        cursor.insertText(QStringLiteral("Hello  <world> & \"friends\""), bold);
        cursor.insertBlock();
        QTextCharFormat other;
        other.setFontItalic(true);
        other.setFontFamilies({QStringLiteral("DejaVu Sans")});
        other.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        other.setBackground(Qt::yellow);
        cursor.insertText(QStringLiteral("second \u00e9\u4e2d"), other);
        QTextBlockFormat centred;
        centred.setAlignment(Qt::AlignHCenter);
        cursor.insertBlock(centred);
        cursor.insertText(QStringLiteral("centred"));
        cursor.insertList(QTextListFormat::ListDecimal);
        cursor.insertText(QStringLiteral("item"));
        cursor.insertBlock();
        cursor.insertTable(2, 2)->cellAt(1, 1).firstCursorPosition().insertText(QStringLiteral("cell"));

        const QString html = document.toHtml();
        QTextDocument direct, cleaned;
        direct.setHtml(html);
        cleaned.setHtml(clean(html));
        QCOMPARE(cleaned.toHtml(), direct.toHtml());
    }

    void hostileNestingIsFlattened_data()
    {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("element");
        QTest::addColumn<int>("kept");
        QTest::newRow("3000 tables") << nested("<table><tr><td>", "</td></tr></table>", 3000) << "<table" << 3;
        QTest::newRow("20 tables") << nested("<table><tr><td>", "</td></tr></table>", 20) << "<table" << 3;
        QTest::newRow("unclosed tables") << QStringLiteral("<table><tr><td>").repeated(3000) + "deep text" << "<table" << 3;
        QTest::newRow("3000 divs") << nested("<div>", "</div>", 3000) << "<div" << HtmlSanitizer::kMaxDepth;
        QTest::newRow("3000 lists") << nested("<ul><li>", "</li></ul>", 3000) << "<ul" << HtmlSanitizer::kMaxDepth / 2;
        QTest::newRow("stray closers") << QStringLiteral("</div>").repeated(5000) + "deep text" << "<div" << 0;
    }
    // Bounded depth, the text kept, and the engine lays it out.
    void hostileNestingIsFlattened()
    {
        QFETCH(QString, html);
        QFETCH(QString, element);
        QFETCH(int, kept);
        const QString out = clean(html);
        QCOMPARE(int(out.count(element)), kept);
        QTextDocument document;
        document.setHtml(out);
        document.setTextWidth(300);
        QVERIFY(document.size().height() > 0);
        QVERIFY(document.toPlainText().contains(QStringLiteral("deep text")));
    }

    void resourcesAreDropped_data()
    {
        QTest::addColumn<QString>("html");
        QTest::newRow("image") << "<p>a<img src=\"/some/local/file.png\" width=10>b</p>";
        QTest::newRow("image, odd case") << "<IMG SRC='file:///some/local/file.png'>";
        QTest::newRow("style sheet link") << "<link rel=\"stylesheet\" href=\"/some/local/file.css\">x";
        QTest::newRow("import") << "<style>@import url(/some/local/file.css); p { color: red; }</style>x";
        QTest::newRow("background attribute") << "<table background=\"/some/local/file.png\"><tr><td>x</td></tr></table>";
        QTest::newRow("background style") << "<p style=\"background-image: url('/some/local/file.png')\">x</p>";
        QTest::newRow("escaped url") << "<p style=\"background-image: &#117;rl(/some/local/file.png)\">x</p>";
        QTest::newRow("css escape") << "<style>p { background-image: \\75 rl(/some/local/file.png) }</style>x";
        QTest::newRow("commented url") << "<p style=\"background-image: u/**/rl(/some/local/file.png)\">x</p>";
        QTest::newRow("link") << "<a href=\"file:///some/local/file.png\">x</a>";
        QTest::newRow("object") << "<object data=\"/some/local/file.png\">x</object>";
    }
    void resourcesAreDropped()
    {
        QFETCH(QString, html);
        const QString out = clean(html);
        QVERIFY2(!out.contains(QStringLiteral("/some/local/file")), qPrintable(out));
        QVERIFY2(!out.contains(QStringLiteral("url"), Qt::CaseInsensitive), qPrintable(out));
    }

    // Sizes that would make layout take minutes or memory are dropped;
    // ordinary ones stay.
    void hugeSizesAreDropped()
    {
        const QString out = clean(QStringLiteral(
            "<p style=\"font-size:100000pt; color:#102030; margin-left:12px; -qt-block-indent:100000\">x</p>"
            "<table width=\"999999\" cellpadding=\"3\"><tr><td>y</td></tr></table>"));
        QVERIFY(!out.contains(QStringLiteral("100000")));
        QVERIFY(!out.contains(QStringLiteral("999999")));
        QVERIFY(out.contains(QStringLiteral("color:#102030;")));
        QVERIFY(out.contains(QStringLiteral("margin-left:12px;")));
        QVERIFY(out.contains(QStringLiteral("cellpadding=\"3\"")));
        QCOMPARE(CssSanitizer::CleanDeclarations(QStringLiteral("font-family:'a;b'; content:\"x\"")),
                 QStringLiteral("font-family:'a;b';"));
    }

    void textAndEntitiesKept()
    {
        QTextDocument document;
        document.setHtml(clean(QStringLiteral("1 < 2 &amp; 3 &gt; 2 <b>bold</b> <!-- gone --> <script>alert(1)</script>end")));
        QCOMPARE(document.toPlainText(), QStringLiteral("1 < 2 & 3 > 2 bold end"));
    }

    void overLongTextRefused()
    {
        QString out = QStringLiteral("untouched");
        QVERIFY(!HtmlSanitizer::Clean(QString(HtmlSanitizer::kMaxLength + 1, QLatin1Char('x')), &out));
        QCOMPARE(out, QStringLiteral("untouched"));
        QVERIFY(HtmlSanitizer::Clean(QString(HtmlSanitizer::kMaxLength, QLatin1Char('x')), &out));
    }

    // Even unsanitised text never reads a local file: the image named is a
    // red square that the plain document draws and the safe one must not,
    // nor a copy of it. The program's own resources still load.
    void safeDocumentReadsNoLocalFiles()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("red.png"));
        QImage red(40, 40, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(path));
        const QString html =
            QStringLiteral("<p><img src=\"%1\"><img src=\"file://%1\"></p><p style=\"background-image:url(%1)\">x</p>")
                .arg(path);

        QTextDocument plain;
        plain.setHtml(html);
        QVERIFY(redPixels(render(plain)) > 0);

        SafeTextDocument document;
        document.setHtml(html);
        QCOMPARE(redPixels(render(document)), 0);
        QVERIFY(!SafeTextDocument::Resource(QUrl::fromLocalFile(path)).isValid());
        std::unique_ptr<SafeTextDocument> pCopy(SafeTextDocument::CopyOf(&document));
        QCOMPARE(redPixels(render(*pCopy)), 0);
        QCOMPARE(pCopy->toHtml(), document.toHtml());
        // A plain document that has not drawn its image yet: the copy never reads it.
        QTextDocument unread;
        unread.setHtml(QStringLiteral("<img src=\"%1\">").arg(path));
        pCopy.reset(SafeTextDocument::CopyOf(&unread));
        QCOMPARE(redPixels(render(*pCopy)), 0);

        QVERIFY(!SafeTextDocument::Resource(QUrl(QStringLiteral("qrc:/icons/arrow_up.png"))).toByteArray().isEmpty());
        SafeTextDocument icon;
        icon.setHtml(QStringLiteral("<img src=\":/icons/arrow_up.png\">"));
        QVERIFY(icon.resource(QTextDocument::ImageResource, QUrl(QStringLiteral(":/icons/arrow_up.png"))).isValid());
    }
};

QTEST_MAIN(TestRichText)
#include "tst_richtext.moc"
