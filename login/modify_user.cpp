#include "login/modify_user.h"
#include "ui_modify_user.h"

#include "app/commonlyused.h"
#include "login/loginfiles.h"
#include "login/loginrules.h"
#include "widgets/my_warning.h"
#include "widgets/titlebar.h"

#include <QDebug>
#include <QFile>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QTimer>

namespace {
const QString kAdminGroup = QStringLiteral("管理员");
const QString kUserGroup = QStringLiteral("普通用户");
const QString kAdminTemplate = QStringLiteral("<font style='font-size:24px; color: rgb(85, 170, 0);'>%1");
const QString kUserTemplate = QStringLiteral("<font style='font-size:24px; color: rgb(0, 0, 0);'>%1");
} // namespace

Modify_User::Modify_User(QWidget *parent) : FBaseDialog(parent), ui(new Ui::Modify_User)
{
    ui->setupUi(this);
    setCornerRadius(CornerRadius);
    setWindowTitle(tr("修改用户"));
    resize(DialogWidth, DialogHeight);
    CommonlyUsed::Load_stylesheet(this, QStringLiteral(":/QSS/QSS/Login.qss"));

    ui->lineEdit_UserName->setAttribute(Qt::WA_InputMethodEnabled, false);
    for (QLineEdit *field : {ui->lineEdit_OldPassword, ui->lineEdit_NewPassword, ui->lineEdit_ConfirmPassword}) {
        field->setValidator(new QRegularExpressionValidator(LoginRules::passwordExpression(), field));
        field->setAttribute(Qt::WA_InputMethodEnabled, false);
    }

    if (CommonlyUsed::getLanguageIndex() == 1) {
        for (QWidget *widget : {static_cast<QWidget *>(ui->label_Name), static_cast<QWidget *>(ui->lineEdit_UserName),
                                static_cast<QWidget *>(ui->lineEdit_OldPassword),
                                static_cast<QWidget *>(ui->lineEdit_NewPassword),
                                static_cast<QWidget *>(ui->lineEdit_ConfirmPassword)})
            widget->setFixedWidth(EnglishFieldWidth);
        resize(EnglishDialogWidth, height());
    }

    const QString iconFile = CommonlyUsed::applicationDir() + QStringLiteral("/image/trayIcon.png");
    const bool customIcon = QFile::exists(iconFile);
    m_titleBar = new TitleBar(this);
    m_titleBar->setButtons(TitleBar::CloseButton);
    // Only the height is fixed: the bar follows the dialog's width.
    m_titleBar->setFixedHeight(TitleBarHeight);
    m_titleBar->setTitleContent(tr("修改用户"));
    m_titleBar->setTitleIcon(QPixmap(customIcon ? iconFile : QStringLiteral("://image/trayIcon.png")));
    connect(m_titleBar, &TitleBar::send_close, this, [this] { closeWithAnimation(); });

    m_warning = new My_Warning(this);
    m_warning->hide();

    m_timer1 = new QTimer(this);
    m_timer2 = new QTimer(this);
    m_timer3 = new QTimer(this);
    for (QTimer *timer : {m_timer1, m_timer2, m_timer3}) {
        timer->setSingleShot(true);
        timer->setInterval(RevealMs);
    }
    connect(m_timer1, &QTimer::timeout, this, &Modify_User::Hide_Password1);
    connect(m_timer2, &QTimer::timeout, this, &Modify_User::Hide_Password2);
    connect(m_timer3, &QTimer::timeout, this, &Modify_User::Hide_Password3);
}

Modify_User::~Modify_User()
{
    delete ui;
}

void Modify_User::Get_Data(QString Name, QString UserName)
{
    ui->lineEdit_UserName->setText(UserName);
    const bool admin = Name == kAdminGroup;
    if (!admin && Name != kUserGroup)
        return;
    QString shown = Name;
    switch (CommonlyUsed::getLanguageIndex()) {
    case 1:
        shown = admin ? QStringLiteral("administrators") : QStringLiteral("Ordinary user");
        break;
    case 2:
        shown = admin ? QStringLiteral("系統管理員") : QStringLiteral("一般使用者");
        break;
    default:
        break;
    }
    ui->label_Name->setText((admin ? kAdminTemplate : kUserTemplate).arg(shown));
}

void Modify_User::reveal(QLineEdit *field, QTimer *timer)
{
    // Only what the operator types here is shown; nothing is ever prefilled.
    if (field->text().isEmpty())
        return;
    field->setEchoMode(QLineEdit::Normal);
    timer->start();
}

void Modify_User::on_lineEdit_OldPassword_textChanged(const QString &)
{
    reveal(ui->lineEdit_OldPassword, m_timer1);
}

void Modify_User::on_lineEdit_NewPassword_textChanged(const QString &)
{
    reveal(ui->lineEdit_NewPassword, m_timer2);
}

void Modify_User::on_lineEdit_ConfirmPassword_textChanged(const QString &)
{
    reveal(ui->lineEdit_ConfirmPassword, m_timer3);
}

void Modify_User::Hide_Password1()
{
    m_timer1->stop();
    ui->lineEdit_OldPassword->setEchoMode(QLineEdit::Password);
}

void Modify_User::Hide_Password2()
{
    m_timer2->stop();
    ui->lineEdit_NewPassword->setEchoMode(QLineEdit::Password);
}

void Modify_User::Hide_Password3()
{
    m_timer3->stop();
    ui->lineEdit_ConfirmPassword->setEchoMode(QLineEdit::Password);
}

void Modify_User::refuse(const QString &text, QLineEdit *field)
{
    m_lastToastText = text;
    m_warning->showMessage(text, My_Warning::failureStyle());
    if (field)
        field->setFocus();
}

void Modify_User::on_pushButton_Save_clicked()
{
    const QString account = ui->lineEdit_UserName->text().trimmed();
    const QString oldPassword = ui->lineEdit_OldPassword->text();
    const QString newPassword = ui->lineEdit_NewPassword->text();
    const QString confirmPassword = ui->lineEdit_ConfirmPassword->text();

    using Check = LoginRules::PasswordChangeCheck;
    switch (LoginRules::checkPasswordChange(oldPassword, newPassword, confirmPassword,
                                            LoginFiles::storedPasswordOf(account))) {
    case Check::OldEmpty:
        refuse(tr("旧密码输入不能为空！"), ui->lineEdit_OldPassword);
        return;
    case Check::NewEmpty:
        refuse(tr("新密码输入不能为空！"), ui->lineEdit_NewPassword);
        return;
    case Check::ConfirmEmpty:
        refuse(tr("确认密码输入不能为空！"), ui->lineEdit_ConfirmPassword);
        return;
    case Check::OldWrong:
        if (!LoginFiles::readAccounts().readable)
            refuse(LoginFiles::accountsUnreadableText(), nullptr);
        else
            refuse(tr("原密码错误！"), ui->lineEdit_OldPassword);
        return;
    case Check::SameAsOld:
        refuse(tr("新密码不能和旧密码一样！"), ui->lineEdit_NewPassword);
        return;
    case Check::ConfirmMismatch:
        refuse(tr("确认密码和新密码不一样！"), ui->lineEdit_ConfirmPassword);
        return;
    case Check::Ok:
        break;
    }

    if (!LoginFiles::writeAccount(account, newPassword.trimmed())) {
        qWarning() << "Modify user: the new password could not be stored for" << account;
        refuse(LoginFiles::accountsUnwritableText(), nullptr);
        return;
    }
    // The old password must not be filled in at the next start.
    LoginFiles::setRememberPassword(false);
    qInfo() << "Password changed for" << account;
    emit Send_Account_Password_Modified_Successfully();
    closeWithAnimation();
}

void Modify_User::on_pushButton_Cancel_clicked()
{
    closeWithAnimation();
}

