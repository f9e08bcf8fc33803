#pragma once

#include "login/loginrules.h"
#include "widgets/fbasedialog.h"

#include <QPointer>
#include <QSize>
#include <QString>

class QSerialPort;
class QTcpSocket;
class QTimer;
class My_Warning;
class TitleBar;

namespace Ui {
class Login_Interface;
}

// The first window: settings files and their defaults, the language, the
// device type, the connection choice and its test, and the account check.
class Login_Interface final : public FBaseDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(Login_Interface)
public:
    static constexpr int RevealMs = 1500;
    static constexpr int TopmostMs = 1500;
    static constexpr int EntryAnimationMs = 2000;
    static constexpr int TcpTestTimeoutMs = 3000;
    static constexpr int CornerRadius = 15;
    static constexpr int EnglishSettingsButtonWidth = 180;
    static constexpr int EnglishFontPixelSize = 12;

    // The one login dialog of the process, created on first use. The pointer
    // clears itself when the dialog is deleted, so a later call creates a new
    // dialog instead of handing out freed memory.
    static Login_Interface *getInstance();
    ~Login_Interface() override;

    // Saved connection, read from the files at call time.
    QString getConnection_Mode();
    QString getIP_Address() const;
    QString getLocalIPAddress() const;
    QString getPort_Number() const;
    QString getPortname() const;
    QString getMyBaud_Rate() const;

    void initData();
    void LanguageSwitch();

    // Last toast text shown by this dialog (for the operator it is on screen;
    // tests read it here).
    QString lastToastText() const { return m_lastToastText; }

signals:
    void Send_SetDefaults(QString Portname, QString MyBaud_Rate, QString MyIP, QString MyPort);
    void Send_SerialPortname(QString SerialPortname);

public slots:
    void Get_IsSerialPortConnection_Successful(QString SerialPortname, QString Baud_Rate);
    void Get_IsTCPConnection_Successful(QString IP, QString localIp, QString Port);
    void Hide_Password();

private slots:
    void on_pushButton_Login_clicked();
    void on_pushButton_Exit_clicked();
    void on_pushButton_Connections_SettingUp_clicked();
    void on_checkBox_clicked(bool checked);
    void on_lineEdit_PassWord_textChanged(const QString &arg1);
    void on_DeviceTypeComboBox_activated(int index);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeAnimationFinished() override;

private:
    explicit Login_Interface(QWidget *parent = nullptr);

    void initFilesAndWidgets();
    void initDeviceTypes();
    void setPasswordText(const QString &text);
    void showToast(const QString &text, const QString &style);
    void showError(const QString &text);
    bool testSerialConnection();
    bool testTcpConnection();
    void checkAccount();
    void startEntryAnimation();

    Ui::Login_Interface *ui = nullptr;
    TitleBar *m_titleBar = nullptr;
    My_Warning *m_warning = nullptr;
    QSerialPort *m_testPort = nullptr;
    QTcpSocket *m_testSocket = nullptr;
    QTimer *m_hideTimer = nullptr;

    // Last choice reported by the connection dialog in this run.
    QString m_portName;
    QString m_baudRate;
    QString m_deviceIp;
    QString m_localIp;
    QString m_port;
    QString m_connectionMode;

    // Account of the last successful login, for the remembered fields.
    QString m_rememberedName;
    QString m_rememberedPassword;

    LoginRules::RevealRule m_reveal;
    bool m_settingPassword = false;
    bool m_entryAnimated = false;
    QString m_lastToastText;
};
