#pragma once
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QSet>

class MainWindow;
class QAction;
class QDockWidget;
class QWidget;

// The Window and Help menus: panels shown and hidden, the open documents,
// settings, and the dialogs about the program and the machine.
class WindowActions : public QObject {
    Q_OBJECT
public:
    explicit WindowActions(MainWindow *pMain);

    void SetTabbedDocuments(bool bTabs);

public Q_SLOTS:
    void on_action_Palette_triggered();
    void on_action_History_triggered();
    void on_action_Histogram_triggered();
    void on_action_Layers_triggered();
    void on_action_Toolbar_triggered();
    void on_action_Toggle_All_Windows_triggered();
    void on_action_Settings_triggered();
    void on_action_System_Info_triggered();
    void on_action_About_triggered();
    void on_action_Check_For_Updates_triggered();
    void on_action_OpenCL_Debug_triggered();
    void on_action_Submit_A_Bug_triggered();

private:
    // The open documents at the end of the Window menu.
    void ListDocuments();
    void ShowPanel(QWidget *pPanel, bool bShow);
    void GiveBackHeights(QDockWidget *pDock);

    using PanelHeights = QList<QPair<QPointer<QDockWidget>, int>>;

    MainWindow *m_pMain;
    QList<QWidget *> m_hiddenPanels;
    QList<QAction *> m_documentEntries;
    // The other docked panels' heights from before a panel was shown.
    QHash<QDockWidget *, PanelHeights> m_heightsBefore;
    QSet<QDockWidget *> m_watched;
};
