// Dialog chrome: dragged by its title only; the dock title bar lets presses through.
#include "CQDialog.h"
#include "CQTitleBar.h"
#include "TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QtTest>

namespace {

void sendMouse(QWidget *target, QEvent::Type type, QPoint local, QPoint global)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(local), QPointF(global), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

class TestChrome : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        cqtest::isolateSettings();
    }

    void dialogDragsByTitleOnly()
    {
        CQDialog dialog;
        dialog.setTitle(QStringLiteral("Levels"));
        dialog.resize(300, 200);
        dialog.move(100, 120);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QPoint start = dialog.pos();
        QLabel *title = dialog.titleLabel();

        sendMouse(title, QEvent::MouseButtonPress, QPoint(10, 10), QPoint(500, 500));
        sendMouse(title, QEvent::MouseMove, QPoint(47, -11), QPoint(537, 479));
        sendMouse(title, QEvent::MouseMove, QPoint(50, 0), QPoint(540, 490));
        sendMouse(title, QEvent::MouseButtonRelease, QPoint(50, 0), QPoint(540, 490));
        QTRY_COMPARE(dialog.pos(), start + QPoint(40, -10));

        // Presses on the body, and moves after the release, do not move it.
        const QPoint after = dialog.pos();
        sendMouse(&dialog, QEvent::MouseButtonPress, QPoint(150, 150), QPoint(700, 700));
        sendMouse(&dialog, QEvent::MouseMove, QPoint(200, 180), QPoint(750, 730));
        sendMouse(&dialog, QEvent::MouseButtonRelease, QPoint(200, 180), QPoint(750, 730));
        QTest::qWait(50);
        QCOMPARE(dialog.pos(), after);
    }

    void titleBarPressFallsThrough()
    {
        QWidget dock;
        dock.resize(237, 300);
        auto *bar = new CQTitleBar(&dock);

        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        press.accept();
        QApplication::sendEvent(bar, &press);
        QVERIFY2(!press.isAccepted(), "the press must reach the dock widget underneath");
    }
};

QTEST_MAIN(TestChrome)
#include "tst_chrome.moc"
