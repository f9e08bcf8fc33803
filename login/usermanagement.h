#pragma once

#include <QObject>
#include <QPointer>

class QModelIndex;
class QStandardItemModel;
class QTreeView;
class QWidget;

// The user list of the main window's user management page: the two fixed
// accounts under their groups. Double-clicking an account opens Modify_User
// over the main window.
class UserManagement final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(UserManagement)
public:
    static constexpr int RootFontPixelSize = 21;
    static constexpr int ItemFontPixelSize = 20;

    // Fills treeView and reacts to its double-clicks; mainWindow is where the
    // dialog is placed and becomes its parent.
    UserManagement(QTreeView *treeView, QWidget *mainWindow, QObject *parent = nullptr);

    // Opens the dialog for the account at index (root and groups open it
    // empty) and runs it modally.
    void openEditor(const QModelIndex &index);
    // Rebuilds the tree in the language now installed.
    void retranslate();
    QStandardItemModel *model() const { return m_model; }

signals:
    // Around the modal dialog, so the owner can pause and resume its heartbeat.
    void Send_Modify_User_Opening();
    void Send_Modify_User_Closed();
    void Send_Data(QString Name, QString UserName);
    void Send_Account_Password_Modified_Successfully();

private:
    void fillTree();

    QPointer<QTreeView> m_treeView;
    QPointer<QWidget> m_mainWindow;
    QStandardItemModel *m_model = nullptr;
};
