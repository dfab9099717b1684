#pragma once
#include <QColor>
#include <QImage>
#include <QThreadPool>
#include "CQDialog.h"

namespace Ui { class ExportPreviewDlg; }

// Shows how an export will look and how large it will be at a quality (and,
// for a format without alpha, on a background colour): the image is encoded
// exactly as the export writes it. The trial encode runs on a worker thread,
// one at a time; values that arrive meanwhile are coalesced so that only the
// latest ones are encoded next.
class ExportPreviewDlg : public CQDialog {
    Q_OBJECT
public:
    ExportPreviewDlg(const QString &format, const QImage &image, QWidget *pParent = nullptr);
    ~ExportPreviewDlg() override;
    int Quality() const { return m_iQuality; }
    // What a format without alpha lays the picture on: the colour last
    // picked on the dialog's swatch, white until one is.
    QColor Background() const;
    // "size on disk" text for a byte count: B, KB, MB or GB.
    static QString SizeText(qint64 iBytes);
    // True while a trial write is running or waiting to run.
    bool IsEncoding() const { return m_bBusy; }

public Q_SLOTS:
    void on_qualitySlider_valueChanged(int iVal);

Q_SIGNALS:
    // The preview and the size text now show this quality.
    void PreviewUpdated(int iQuality, qint64 iBytes);

private:
    // Encodes again with the current values: now, or after the running write.
    void Refresh();
    void StartEncode();
    void EncodeFinished(int iQuality, qint64 iBytes, const QImage &readBack);
    void ChooseBackground();

    Ui::ExportPreviewDlg *m_pUi;
    int m_iQuality = -1;
    QImage m_image;
    QString m_format;
    QThreadPool m_pool;
    bool m_bBusy = false;
    bool m_bStale = false; // values changed while a write ran
};
