#pragma once

#include "link/dispatch/dispatchsink.h"

// A sink that does nothing: for noise feeding and timing the dispatcher alone.
class NullDispatchSink : public DispatchSink
{
public:
    QString model = QStringLiteral("4x4");

    bool sendRequestSync(const QString &, QString &, QString &) override { return false; }
    void sendRequest(const QString &) override {}
    void delayMs(int) override {}
    void clearReplyBuffer() override {}
    void setLinkBusy(bool) override {}
    void setReceiveSuspended(bool) override {}
    void setDataArrived() override {}
    void startHeartbeat(int) override {}
    void stopHeartbeat() override {}
    int connectionType() const override { return 1; }
    QString deviceIp() const override { return QStringLiteral("127.0.0.1"); }
    QString localIp() const override { return QString(); }
    QString tcpPort() const override { return QStringLiteral("4001"); }
    QString moduleMac() const override { return QString(); }
    QList<LocalAddress> localAddresses() const override { return {}; }
    void setSerialBaudRate(const QString &) override {}
    bool reopenSerialPort() override { return true; }
    void reconnectTcp(const QString &, const QString &) override {}
    int currentPage() const override { return 0; }
    bool netcfgSetting() const override { return false; }
    void setNetcfgSetting(bool) override {}
    void setSceneCallOrDeleteFlag(int) override {}
    QString deviceModel() const override { return model; }
    void applyModel(const QString &m) override { model = m; }
    void writeSetting(SettingsFileId, const QString &, const QString &) override {}
    void showToast(const QString &, const QString &) override {}
    void showConsoleMessage(int, const QString &) override {}
    void showWaiting(bool) override {}
    void showPortStatus(const QVector<bool> &, const QVector<bool> &) override {}
    void showDisconnectedLook() override {}
    void setStandbyButtons(bool) override {}
    void setKeyLockButtons(bool, bool) override {}
    void setDeviceName(const QString &) override {}
    void setControlCardVersion(const QString &) override {}
    void setReceiverVersion(const QString &) override {}
    void setTransmitterVersion(const QString &) override {}
    void setHostVersion(const QString &) override {}
    void setNetworkFields(const NetworkFields &) override {}
    void setPictureSliders(int, int, int) override {}
    void showAllScenesEmpty() override {}
    void restoreFactoryNames() override {}
    void refreshSceneStatus(const QString &) override {}
};
