#pragma once
#include <QImage>
#include <QObject>
#include <QPointer>

class Document;
class FilterPlugin;
class FilterRegistry;
class MainWindow;
class PixmapLayer;
class QAction;
class QProgressBar;

// The Filter menu: runs the picked filter on the current raster layer.
// An immediate filter lands at once; a dialog filter's previews land through
// the painting protocol until its dialog is accepted (one undo step) or
// cancelled (the layer comes back exactly).
class FilterActions : public QObject {
    Q_OBJECT
public:
    // Loads every filter at once when the settings ask for it (before the
    // menu is built from the registry), and keeps the place of the filter
    // dialogs in the settings.
    FilterActions(MainWindow *pMain, FilterRegistry &registry);

    void Triggered(QAction *pAction);
    void Update(const QImage &image);
    // A preview's part `area` (the layer's own coordinates) of `image` lands.
    void UpdatePart(const QImage &image, const QRect &area);
    void Complete(bool bAccepted);
    void Busy(bool bBusy);

    // A dialog filter's previews are landing on a layer.
    bool IsRunning() const { return m_pDocument != nullptr; }

private:
    void Finish();

    MainWindow *m_pMain;
    FilterRegistry &m_registry;
    FilterPlugin *m_pActive = nullptr;
    QPointer<Document> m_pDocument;
    PixmapLayer *m_pLayer = nullptr;
    bool m_bChanged = false;
    QProgressBar *m_pProgress = nullptr;
};
