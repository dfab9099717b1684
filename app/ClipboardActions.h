#pragma once
#include <QObject>

class ChildWindow;
class MainWindow;
class PixmapLayer;
class QImage;
class QMimeData;
class TextLayer;

// Edit > Copy and Paste: images and text between the clipboard and the
// current layer, or a new layer of the kind the clipboard holds.
class ClipboardActions : public QObject {
    Q_OBJECT
public:
    explicit ClipboardActions(MainWindow *pMain);

public Q_SLOTS:
    void on_action_Copy_triggered();
    void on_action_Paste_triggered();

private:
    // Asks to grow the canvas when the image is larger than it.
    void OfferToGrow(ChildWindow *pWindow, const QSize &imageSize);
    void PasteImageInto(PixmapLayer *pLayer, const QImage &image);
    static void PasteText(TextLayer *pLayer, const QMimeData *pData);

    MainWindow *m_pMain;
};
