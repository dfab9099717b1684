#include "UpdateDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

QString UpdateDlg::UpdateMessage()
{
    return QStringLiteral(
               "You are running Chromaquill %1.\n\n"
               "This build was made from source and does not update itself. "
               "To update, pull the latest sources and run ./run.sh again.\n\n"
               "If Chromaquill was installed from your distribution's package, "
               "update it through your package manager instead.")
        .arg(QStringLiteral(CQ_VERSION));
}

UpdateDlg::UpdateDlg(Mode eMode, QWidget *parent)
    : CQDialog(parent)
    , m_mode(eMode)
{
    if (m_mode == Automatic)
        return;

    setTitle(QStringLiteral("Check For Updates"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/update.png")));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 32 + 12, 16, 12);
    m_message = new QLabel(UpdateMessage(), this);
    m_message->setWordWrap(true);
    layout->addWidget(m_message);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(400, 200);
}
