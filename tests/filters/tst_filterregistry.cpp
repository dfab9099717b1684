// The registry and the Filter menu: order and sub-menus, plug-ins only from
// the allowed folders, and filters whose kernels fail.
#include "FilterMenu.h"
#include "FilterRegistry.h"
#include "KernelFilter.h"
#include "KernelReportDlg.h"
#include "ProgramCache.h"
#include "QCLContext.h"
#include "TestSupport.h"

#include <QMenu>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// A filter whose program lacks the kernel it asks for.
class MissingKernelFilter : public KernelFilter
{
public:
    explicit MissingKernelFilter(QObject *pParent)
        : KernelFilter(QStringLiteral("Blurs/Missing"), QString(), QStringLiteral("brightnessContrast.cl"),
                       {QStringLiteral("invert"), QStringLiteral("noSuchKernel")}, pParent)
    {
    }
    QImage Reference(const QImage &image, const FilterValues &) const override { return image; }

protected:
    bool Enqueue(FilterBuffers &, const FilterValues &, QCLBuffer &) override { return false; }
};

// Stands in for the main window's side of the menu.
struct Receiver : QObject {
    QList<QAction *> triggered;
    int updates = 0;
    QList<bool> completes;
    FilterMenu::Hooks hooks()
    {
        return {this, [this](QAction *pAction) { triggered << pAction; }, [this](QImage &) { ++updates; },
                [this](bool bAccepted) { completes << bAccepted; }};
    }
};

QStringList titles(const QMenu *pMenu)
{
    QStringList result;
    for (QAction *pAction : pMenu->actions())
        result << pAction->text();
    return result;
}

QMenu *child(const QMenu *pMenu, const QString &title)
{
    for (QAction *pAction : pMenu->actions())
        if (pAction->menu() && pAction->text() == title)
            return pAction->menu();
    return nullptr;
}

QString pluginFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/filterPlugins");
}

} // namespace

class FilterRegistryTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void menuFollowsRegistrationOrder();
    void pluginLoadsFromTheUserFolderFirst();
    void pluginInWorkingDirectoryIsIgnored();
    void failedFilterIsDisabledAndExplained();

private:
    QCLContext m_context;
};

void FilterRegistryTest::initTestCase()
{
    cqtest::isolateSettings();
    QVERIFY2(cqtest::createCpuContext(m_context), "an OpenCL CPU device is required");
    QVERIFY(QFile::exists(QStringLiteral(CQ_EXAMPLE_PLUGIN)));
}

void FilterRegistryTest::cleanup()
{
    QDir(pluginFolder()).removeRecursively();
    QSettings().clear();
}

void FilterRegistryTest::menuFollowsRegistrationOrder()
{
    ProgramCache cache(m_context);
    FilterRegistry registry(cache, nullptr);
    registry.Populate({});
    QMenu menu;
    Receiver receiver;
    FilterMenu::Build(&menu, registry, receiver.hooks());
    // Grouped filters in their submenu; entries carry their filter, and
    // picking one reaches the window.
    QVERIFY(titles(child(&menu, QStringLiteral("Blurs"))).contains(QStringLiteral("Gaussian")));
    QAction *pInvert = nullptr;
    for (QAction *pAction : menu.actions())
        if (pAction->text() == QStringLiteral("Invert Colors"))
            pInvert = pAction;
    QVERIFY(pInvert);
    QCOMPARE(FilterMenu::FilterOf(pInvert)->GetName(), QStringLiteral("Invert Colors"));
    pInvert->trigger();
    QCOMPARE(receiver.triggered, QList<QAction *>{pInvert});
    // A filter's signals reach the window's slots.
    QImage image(2, 2, QImage::Format_ARGB32);
    Q_EMIT qobject_cast<KernelFilter *>(FilterMenu::FilterOf(pInvert)->GetObject())->Updated(image);
    QCOMPARE(receiver.updates, 1);
}

void FilterRegistryTest::pluginLoadsFromTheUserFolderFirst()
{
    QVERIFY(QDir().mkpath(pluginFolder()));
    QVERIFY(QFile::copy(QStringLiteral(CQ_EXAMPLE_PLUGIN), pluginFolder() + QStringLiteral("/libcqsoften.so")));
    // Something that is not a plug-in at all sits beside it.
    QFile junk(pluginFolder() + QStringLiteral("/notes.so"));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a library");
    junk.close();

    ProgramCache cache(m_context);
    FilterRegistry registry(cache, nullptr);
    registry.Populate();
    QCOMPARE(registry.PluginNames(), QStringList{QStringLiteral("Blurs/Soften")});
    QCOMPARE(registry.Filters().first()->GetName(), QStringLiteral("Blurs/Soften"));
    QMenu menu;
    Receiver receiver;
    FilterMenu::Build(&menu, registry, receiver.hooks());
    // The plug-in opened "Blurs" first; the built-in blurs joined it.
    QCOMPARE(titles(&menu).first(), QStringLiteral("Blurs"));
    QCOMPARE(titles(child(&menu, QStringLiteral("Blurs"))), (QStringList{"Soften", "Box", "Gaussian", "Motion Blur"}));
    // It works as an immediate filter.
    FilterPlugin *pSoften = registry.Filters().first();
    QVERIFY(registry.Load(pSoften).isEmpty());
    QImage dot(3, 3, QImage::Format_ARGB32);
    dot.fill(qRgba(0, 0, 0, 0));
    dot.setPixel(1, 1, qRgba(90, 180, 9, 255));
    QCOMPARE(pSoften->ApplyFilter(dot).pixel(1, 1), qRgba(10, 20, 1, 28));
    // Its signals, whose class the menu does not know, reach the window too.
    Q_EMIT pSoften->Complete(false);
    Q_EMIT pSoften->Updated(dot);
    QCOMPARE(receiver.completes, QList<bool>{false});
    QCOMPARE(receiver.updates, 1);
}

void FilterRegistryTest::pluginInWorkingDirectoryIsIgnored()
{
    QTemporaryDir work;
    QVERIFY(QDir(work.path()).mkpath(QStringLiteral("filterPlugins")));
    QVERIFY(QFile::copy(QStringLiteral(CQ_EXAMPLE_PLUGIN), work.path() + QStringLiteral("/filterPlugins/libcqsoften.so")));
    QVERIFY(QFile::copy(QStringLiteral(CQ_EXAMPLE_PLUGIN), work.path() + QStringLiteral("/libcqsoften.so")));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work.path()));
    ProgramCache cache(m_context);
    FilterRegistry registry(cache, nullptr);
    registry.Populate();
    QDir::setCurrent(previous);
    QVERIFY(registry.PluginNames().isEmpty());
    QVERIFY(!registry.Find(QStringLiteral("Blurs/Soften")));
}

void FilterRegistryTest::failedFilterIsDisabledAndExplained()
{
    ProgramCache cache(m_context);
    FilterRegistry registry(cache, nullptr);
    registry.Populate({});
    auto *pMissing = new MissingKernelFilter(&registry);
    registry.Add(pMissing);
    QMenu menu;
    FilterMenu::Build(&menu, registry);
    QAction *pEntry = child(&menu, QStringLiteral("Blurs"))->actions().last();
    QCOMPARE(pEntry->text(), QStringLiteral("Missing"));
    QVERIFY(pEntry->isEnabled());

    // Picking it loads it, fails, and explains itself.
    QString shown;
    cqtest::actOnNextDialog([&shown](QDialog *pDialog) {
        if (auto *pReport = qobject_cast<KernelReportDlg *>(pDialog)) {
            shown = pReport->ShownText();
            QCOMPARE(pReport->windowTitle(), QStringLiteral("OpenCL Programs"));
        }
        pDialog->close();
    });
    QVERIFY(!FilterMenu::Prepare(pEntry, registry, nullptr));
    QCOMPARE(shown, QStringLiteral("noSuchKernel() kernel not found"));
    QVERIFY(!pEntry->isEnabled());
    QVERIFY(!pEntry->icon().isNull());
    QVERIFY(registry.HasFailed(pMissing));

    // With kernels loaded at start-up the menu shows the failure straight away.
    ProgramCache cache2(m_context);
    FilterRegistry registry2(cache2, nullptr);
    registry2.Populate({});
    registry2.Add(new MissingKernelFilter(&registry2));
    registry2.LoadAll();
    QMenu menu2;
    FilterMenu::Build(&menu2, registry2);
    QVERIFY(!child(&menu2, QStringLiteral("Blurs"))->actions().last()->isEnabled());
    QVERIFY(child(&menu2, QStringLiteral("Blurs"))->actions().first()->isEnabled());
    QVERIFY(registry2.IsLoaded(registry2.Find(QStringLiteral("Posterize"))));
}

QTEST_MAIN(FilterRegistryTest)
#include "tst_filterregistry.moc"
