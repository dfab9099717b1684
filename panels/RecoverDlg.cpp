#include "RecoverDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

RecoverDlg::RecoverDlg(const QList<Row> &rows, QWidget *parent)
    : CQDialog(parent)
    , m_pList(new QListWidget(this))
    , m_pRecover(new QPushButton(QStringLiteral("Recover"), this))
    , m_pDiscard(new QPushButton(QStringLiteral("Discard"), this))
{
    setTitle(QStringLiteral("Recover Work"));
    auto *pLayout = new QVBoxLayout(this);
    // Room for the title strip.
    pLayout->setContentsMargins(10, 40, 10, 10);
    auto *pText = new QLabel(QStringLiteral("Chromaquill ended without saving these documents:"), this);
    pLayout->addWidget(pText);
    m_pList->setIconSize(QSize(64, 64));
    m_pList->setSelectionMode(QAbstractItemView::NoSelection);
    for (const Row &row : rows) {
        QString text = row.name + QLatin1Char('\n')
                       + QLocale().toString(row.written, QLocale::ShortFormat);
        if (!row.note.isEmpty())
            text += QLatin1Char('\n') + row.note;
        if (!row.problem.isEmpty())
            text = row.name + QStringLiteral("\nDamaged: ") + row.problem;
        auto *pItem = new QListWidgetItem(text, m_pList);
        if (!row.thumbnail.isNull())
            pItem->setIcon(QPixmap::fromImage(row.thumbnail));
        if (!row.problem.isEmpty())
            pItem->setForeground(QColor(255, 140, 140));
    }
    pLayout->addWidget(m_pList);
    auto *pButtons = new QDialogButtonBox(this);
    pButtons->addButton(m_pRecover, QDialogButtonBox::AcceptRole);
    pButtons->addButton(m_pDiscard, QDialogButtonBox::RejectRole);
    m_pRecover->setDefault(true);
    m_pRecover->setAutoDefault(true);
    connect(m_pRecover, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_pDiscard, &QPushButton::clicked, this, &QDialog::reject);
    pLayout->addWidget(pButtons);
    resize(420, 360);
}
