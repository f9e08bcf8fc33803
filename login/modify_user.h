#pragma once

#include "widgets/fbasedialog.h"

#include <QSize>
#include <QString>

class QLineEdit;
class QTimer;
class My_Warning;
class TitleBar;

namespace Ui {
class Modify_User;
}

// Changes the password of one of the two accounts after the old one is
// confirmed. The new password applies from the next login.
class Modify_User final : public FBaseDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(Modify_User)
public:
    static constexpr int DialogWidth = 385;
    static constexpr int DialogHeight = 344;
    static constexpr int EnglishDialogWidth = 450;
    static constexpr int EnglishFieldWidth = 180;
    static constexpr int TitleBarHeight = 42;
    static constexpr int CornerRadius = 12;
    static constexpr int RevealMs = 1500;

    explicit Modify_User(QWidget *parent = nullptr);
    ~Modify_User() override;

    QString lastToastText() const { return m_lastToastText; }

signals:
    void Send_Account_Password_Modified_Successfully();

public slots:
    void Get_Data(QString Name, QString UserName);
    void Hide_Password1();
    void Hide_Password2();
    void Hide_Password3();

private slots:
    void on_pushButton_Save_clicked();
    void on_pushButton_Cancel_clicked();
    void on_lineEdit_OldPassword_textChanged(const QString &arg1);
    void on_lineEdit_NewPassword_textChanged(const QString &arg1);
    void on_lineEdit_ConfirmPassword_textChanged(const QString &arg1);

protected:

private:
    void reveal(QLineEdit *field, QTimer *timer);
    void refuse(const QString &text, QLineEdit *field);

    Ui::Modify_User *ui = nullptr;
    TitleBar *m_titleBar = nullptr;
    My_Warning *m_warning = nullptr;
    QTimer *m_timer1 = nullptr;
    QTimer *m_timer2 = nullptr;
    QTimer *m_timer3 = nullptr;
    QString m_lastToastText;
};
