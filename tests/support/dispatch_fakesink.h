#pragma once

#include "link/dispatch/dispatchsink.h"

#include <QHash>
#include <QStringList>

#include <functional>

// A sink that records every call as one line ("toast:<text>") and answers
// synchronous requests from a table, for checking what the dispatcher did.
class RecordingDispatchSink : public DispatchSink
{
public:
    QStringList calls;
    QString model = QStringLiteral("4x4");
    int linkType = 1;
    int page = 0;
    bool netcfg = false;
    QString local, port, mac, device = QStringLiteral("192.168.0.178");
    QList<LocalAddress> addresses;
    QHash<QString, QString> syncAnswers; // request -> compact answer
    std::function<void(const QString &)> onSync; // runs inside sendRequestSync
    std::function<void(int)> onDelay;            // runs inside delayMs

    int count(const QString &prefix) const
    {
        int n = 0;
        for (const QString &c : calls)
            n += c.startsWith(prefix) ? 1 : 0;
        return n;
    }
    bool has(const QString &call) const { return calls.contains(call); }

    bool sendRequestSync(const QString &request, QString &answer, QString &raw) override
    {
        calls << QStringLiteral("sync:") + request;
        if (onSync)
            onSync(request);
        if (!syncAnswers.contains(request))
            return false;
        answer = syncAnswers.value(request);
        raw = answer;
        return true;
    }
    void sendRequest(const QString &request) override { calls << QStringLiteral("send:") + request; }
    void delayMs(int ms) override
    {
        calls << QStringLiteral("delay:%1").arg(ms);
        if (onDelay)
            onDelay(ms);
    }
    void clearReplyBuffer() override { calls << QStringLiteral("clearReply"); }
    void setLinkBusy(bool busy) override { calls << QStringLiteral("linkBusy:%1").arg(busy); }
    void setReceiveSuspended(bool s) override { calls << QStringLiteral("receiveSuspended:%1").arg(s); }
    void setDataArrived() override { calls << QStringLiteral("dataArrived"); }
    void startHeartbeat(int ms) override { calls << QStringLiteral("heartbeat:%1").arg(ms); }
    void stopHeartbeat() override { calls << QStringLiteral("heartbeat:stop"); }
    int connectionType() const override { return linkType; }
    QString deviceIp() const override { return device; }
    QString localIp() const override { return local; }
    QString tcpPort() const override { return port; }
    QString moduleMac() const override { return mac; }
    QList<LocalAddress> localAddresses() const override { return addresses; }
    void setSerialBaudRate(const QString &b) override { calls << QStringLiteral("baud:") + b; }
    bool reopenSerialPort() override
    {
        calls << QStringLiteral("reopenSerial");
        return true;
    }
    void reconnectTcp(const QString &d, const QString &l) override { calls << QStringLiteral("reconnect:%1,%2").arg(d, l); }
    int currentPage() const override { return page; }
    bool netcfgSetting() const override { return netcfg; }
    void setNetcfgSetting(bool on) override
    {
        netcfg = on;
        calls << QStringLiteral("netcfg:%1").arg(on);
    }
    void setSceneCallOrDeleteFlag(int v) override { calls << QStringLiteral("sceneFlag:%1").arg(v); }
    QString deviceModel() const override { return model; }
    void applyModel(const QString &m) override
    {
        model = m;
        calls << QStringLiteral("model:") + m;
    }
    void writeSetting(SettingsFileId file, const QString &key, const QString &value) override
    {
        const char *name = file == SettingsFileId::SerialConfig ? "serial" : "tcp";
        calls << QStringLiteral("write:%1:%2=%3").arg(QLatin1String(name), key, value);
    }
    void showToast(const QString &text, const QString &) override { calls << QStringLiteral("toast:") + text; }
    void showConsoleMessage(int dir, const QString &m) override { calls << QStringLiteral("console:%1:%2").arg(dir).arg(m); }
    void showWaiting(bool v) override { calls << QStringLiteral("waiting:%1").arg(v); }
    void showPortStatus(const QVector<bool> &in, const QVector<bool> &out) override
    {
        auto text = [](const QVector<bool> &v) {
            QString s;
            for (bool b : v)
                s += b ? QLatin1Char('Y') : QLatin1Char('N');
            return s;
        };
        calls << QStringLiteral("ports:%1/%2").arg(text(in), text(out));
    }
    void showDisconnectedLook() override { calls << QStringLiteral("disconnectedLook"); }
    void setStandbyButtons(bool s) override { calls << QStringLiteral("standbyButtons:%1").arg(s); }
    void setKeyLockButtons(bool l, bool u) override { calls << QStringLiteral("lockButtons:%1,%2").arg(l).arg(u); }
    void setDeviceName(const QString &n) override { calls << QStringLiteral("name:") + n; }
    void setControlCardVersion(const QString &v) override { calls << QStringLiteral("ctrlVersion:") + v; }
    void setReceiverVersion(const QString &v) override { calls << QStringLiteral("rxVersion:") + v; }
    void setTransmitterVersion(const QString &v) override { calls << QStringLiteral("txVersion:") + v; }
    void setHostVersion(const QString &v) override { calls << QStringLiteral("hostVersion:") + v; }
    void setNetworkFields(const NetworkFields &f) override
    {
        calls << QStringLiteral("net:%1|%2|%3")
                     .arg(f.address.value_or(QStringLiteral("-")), f.mask.value_or(QStringLiteral("-")),
                          f.gateway.value_or(QStringLiteral("-")));
    }
    void setPictureSliders(int a, int b, int v) override { calls << QStringLiteral("sliders:%1-%2=%3").arg(a).arg(b).arg(v); }
    void showAllScenesEmpty() override { calls << QStringLiteral("scenesEmpty"); }
    void restoreFactoryNames() override { calls << QStringLiteral("factoryNames"); }
    void refreshSceneStatus(const QString &a) override { calls << QStringLiteral("sceneStatus:") + a; }
};
