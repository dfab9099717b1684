// The text tool through real clicks and key strokes: a new layer typed into,
// restyled and recorded so that undo and redo bring back the same rich text;
// style changes that touch only their own property and only the selection;
// the size box in step with the size; an empty layer's fate; options kept
// in the settings.
#include "ColorPicker.h"
#include "TextLayer.h"
#include "TextTool.h"
#include "ToolTestSupport.h"
#include "ToolboxDlg.h"

#include <QComboBox>
#include <QFontComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>

using namespace cqtest;

class TestTextTool : public QObject {
    Q_OBJECT
    MainWindow *m_pMain = nullptr;
    QTemporaryDir m_scratch;

    TextTool *tool() { return toolOf<TextTool>(m_pMain, ToolSet::Text); }
    QComboBox *sizeBox()
    {
        for (QComboBox *pBox : m_pMain->OptionBar()->findChildren<QComboBox *>())
            if (!qobject_cast<QFontComboBox *>(pBox))
                return pBox;
        return nullptr;
    }
    QToolButton *styleButton(const QString &tip)
    {
        for (QToolButton *pButton : m_pMain->OptionBar()->findChildren<QToolButton *>())
            if (pButton->toolTip() == tip)
                return pButton;
        return nullptr;
    }
    void type(ChildWindow *pWindow, const QString &text)
    {
        QTest::keyClicks(pWindow->view()->viewport(), text);
    }
    // The character format of the character at a position (1-based after it).
    static QTextCharFormat formatAt(TextLayer *pLayer, int iPosition)
    {
        QTextCursor cursor(pLayer->document());
        cursor.setPosition(iPosition);
        return cursor.charFormat();
    }
    // The font a character is drawn in (what its format leaves open comes
    // from the layer's own font).
    static QFont fontAt(TextLayer *pLayer, int iPosition)
    {
        return formatAt(pLayer, iPosition).font().resolve(pLayer->QGraphicsTextItem::font());
    }
    void chooseSize(int iSize) { sizeBox()->setCurrentIndex(sizeBox()->findText(QString::number(iSize))); }
    // A document to type on, the text tool chosen.
    ChildWindow *blankDocument()
    {
        ChildWindow *pWindow = documentWith(m_pMain, patternImage(200, 120, 31, false));
        m_pMain->toolbox()->Select(ToolSet::Text);
        return pWindow;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_pMain = startMainWindow(m_scratch.path())); }
    void cleanup() { endToolCase(m_pMain); }

    void createTypeRestyleUndoRedo()
    {
        ChildWindow *pWindow = blankDocument();
        QUndoStack *pStack = pWindow->undoStack();
        const int entries = pStack->count();
        click(pWindow, QPointF(20, 15));
        TextLayer *pLayer = tool()->EditLayer();
        QVERIFY(pLayer);
        QCOMPARE(pWindow->document()->CurrentLayer(), static_cast<Layer *>(pLayer));
        QCOMPARE(pLayer->pos(), QPointF(20, 15));
        QCOMPARE(pStack->count(), entries + 1);
        const QString empty = pLayer->document()->toHtml();
        type(pWindow, QStringLiteral("Hello"));
        QCOMPARE(pLayer->toPlainText(), QStringLiteral("Hello"));
        QCOMPARE(pLayer->name(), QStringLiteral("Hello"));
        styleButton(QStringLiteral("bold"))->click();
        for (int i = 1; i <= 5; ++i)
            QCOMPARE(formatAt(pLayer, i).fontWeight(), int(QFont::Bold));
        // Clicking away ends the editing: one step for the whole of it.
        click(pWindow, QPointF(150, 100));
        QVERIFY(!tool()->EditLayer());
        QCOMPARE(pStack->count(), entries + 2);
        QCOMPARE(pStack->undoText(), QStringLiteral("Text Edit"));
        const QString typed = pLayer->document()->toHtml();
        pStack->undo();
        QCOMPARE(pLayer->document()->toHtml(), empty);
        pStack->redo();
        QCOMPARE(pLayer->document()->toHtml(), typed);
        QVERIFY(!pLayer->isDeleted());
        // Typing again after the first editing leaves the name alone.
        click(pWindow, QPointF(22, 18));
        QCOMPARE(tool()->EditLayer(), pLayer);
        QVERIFY(styleButton(QStringLiteral("bold"))->isChecked()); // the layer's format is shown
        type(pWindow, QStringLiteral("!"));
        QCOMPARE(pLayer->name(), QStringLiteral("Hello"));
    }

    void styleChangesTouchOnlyTheirPropertyAndSelection()
    {
        ChildWindow *pWindow = blankDocument();
        chooseSize(20);
        click(pWindow, QPointF(10, 10));
        TextLayer *pLayer = tool()->EditLayer();
        type(pWindow, QStringLiteral("Hello World"));
        const QString family = fontAt(pLayer, 1).family();
        // "World" selected from the keyboard.
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(pWindow->view()->viewport(), Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(pLayer->textCursor().selectedText(), QStringLiteral("World"));
        styleButton(QStringLiteral("italic"))->click();
        m_pMain->colorPanel()->SetColor(QColor(200, 0, 0));
        for (int i = 1; i <= 11; ++i) {
            const QTextCharFormat format = formatAt(pLayer, i);
            const bool inWorld = i > 6;
            QCOMPARE(format.fontItalic(), inWorld);
            QCOMPARE(fontAt(pLayer, i).pointSize(), 20);
            QCOMPARE(fontAt(pLayer, i).family(), family);
            if (inWorld)
                QCOMPARE(format.foreground().color(), QColor(200, 0, 0));
            else
                QVERIFY(format.foreground().color() != QColor(200, 0, 0));
        }
        // Without a selection a size applies to all the text and nothing else.
        QTextCursor cursor = pLayer->textCursor();
        cursor.clearSelection();
        pLayer->setTextCursor(cursor);
        chooseSize(30);
        for (int i = 1; i <= 11; ++i) {
            QCOMPARE(fontAt(pLayer, i).pointSize(), 30);
            QCOMPARE(formatAt(pLayer, i).fontItalic(), i > 6);
        }
    }

    void sizeBoxAndSizeAgree()
    {
        ChildWindow *pWindow = blankDocument();
        click(pWindow, QPointF(10, 10));
        TextLayer *pLayer = tool()->EditLayer();
        type(pWindow, QStringLiteral("Size"));
        // A size the list does not hold, typed in.
        QLineEdit *pEdit = sizeBox()->lineEdit();
        pEdit->selectAll();
        QTest::keyClicks(pEdit, QStringLiteral("17"));
        QTest::keyClick(pEdit, Qt::Key_Return);
        QCOMPARE(tool()->PointSize(), 17);
        QCOMPARE(sizeBox()->currentText(), QStringLiteral("17"));
        QCOMPARE(fontAt(pLayer, 2).pointSize(), 17);
        QCOMPARE(tool()->GetFont().pointSize(), 17);
        // The wheel goes on to the neighbouring entries.
        tool()->MouseWheel(120, pWindow);
        QCOMPARE(sizeBox()->currentText(), QStringLiteral("20"));
        QCOMPARE(fontAt(pLayer, 2).pointSize(), 20);
        tool()->MouseWheel(-120, pWindow);
        QCOMPARE(sizeBox()->currentText(), QStringLiteral("15"));
        // Opening a layer whose size is not an entry shows that size.
        QTextCursor all(pLayer->document());
        all.select(QTextCursor::Document);
        QTextCharFormat format;
        format.setFontPointSize(24);
        all.mergeCharFormat(format);
        click(pWindow, QPointF(150, 100)); // away
        click(pWindow, QPointF(12, 12));   // back onto the layer
        QCOMPARE(tool()->EditLayer(), pLayer);
        QCOMPARE(sizeBox()->currentText(), QStringLiteral("24"));
        QCOMPARE(tool()->PointSize(), 24);
        // Opening it wrote nothing back.
        QCOMPARE(fontAt(pLayer, 2).pointSize(), 24);
    }

    void emptyLayerFate()
    {
        ChildWindow *pWindow = blankDocument();
        QUndoStack *pStack = pWindow->undoStack();
        const int layers = pWindow->CountLayers();
        // Left empty and clicked away from: it goes, as an undo step.
        click(pWindow, QPointF(30, 30));
        TextLayer *pEmpty = tool()->EditLayer();
        click(pWindow, QPointF(150, 90));
        QVERIFY(pEmpty->isDeleted());
        QCOMPARE(pWindow->CountLayers(), layers);
        QVERIFY(pStack->undoText().startsWith(QStringLiteral("Delete Layer")));
        pStack->undo();
        QVERIFY(!pEmpty->isDeleted());
        pStack->redo();
        // A click from one text layer straight onto another keeps the first.
        click(pWindow, QPointF(10, 60));
        TextLayer *pFirst = tool()->EditLayer();
        type(pWindow, QStringLiteral("first"));
        click(pWindow, QPointF(150, 90));
        click(pWindow, QPointF(100, 20));
        TextLayer *pSecond = tool()->EditLayer();
        QVERIFY(pSecond && pSecond != pFirst);
        click(pWindow, QPointF(12, 62));
        QCOMPARE(tool()->EditLayer(), pFirst);
        QVERIFY(!pSecond->isDeleted());
        // Changing tools ends the editing without deleting, empty or not.
        click(pWindow, QPointF(150, 90));
        click(pWindow, QPointF(60, 100));
        TextLayer *pThird = tool()->EditLayer();
        m_pMain->toolbox()->Select(ToolSet::Brush);
        QVERIFY(!pThird->isDeleted());
        QCOMPARE(pThird->textInteractionFlags(), Qt::NoTextInteraction);
    }

    void optionsPersist()
    {
        ChildWindow *pWindow = blankDocument();
        auto *pFontBox = m_pMain->OptionBar()->findChild<QFontComboBox *>();
        QVERIFY(pFontBox && pFontBox->count() > 1);
        pFontBox->setCurrentIndex(pFontBox->count() - 1);
        const QString family = pFontBox->currentFont().family();
        chooseSize(35);
        m_pMain->toolbox()->Select(ToolSet::Brush);
        QSettings settings;
        QCOMPARE(settings.value(QStringLiteral("textToolFontSize")).toInt(), 35);
        QCOMPARE(settings.value(QStringLiteral("textToolFontName")).toString(), family);
        m_pMain->toolbox()->Select(ToolSet::Text);
        QCOMPARE(sizeBox()->currentText(), QStringLiteral("35"));
        // The same face (an alias such as "Serif" may come back by its real name).
        QCOMPARE(QFontInfo(m_pMain->OptionBar()->findChild<QFontComboBox *>()->currentFont()).family(),
                 QFontInfo(QFont(family)).family());
        // New text takes them.
        click(pWindow, QPointF(40, 40));
        type(pWindow, QStringLiteral("x"));
        QCOMPARE(fontAt(tool()->EditLayer(), 1).pointSize(), 35);
    }
};

QTEST_MAIN(TestTextTool)
#include "tst_texttool.moc"
