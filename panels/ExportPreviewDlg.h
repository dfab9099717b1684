#pragma once
#include <QImage>
#include <QThreadPool>
#include "CQDialog.h"

namespace Ui { class ExportPreviewDlg; }

// Shows how an export will look and how large it will be at a quality: the
// image is encoded exactly as the export writes it. The trial encode runs
// on a worker thread, one at a time; slider values that
// arrive meanwhile are coalesced so that only the latest one is encoded next.
class ExportPreviewDlg : public CQDialog {
    Q_OBJECT
public:
    ExportPreviewDlg(const QString &format, const QImage &image, QWidget *pParent = nullptr);
    ~ExportPreviewDlg() override;
    int Quality() const { return m_iQuality; }
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
    void StartEncode(int iQuality);
    void EncodeFinished(int iQuality, qint64 iBytes, const QImage &readBack);

    Ui::ExportPreviewDlg *m_pUi;
    int m_iQuality = -1;
    QImage m_image;
    QString m_format;
    QThreadPool m_pool;
    bool m_bBusy = false;
    int m_iNextQuality = -1; // the latest value asked for while busy, -1 for none
};
