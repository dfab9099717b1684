// Dialog chrome, title strip and fading notifications.
#include "CQDialog.h"
#include "CQTitleBar.h"
#include "PopupNotify.h"
#include "TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
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
    void initTestCase();
    void popupsFadeInWaitAndDeleteThemselves();

    void dialogDragsByTitleOnly();

    void titleBarPressFallsThrough();
};

void TestChrome::initTestCase()
{
    cqtest::isolateSettings();
}

void TestChrome::popupsFadeInWaitAndDeleteThemselves()
{
    QWidget parent;
    parent.resize(400, 300);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    QPointer<PopupNotify> popup = new PopupNotify(QStringLiteral("Undo Paintbrush - Layer 1"), &parent, 900);
    QPointer<PopupNotify> brief = new PopupNotify(QStringLiteral("Redo"), &parent, 50);
    QVERIFY(popup->isVisible());
    QCOMPARE(popup->size(), popup->preferredSize());
    // Centred over the parent (within the rounding of an odd size).
    const QPoint offset = popup->geometry().center() - parent.rect().center();
    QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1, "popup is not centred");
    // The fade-in starts from transparent; each popup keeps its own time.
    QVERIFY(popup->opacity() < 0.5);
    QTRY_VERIFY_WITH_TIMEOUT(brief.isNull(), 3000);
    QVERIFY2(popup, "the longer popup went with the brief one");
    QTRY_VERIFY_WITH_TIMEOUT(popup.isNull() || popup->opacity() == 1.0, 2000);
    QVERIFY(popup);
    QTRY_VERIFY_WITH_TIMEOUT(popup.isNull(), 3000);

    // Without text: no size, and it still goes.
    QPointer<PopupNotify> empty = new PopupNotify(QString(), &parent, 100);
    QCOMPARE(empty->size(), QSize(0, 0));
    QTRY_VERIFY_WITH_TIMEOUT(empty.isNull(), 3000);
}

void TestChrome::dialogDragsByTitleOnly()
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

void TestChrome::titleBarPressFallsThrough()
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

QTEST_MAIN(TestChrome)
#include "tst_chrome.moc"
