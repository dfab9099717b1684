// The history panel: the route to the current undo stack and the source of
// undo command ids.
#include "UndoDlg.h"
#include "TestSupport.h"

#include <QMainWindow>
#include <QUndoStack>
#include <QUndoView>
#include <QtTest>

namespace {

struct CountingCmd : QUndoCommand {
    CountingCmd(int *pRedos, int *pUndos) : QUndoCommand(QStringLiteral("Count")), m_redos(pRedos), m_undos(pUndos) {}
    void redo() override { ++*m_redos; }
    void undo() override { ++*m_undos; }
    int *m_redos;
    int *m_undos;
};

} // namespace

class TestUndoDlg : public QObject
{
    Q_OBJECT
private slots:
    void commandIdsAreDistinct();
    void singletonKeepsItsFirstParent();
    void pushGoesToTheViewsStack();
    void viewFollowsResize();
    void cleanupTestCase() { delete m_window; }

private:
    QMainWindow *m_window = nullptr;
};

void TestUndoDlg::commandIdsAreDistinct()
{
    int previous = UndoDlg::NextCommandId();
    QVERIFY(previous > 0);
    for (int i = 0; i < 50; ++i) {
        const int id = UndoDlg::NextCommandId();
        QCOMPARE(id, previous + 100);
        previous = id;
    }
}

void TestUndoDlg::singletonKeepsItsFirstParent()
{
    m_window = new QMainWindow;
    UndoDlg *panel = UndoDlg::instance(m_window);
    QCOMPARE(UndoDlg::instance(), panel);
    QMainWindow other;
    QCOMPARE(UndoDlg::instance(&other), panel);
    QCOMPARE(panel->parentWidget(), m_window);
}

void TestUndoDlg::pushGoesToTheViewsStack()
{
    UndoDlg *panel = UndoDlg::instance();
    int redos = 0, undos = 0;
    panel->setStack(nullptr);
    QVERIFY(!panel->Push(new CountingCmd(&redos, &undos)));
    QCOMPARE(redos, 0);

    QUndoStack first, second;
    panel->setStack(&first);
    QCOMPARE(panel->undoView()->stack(), &first);
    QVERIFY(panel->Push(new CountingCmd(&redos, &undos)));
    QCOMPARE(first.count(), 1);
    QCOMPARE(redos, 1); // pushing runs the first redo

    // A document becoming current hands its stack over; pushes follow it.
    panel->setStack(&second);
    QVERIFY(panel->Push(new CountingCmd(&redos, &undos)));
    QVERIFY(panel->Push(new CountingCmd(&redos, &undos)));
    QCOMPARE(second.count(), 2);
    QCOMPARE(first.count(), 1);
    second.undo();
    QCOMPARE(undos, 1);
    panel->setStack(nullptr);
}

void TestUndoDlg::viewFollowsResize()
{
    UndoDlg *panel = UndoDlg::instance();
    panel->setFloating(true);
    panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel));
    panel->resize(300, 240);
    QTRY_COMPARE(panel->size(), QSize(300, 240));
    QCOMPARE(panel->undoView()->geometry(), QRect(0, 32, 300, 190));
    panel->hide();
}

QTEST_MAIN(TestUndoDlg)
#include "tst_undodlg.moc"
