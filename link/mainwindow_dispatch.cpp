// MainWindow: the reply dispatcher's view of the window (DispatchSink).
#include "mainwindow/mainwindow.h"

#include <QAbstractButton>
#include <QDebug>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

#include "app/commonlyused.h"
#include "app/settingscatalogue.h"
#include "link/dispatch/replydispatcher.h"
#include "link/transport/devicelink.h"
#include "ui_mainwindow.h"

namespace {
const char *settingsFileName(SettingsFileId file)
{
    switch (file) {
    case SettingsFileId::SerialConfig:
        return SettingsCatalogue::File::SerialPortConfig;
    case SettingsFileId::TcpConfig:
        return SettingsCatalogue::File::TcpConfig;
    }
    return SettingsCatalogue::File::TcpConfig;
}
} // namespace

// Adapter between the dispatcher and the window: the window's member names
// (connectionType, currentPage, ...) clash with the interface's getters.
class MainWindowSink final : public DispatchSink
{
public:
    explicit MainWindowSink(MainWindow &window) : w(window) {}

    bool sendRequestSync(const QString &request, QString &answer, QString &rawAnswer) override
    {
        return w.sendDataDevice(request, answer, rawAnswer);
    }
    void sendRequest(const QString &request) override { w.sendData(request); }
    void delayMs(int ms) override { CommonlyUsed::Delay_MSec(ms); }
    void clearReplyBuffer() override { w.replyBuffer.clear(); }
    void setLinkBusy(bool busy) override { w.linkBusy = busy; }
    void setReceiveSuspended(bool suspended) override { w.receiveSuspended = suspended; }
    void setDataArrived() override { w.dataArrived = 1; }
    void startHeartbeat(int intervalMs) override { w.heartbeatTimer->start(intervalMs); }
    void stopHeartbeat() override { w.heartbeatTimer->stop(); }
    int connectionType() const override { return w.connectionType; }
    QString deviceIp() const override { return w.deviceIp; }
    QString localIp() const override { return w.localIp; }
    QString tcpPort() const override { return w.portNumber; }
    QString moduleMac() const override { return w.moduleMac; }
    QList<LocalAddress> localAddresses() const override { return LocalAddress::current(); }
    void setSerialBaudRate(const QString &rate) override { w.baudRate = rate; }
    bool reopenSerialPort() override { return w.Open_Serial_Port(1); }
    void reconnectTcp(const QString &ip, const QString &local) override
    {
        w.deviceIp = ip;
        w.localIp = local;
        w.Connect_TCP_Server();
    }
    int currentPage() const override { return w.currentPage; }

    bool netcfgSetting() const override { return w.netcfgSetting; }
    void setNetcfgSetting(bool on) override { w.netcfgSetting = on; }
    void setSceneCallOrDeleteFlag(int value) override { w.Scene_Call_OR_Delete_Falg = value; }

    QString deviceModel() const override { return CommonlyUsed::deviceType; }
    void applyModel(const QString &model) override
    {
        CommonlyUsed::deviceType = model;
        emit w.Send_ModelApplied(model);
    }

    void writeSetting(SettingsFileId file, const QString &key, const QString &value) override
    {
        if (!SettingsCatalogue::writeValues(settingsFileName(file), {{key, value}}))
            qWarning() << "cannot store" << key << "=" << value;
    }

    void showToast(const QString &text, const QString &style) override { w.showToast(text, style); }
    void showConsoleMessage(int receiveOrSend, const QString &message) override
    {
        w.TextEdit_Message_Display(receiveOrSend, message);
    }
    void showWaiting(bool visible) override { w.showWaitingOverlay(visible); }

    void showPortStatus(const QVector<bool> &inputs, const QVector<bool> &outputs) override
    {
        emit w.Send_PortStatus(inputs, outputs);
    }
    void showDisconnectedLook() override { emit w.Send_LinkLost(); }
    void setStandbyButtons(bool standby) override
    {
        setChecked("pushButton_system_standby", standby);
        setChecked("pushButton_System_wake_up", !standby);
    }
    void setKeyLockButtons(bool lockChecked, bool unlockChecked) override
    {
        setChecked("pushButton_Key_lock", lockChecked);
        setChecked("pushButton_Key_unlocking", unlockChecked);
    }
    void setDeviceName(const QString &name) override { setText<QLineEdit>("lineEdit_EquipmentName", name); }
    void setControlCardVersion(const QString &v) override { setText<QLabel>("label_MCUControlCard_version", v); }
    void setReceiverVersion(const QString &v) override { setText<QLabel>("label_RXMCU_version", v); }
    void setTransmitterVersion(const QString &v) override { setText<QLabel>("label_TXMCU_version", v); }
    void setHostVersion(const QString &v) override { setText<QLabel>("label_Host_computer_version", v); }
    void setNetworkFields(const NetworkFields &fields) override
    {
        if (fields.address)
            setText<QLineEdit>("lineEdit_IPAddress", *fields.address);
        if (fields.mask)
            setText<QLineEdit>("lineEdit_SubnetMask", *fields.mask);
        if (fields.gateway)
            setText<QLineEdit>("lineEdit_DefaultGateway", *fields.gateway);
    }
    void setPictureSliders(int firstOutput, int lastOutput, int value) override
    {
        emit w.Send_PictureSliders(firstOutput, lastOutput, value);
    }
    void showAllScenesEmpty() override { emit w.Send_ScenesEmpty(); }
    void restoreFactoryNames() override { emit w.Send_FactoryNames(); }
    void refreshSceneStatus(const QString &answer) override { emit w.Send_SceneStatus(answer); }

private:
    // The feature pages add these widgets as they are built; until then the
    // answer only reaches the console.
    void setChecked(const char *name, bool on)
    {
        if (auto *b = w.findChild<QAbstractButton *>(QLatin1String(name)))
            b->setChecked(on);
    }
    template<typename T>
    void setText(const char *name, const QString &text)
    {
        if (auto *widget = w.findChild<T *>(QLatin1String(name)))
            widget->setText(text);
    }

    MainWindow &w;
};

std::unique_ptr<DispatchSink> MainWindow::makeDispatchSink(MainWindow &window)
{
    return std::make_unique<MainWindowSink>(window);
}

void MainWindow::Data_Processing(QString Mydata)
{
    m_dispatcher->dispatch(Mydata);
}

void MainWindow::dispatchReply(const QString &reply, const QString &raw)
{
    m_dispatcher->dispatch(reply, raw);
}
