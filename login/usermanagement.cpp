#include "login/usermanagement.h"

#include "login/modify_user.h"

#include <QStandardItemModel>
#include <QTreeView>

namespace {
const QString kAdminGroup = QStringLiteral("管理员");
const QString kUserGroup = QStringLiteral("普通用户");
const QString kAdminAccount = QStringLiteral("admin");
const QString kUserAccount = QStringLiteral("user");
const QString kAccountIcon = QStringLiteral("://image/User1.png");

QFont pixelFont(int pixelSize)
{
    QFont font;
    font.setPixelSize(pixelSize);
    return font;
}
} // namespace

UserManagement::UserManagement(QTreeView *treeView, QWidget *mainWindow, QObject *parent)
    : QObject(parent), m_treeView(treeView), m_mainWindow(mainWindow)
{
    m_model = new QStandardItemModel(this);
    fillTree();
    if (m_treeView) {
        m_treeView->setModel(m_model);
        m_treeView->setHeaderHidden(true);
        m_treeView->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_treeView->expandAll();
        connect(m_treeView, &QTreeView::doubleClicked, this, &UserManagement::openEditor);
    }
}

void UserManagement::fillTree()
{
    auto *root = new QStandardItem(tr("用户列表"));
    root->setFont(pixelFont(RootFontPixelSize));

    auto addGroup = [&](const QString &groupText, const QString &account) {
        auto *group = new QStandardItem(groupText);
        group->setFont(pixelFont(ItemFontPixelSize));
        auto *item = new QStandardItem(QIcon(kAccountIcon), account);
        item->setFont(pixelFont(ItemFontPixelSize));
        group->appendRow(item);
        root->appendRow(group);
    };
    addGroup(tr("管理员"), kAdminAccount);
    addGroup(tr("普通用户"), kUserAccount);
    m_model->appendRow(root);
}

void UserManagement::retranslate()
{
    m_model->clear();
    fillTree();
    if (m_treeView)
        m_treeView->expandAll();
}

void UserManagement::openEditor(const QModelIndex &index)
{
    emit Send_Modify_User_Opening();
    auto *dialog = new Modify_User(m_mainWindow);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(this, &UserManagement::Send_Data, dialog, &Modify_User::Get_Data);
    connect(dialog, &Modify_User::Send_Account_Password_Modified_Successfully, this,
            &UserManagement::Send_Account_Password_Modified_Successfully);
    if (m_mainWindow) {
        const QRect area = m_mainWindow->geometry();
        dialog->move(area.x() + (area.width() - dialog->width()) / 2,
                     area.y() + (area.height() - dialog->height()) / 2);
    }

    // Only the account rows name an account: root and groups open it empty.
    const QString account = index.data().toString();
    const bool isAccountRow = index.parent().isValid() && index.parent().parent().isValid();
    if (isAccountRow && account == kAdminAccount)
        emit Send_Data(kAdminGroup, kAdminAccount);
    else if (isAccountRow && account == kUserAccount)
        emit Send_Data(kUserGroup, kUserAccount);

    dialog->exec();
    emit Send_Modify_User_Closed();
}
