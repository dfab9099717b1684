#pragma once
#include "BrushColorizer.h"
#include "BrushSource.h"
#include "CQBrush.h"
#include "CQDialog.h"

#include <QList>

class ProgramCache;
class QLabel;
class QMenu;
class QSlider;

namespace Ui { class BrushDlg; }

// The "Brushes" panel: the brushes of the current set as thumbnails, the
// settings of the selected one, and the brush sets. Sets are read from the
// per-user folder and then from the shipped one beside the executable, and
// saved to the per-user folder. The panel owns the brushes; a tool borrows
// CurrentBrush() and takes it again on every BrushChanged().
class BrushDlg : public CQDialog, public BrushSource
{
    Q_OBJECT
public:
    // Colours thumbnails through the cache; loads the set named by
    // "currentBrushSet". `shippedFolder` holds the sets that come with the
    // program (none when empty).
    explicit BrushDlg(ProgramCache &cache, QWidget *pParent = nullptr, const QString &shippedFolder = QString());
    ~BrushDlg() override;

    static QString UserFolder();

    CQBrush *CurrentBrush() const override { return m_pCurrent; }
    QMetaObject::Connection OnBrushChanged(QObject *pReceiver, std::function<void()> handler) override;
    void ToggleShown() override { setVisible(!isVisible()); }
    const QList<CQBrush *> &Brushes() const { return m_brushes; }
    QLabel *Thumbnail(const CQBrush *pBrush) const;
    QString CurrentSetName() const { return m_setName; }
    QMenu *SetMenu() const { return m_pSetMenu; }

    // Loads a set by file name from the user folder, else the shipped one.
    // A missing set gives one round brush named "default"; a damaged one
    // is reported and gives the same.
    void LoadBrushSet(const QString &setName);
    // Writes the set to the user folder; false (reported) on failure.
    bool SaveBrushSet();
    // Takes the brush, makes it current and emits BrushChanged().
    void AddBrush(CQBrush *pBrush);
    void SelectBrush(CQBrush *pBrush);
    void RenameBrush(CQBrush *pBrush, const QString &name);
    // Refuses the last brush of a set with the "d'oh" warning.
    bool DeleteBrush(CQBrush *pBrush);
    void ShowBrush(CQBrush *pBrush);
    // Asks for a name and adds a brush whose tip is the image (a layer's
    // pixels, scaled down to fit 1024 x 1024 when larger), then saves.
    void NewBrushFromImage(const QImage &image);

    // The context-menu entries, on the brush the menu was opened for.
    void on_renameBrush_clicked();
    void on_deleteBrush_clicked();
    void on_resetBrush_clicked();
    void on_makeDefaultBrush_clicked();

Q_SIGNALS:
    void BrushChanged();
    // A brush set could not be read or written; the text names the file
    // and the reason, for the window's "Error" box. A problem with the set
    // loaded at construction reaches the first receiver connected.
    void FileError(const QString &message);

public Q_SLOTS:
    void on_spacingSlider_valueChanged(int iValue);
    void on_scatterXSlider_valueChanged(int iValue);
    void on_scatterYSlider_valueChanged(int iValue);
    void on_sizeJitterSlider_valueChanged(int iValue);
    void on_angleJitterSlider_valueChanged(int iValue);
    void on_hueJitterSlider_valueChanged(int iValue);
    void on_saturationJitterSlider_valueChanged(int iValue);
    void on_lightnessJitterSlider_valueChanged(int iValue);
    void on_opacityJitterSlider_valueChanged(int iValue);
    void loadBrushes_clicked();
    void saveBrushes_clicked();
    void loadBrushFile_clicked();

protected:
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override;
    void connectNotify(const QMetaMethod &signal) override;

private:
    void ReplaceSet(const QList<CQBrush *> &brushes, const QString &setName);
    void ClearBrushes();
    // Takes the brush and gives it a thumbnail, without laying out.
    void AppendBrush(CQBrush *pBrush);
    void LayOutThumbnails();
    QPixmap ThumbnailPixmap(CQBrush *pBrush);
    void SettingChanged(CQBrush::Setting eSetting, double dValue);
    void BuildSetMenu();
    // The path a set name is read from: the user folder, then the shipped one; empty when neither has it.
    QString FindSet(const QString &setName) const;
    QStringList SetFolders() const;

    Ui::BrushDlg *m_pUi;
    BrushColorizer m_colorizer;
    QString m_shippedFolder;
    QString m_setName;
    CQBrush *m_pCurrent = nullptr;
    CQBrush *m_pMenuBrush = nullptr;
    QList<CQBrush *> m_brushes;
    QList<QLabel *> m_thumbnails;
    QMenu *m_pContextMenu = nullptr;
    QMenu *m_pSetMenu = nullptr;
    QAction *m_pLoadAction = nullptr;
    QAction *m_pExportAction = nullptr;
    bool m_bUpdating = false;
    bool m_bConstructed = false;
    QString m_pendingError;
};
