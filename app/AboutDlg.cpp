#include "AboutDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

QString AboutDlg::AboutText()
{
    return QStringLiteral(
               "<h2>Chromaquill</h2>"
               "<p>Version %1</p>"
               "<p>A layered image editor with OpenCL acceleration.</p>"
               "<p><b>Credits</b><br>"
               "Silk icon set by Mark James (famfamfam.com), "
               "licensed under Creative Commons Attribution 2.5.<br>"
               "Title font: Cantarell Bold, licensed under the SIL Open Font License 1.1.</p>")
        .arg(QStringLiteral(CQ_VERSION));
}

AboutDlg::AboutDlg(QWidget *parent)
    : CQDialog(parent)
{
    setTitle(QStringLiteral("About Chromaquill"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/help.png")));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 32 + 12, 16, 12);

    auto *logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("logo"));
    logo->setPixmap(QPixmap(QStringLiteral(":/icons/cqLogo.png")));
    logo->setAlignment(Qt::AlignHCenter);
    layout->addWidget(logo);

    auto *text = new QLabel(AboutText(), this);
    text->setObjectName(QStringLiteral("aboutText"));
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignHCenter);
    layout->addWidget(text);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(360, 320);
}
