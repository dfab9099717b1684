#pragma once
#include <QImage>
#include <QTemporaryFile>
#include "CQDialog.h"

namespace Ui { class ExportPreviewDlg; }

// Shows how an export will look and how large it will be at a quality.
class ExportPreviewDlg : public CQDialog {
    Q_OBJECT
public:
    ExportPreviewDlg(const QString &format, const QImage &image, QWidget *pParent = nullptr);
    ~ExportPreviewDlg() override;
    int Quality() const { return m_iQuality; }
    // "size on disk" text for a byte count: B, KB, MB or GB.
    static QString SizeText(qint64 iBytes);

public Q_SLOTS:
    void on_qualitySlider_valueChanged(int iVal);

private:
    Ui::ExportPreviewDlg *m_pUi;
    int m_iQuality = -1;
    QImage m_image;
    QString m_format;
    QTemporaryFile m_file;
};
