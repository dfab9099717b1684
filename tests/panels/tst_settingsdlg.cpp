// The settings dialog writes each compute setting the moment it is toggled.
#include "SettingsDlg.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

static const QString kForceCpu = QStringLiteral("OpenCLForceCPU");
static const QString kLoadKernels = QStringLiteral("OpenCLLoadKernelAtStartup");

class TestSettingsDlg : public QObject
{
    Q_OBJECT
private slots:
    void init() { cqtest::isolateSettings(); }
    void boxesOpenUncheckedWhateverIsStored();
    void eachToggleWritesItsKeyAtOnce_data();
    void eachToggleWritesItsKeyAtOnce();
    void cancellingDoesNotUndoAToggle();
};

static QCheckBox *box(SettingsDlg &dlg, const QString &name)
{
    auto *b = dlg.findChild<QCheckBox *>(name);
    if (!b)
        qFatal("no check box %s", qPrintable(name));
    return b;
}

void TestSettingsDlg::boxesOpenUncheckedWhateverIsStored()
{
    QSettings().setValue(kForceCpu, true);
    QSettings().setValue(kLoadKernels, true);
    SettingsDlg dlg;
    QVERIFY(!box(dlg, "openCLForceCPU")->isChecked());
    QVERIFY(!box(dlg, "openCLLoadKernelAtStartup")->isChecked());
    // Opening the dialog writes nothing.
    QCOMPARE(QSettings().value(kForceCpu).toBool(), true);
    QCOMPARE(QSettings().value(kLoadKernels).toBool(), true);
}

void TestSettingsDlg::eachToggleWritesItsKeyAtOnce_data()
{
    QTest::addColumn<QString>("boxName");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("otherKey");
    QTest::newRow("force cpu") << "openCLForceCPU" << kForceCpu << kLoadKernels;
    QTest::newRow("load kernels") << "openCLLoadKernelAtStartup" << kLoadKernels << kForceCpu;
}

void TestSettingsDlg::eachToggleWritesItsKeyAtOnce()
{
    QFETCH(QString, boxName);
    QFETCH(QString, key);
    QFETCH(QString, otherKey);
    SettingsDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCheckBox *b = box(dlg, boxName);
    QVERIFY(!QSettings().contains(key));
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    QVERIFY(b->isChecked());
    // Another settings object sees the value straight away.
    QCOMPARE(QSettings().value(key), QVariant(true));
    b->setChecked(false);
    QCOMPARE(QSettings().value(key), QVariant(false));
    QVERIFY(!QSettings().contains(otherKey));
}

void TestSettingsDlg::cancellingDoesNotUndoAToggle()
{
    SettingsDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    box(dlg, "openCLForceCPU")->setChecked(true);
    box(dlg, "openCLLoadKernelAtStartup")->setChecked(true);
    dlg.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(!dlg.isVisible());
    QCOMPARE(QSettings().value(kForceCpu), QVariant(true));
    QCOMPARE(QSettings().value(kLoadKernels), QVariant(true));
}

QTEST_MAIN(TestSettingsDlg)
#include "tst_settingsdlg.moc"
