#pragma once
// Lists the documents a program that ended without saving left behind and
// asks whether to open them again: "Recover" (the default) or "Discard".
#include "CQDialog.h"

#include <QDateTime>
#include <QImage>
#include <QList>

class QListWidget;
class QPushButton;

class RecoverDlg : public CQDialog
{
    Q_OBJECT
public:
    struct Row {
        QString name;
        QDateTime written;
        QImage thumbnail;
        QString problem; // non-empty: the copy is damaged and cannot be opened
        QString note;    // what of the undo history does not come back
    };

    explicit RecoverDlg(const QList<Row> &rows, QWidget *parent = nullptr);

    QListWidget *list() const { return m_pList; }
    QPushButton *recoverButton() const { return m_pRecover; }
    QPushButton *discardButton() const { return m_pDiscard; }

private:
    QListWidget *m_pList;
    QPushButton *m_pRecover;
    QPushButton *m_pDiscard;
};
