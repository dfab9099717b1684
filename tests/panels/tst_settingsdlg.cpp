// The settings dialog writes each compute setting the moment it is toggled.
#include "SettingsDlg.h"
#include "TestSupport.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

class TestSettingsDlg : public QObject
{
    Q_OBJECT
private slots:
    void init() { cqtest::isolateSettings(); }

    void togglesWriteTheirKeysAtOnce_data()
    {
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("otherKey");
        QTest::newRow("force cpu") << "openCLForceCPU" << "OpenCLForceCPU" << "OpenCLLoadKernelAtStartup";
        QTest::newRow("load kernels") << "openCLLoadKernelAtStartup" << "OpenCLLoadKernelAtStartup" << "OpenCLForceCPU";
    }

    // The boxes open unchecked whatever is stored, and opening writes nothing; a
    // click writes its own key at once (another settings object sees it), and
    // Cancel takes no toggle back.
    void togglesWriteTheirKeysAtOnce()
    {
        QFETCH(QString, boxName);
        QFETCH(QString, key);
        QFETCH(QString, otherKey);
        QSettings().setValue(otherKey, true);
        SettingsDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCheckBox *pBox = dlg.findChild<QCheckBox *>(boxName);
        QVERIFY(pBox);
        QVERIFY(!dlg.findChild<QCheckBox *>(QStringLiteral("openCLForceCPU"))->isChecked());
        QVERIFY(!dlg.findChild<QCheckBox *>(QStringLiteral("openCLLoadKernelAtStartup"))->isChecked());
        QVERIFY(!QSettings().contains(key));
        QTest::mouseClick(pBox, Qt::LeftButton, {}, QPoint(6, pBox->height() / 2));
        QVERIFY(pBox->isChecked());
        QCOMPARE(QSettings().value(key), QVariant(true));
        pBox->setChecked(false);
        QCOMPARE(QSettings().value(key), QVariant(false));
        pBox->setChecked(true);
        dlg.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(QSettings().value(key), QVariant(true));
        QCOMPARE(QSettings().value(otherKey), QVariant(true));
    }
};

QTEST_MAIN(TestSettingsDlg)
#include "tst_settingsdlg.moc"
