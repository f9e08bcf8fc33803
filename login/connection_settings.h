#pragma once

#include "login/loginrules.h"
#include "widgets/fbasedialog.h"

#include <QList>
#include <QSize>
#include <QString>

#include <functional>

class QSerialPort;
class QTimer;
class My_Warning;
class TitleBar;
class Waiting_Interface;

namespace Ui {
class Connection_Settings;
}

// Modal dialog in which the operator picks the serial port and baud rate, or
// the device's and the computer's IP address. It only probes and checks; the
// opener stores the choice it reports.
class Connection_Settings final : public FBaseDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(Connection_Settings)
public:
    static constexpr int DialogWidth = 420;
    static constexpr int DialogHeight = 300;
    static constexpr int TitleBarHeight = 46;
    static constexpr int RefreshMs = 1000;
    static constexpr int ToolTipMs = 3000;
    static constexpr int ProbeAttempts = 5;
    static constexpr int ProbeSliceMs = 60;
    static constexpr int CloseAnimationMs = 500;
    static constexpr int CornerRadius = 15;
    static constexpr int TcpModulePort = 4001;
    static constexpr int EnglishConfirmWidth = 130;
    static constexpr int EnglishCancelWidth = 90;

    using PortLister = std::function<QList<LoginRules::PortDescription>()>;

    explicit Connection_Settings(QWidget *parent = nullptr);
    ~Connection_Settings() override;

    bool InitBaudRateData();
    bool sendInfo(const QString &info);

    // Where the port list comes from (the system's ports unless a test
    // hands in its own); an empty function restores the default.
    static void setPortLister(PortLister lister);

    QString lastToastText() const { return m_lastToastText; }

signals:
    void Send_IsSerialPortConnection_Successful(QString SerialPortname = QString(),
                                                QString Baud_Rate = QString());
    void Send_IsTCPConnection_Successful(QString IP = QString(), QString localIp = QString(),
                                         QString Port = QString());

public slots:
    void Get_SetDefaults(QString Portname, QString MyBaud_Rate, QString MyIP, QString MyPort);
    void getReceiveData(QString receiveData);
    void showValidPort();
    void Query_Baud_Rate();

private slots:
    void on_comboBox_activated(int index);
    void on_comboBox_SerialPort_activated(const QString &arg1);
    void on_pushButton_Login_clicked();
    void on_pushButton_Exit_clicked();
    void on_pushButton_Login2_clicked();
    void on_pushButton_Exit1_clicked();
    void on_pushButtonNetWorkSet_clicked();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool serialOnly() const;
    void showTcpPage();
    void showSerialPage();
    void searchModules();
    void closeProbePort();
    bool openProbePort();
    void applyPortSettings(int baudRate);
    void startCloseSequence();
    void finishCloseSequence();
    void showToast(const QString &text, const QString &style);

    Ui::Connection_Settings *ui = nullptr;
    TitleBar *m_titleBar = nullptr;
    My_Warning *m_warning = nullptr;
    Waiting_Interface *m_waiting = nullptr;
    QSerialPort *m_serialPort = nullptr;
    QTimer *m_refreshTimer = nullptr;
    QString m_portName;
    bool m_baudDetectedOnce = false;
    bool m_animationIdle = false;
    bool m_closing = false;
    QString m_lastToastText;
};
