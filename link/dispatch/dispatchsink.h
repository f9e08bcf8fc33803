#pragma once

#include "app/localaddress.h"

#include <QList>
#include <QString>
#include <QVector>

#include <optional>

// Everything the reply dispatcher does to the world goes through this
// interface. MainWindow implements it; tests use a recording fake. Every call
// runs on the GUI thread. The calls marked "may pump events" can re-enter
// ReplyDispatcher::dispatch(); the dispatcher copes with that.
//
// State split: the dispatcher's own flags (standby, wakePending,
// factoryResetRunning, modelApplied) live in DispatchState, owned by
// ReplyDispatcher and read/written by MainWindow through
// ReplyDispatcher::state(). Flags owned by the link and the pages (linkBusy,
// receiveSuspended, dataArrived, netcfgSetting, the scene flag, currentPage,
// the heartbeat timer) stay with MainWindow and are reached through the sink.

// Settings files the dispatcher writes; the sink maps them to the catalogue.
enum class SettingsFileId {
    SerialConfig, // "Serial_portConfig.ini"
    TcpConfig,    // "TCPConfig.ini"
};

// The three network fields of a network answer; a missing field leaves its
// line edit as it is.
struct NetworkFields
{
    std::optional<QString> address;
    std::optional<QString> mask;
    std::optional<QString> gateway;
};

class DispatchSink
{
public:
    virtual ~DispatchSink() = default;

    // ---- Link ----------------------------------------------------------------
    // sendDataDevice: synchronous request; `answer` gets the reply with blanks
    // and line breaks removed, `rawAnswer` the same reply as received (the
    // console's display text). May pump events.
    virtual bool sendRequestSync(const QString &request, QString &answer, QString &rawAnswer) = 0;
    // sendData: asynchronous request; its answer arrives through the receiver.
    virtual void sendRequest(const QString &request) = 0;
    // Waits `ms` while events are processed (Delay_MSec). May pump events, so
    // it must tolerate being called again from inside its own wait.
    virtual void delayMs(int ms) = 0;
    // Frame entry: empty the receiver's collected text (replyBuffer).
    virtual void clearReplyBuffer() = 0;
    virtual void setLinkBusy(bool busy) = 0;
    virtual void setReceiveSuspended(bool suspended) = 0;
    virtual void setDataArrived() = 0;
    virtual void startHeartbeat(int intervalMs) = 0;
    virtual void stopHeartbeat() = 0;
    // 1 TCP, 2 serial, 0 none.
    virtual int connectionType() const = 0;
    // Settings of the open connection.
    virtual QString deviceIp() const = 0;
    virtual QString localIp() const = 0;
    virtual QString tcpPort() const = 0;
    virtual QString moduleMac() const = 0;
    virtual QList<LocalAddress> localAddresses() const = 0;
    // Sets the connection's serial baud rate text (used by the next open).
    virtual void setSerialBaudRate(const QString &baudRate) = 0;
    // Re-opens the serial port with the connection's settings.
    virtual bool reopenSerialPort() = 0;
    // Takes the device and local address as the connection's and reconnects
    // over TCP (Connect_TCP_Server).
    virtual void reconnectTcp(const QString &deviceIp, const QString &localIp) = 0;
    // The page on show: 0 switching ... 6 system settings, 7 system information.
    virtual int currentPage() const = 0;

    // ---- Flags owned by the pages --------------------------------------------
    virtual bool netcfgSetting() const = 0;
    virtual void setNetcfgSetting(bool on) = 0;
    virtual void setSceneCallOrDeleteFlag(int value) = 0;

    // ---- Model -----------------------------------------------------------------
    // CommonlyUsed::deviceType.
    virtual QString deviceModel() const = 0;
    // Sets CommonlyUsed::deviceType to `model` and lays every page out for it.
    virtual void applyModel(const QString &model) = 0;

    // ---- Settings --------------------------------------------------------------
    virtual void writeSetting(SettingsFileId file, const QString &key, const QString &value) = 0;

    // ---- Outcome display -------------------------------------------------------
    virtual void showToast(const QString &text, const QString &style) = 0;
    // TextEdit_Message_Display: 0 received, 1 sent.
    virtual void showConsoleMessage(int receiveOrSend, const QString &message) = 0;
    // The waiting overlay over the main window.
    virtual void showWaiting(bool visible) = 0;

    // ---- Page updates ----------------------------------------------------------
    // Port tiles, icons of every input-button row and the wall tiles; entry i
    // is port i+1. The sink skips ports it has no widget for.
    virtual void showPortStatus(const QVector<bool> &inputs, const QVector<bool> &outputs) = 0;
    // Every port "NO"/"0x0@0Hz", unselected icons, plain wall tiles, polling
    // button reset, equipment buttons unchecked.
    virtual void showDisconnectedLook() = 0;
    // standby true: pushButton_system_standby checked, pushButton_System_wake_up
    // unchecked; false the reverse.
    virtual void setStandbyButtons(bool standby) = 0;
    virtual void setKeyLockButtons(bool lockChecked, bool unlockChecked) = 0;
    virtual void setDeviceName(const QString &name) = 0;           // lineEdit_EquipmentName
    virtual void setControlCardVersion(const QString &version) = 0; // label_MCUControlCard_version
    virtual void setReceiverVersion(const QString &version) = 0;    // label_RXMCU_version
    virtual void setTransmitterVersion(const QString &version) = 0; // label_TXMCU_version
    virtual void setHostVersion(const QString &version) = 0;        // label_Host_computer_version
    virtual void setNetworkFields(const NetworkFields &fields) = 0;
    // Brightness and contrast sliders of outputs first..last take `value`.
    virtual void setPictureSliders(int firstOutput, int lastOutput, int value) = 0;
    // Every scene button gets the empty-scene look.
    virtual void showAllScenesEmpty() = 0;
    // Names "HDMI-%1" in every input and output name field, stored; scene
    // names cleared.
    virtual void restoreFactoryNames() = 0;
    // refreshSceneStatus: marks the stored scenes from a "(scene,sta,0)" answer.
    virtual void refreshSceneStatus(const QString &answer) = 0;
};
