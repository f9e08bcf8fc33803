#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <limits>
#include <memory>

// The matrix switcher itself: its state and the answer to every request of the
// command vocabulary. Transports (TCP, pty) hand it complete requests "(...)"
// and send back what it answers; file data after an update announcement is
// collected by the transport and handed over whole.
class SimDevice final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SimDevice)
public:
    static constexpr int SceneCount = 32;
    static constexpr int MaxPorts = 16;
    static constexpr int MinPorts = 2;
    static constexpr int SplitGroups = 4;
    static constexpr int WindowsPerGroup = 4;
    static constexpr int SplitModes = 16; // 0 = no split
    // A wall size the control port may give the device, also one larger than
    // the model has outputs (a device that reports nonsense).
    static constexpr int MaxWallSide = 65536;
    static constexpr int DefaultBaud = 115200;
    static constexpr int DefaultPollSeconds = 10;
    static constexpr int DefaultOutputResolution = 2; // 1920x1080@60Hz
    static constexpr int DefaultEdidCode = 6; // 1920x1080@60Hz PCM 2CH
    static constexpr int MaxEdidCode = 28;
    static constexpr int CustomEdidSlots = 4;
    static constexpr int MaxLevel = 100; // brightness, contrast
    static constexpr int DefaultLevel = 50;
    static constexpr int MaxNameBytes = 32;
    static constexpr int MaxSubtitleChars = 15; // GB2312 characters, ASCII or Chinese
    static constexpr int MaxSubtitleBytes = 45;
    static constexpr int MaxPollSeconds = 3600;
    // The front panel takes any interval the timer can hold.
    static constexpr int MaxPanelPollSeconds = std::numeric_limits<int>::max() / 1000;
    static constexpr int MaxResolutionText = 32;
    static constexpr char DefaultFactoryIp[] = "192.168.0.178";
    // A receive mode ends after this long without file bytes.
    static constexpr int DefaultReceiveTimeoutMs = 10000;
    static constexpr int MaxReceiveTimeoutMs = 600000;
    // State lists the most recent files only.
    static constexpr int MaxPayloadRecords = 1000;

    enum class Transfer { None, Firmware, Edid };
    enum class PayloadResult { Pending, Ok, Bad, Err, Dropped, Timeout, Incomplete };

    // One file received after an update announcement. The link that takes the
    // data fills it in place, hashing as the packets come, so that state can
    // report it also while it is still arriving.
    struct Payload
    {
        Transfer transfer = Transfer::None;
        QString kind; // mcu, fpga or edid
        int target = 0; // the target, or the EDID slot
        qint64 bytes = 0; // taken so far, the check code not included
        QCryptographicHash hash { QCryptographicHash::Sha1 };
        PayloadResult result = PayloadResult::Pending;
        bool receiving = true; // the receive mode is still on
    };
    using PayloadPtr = std::shared_ptr<Payload>;

    struct Outcome
    {
        QByteArray answer;
        Transfer transfer = Transfer::None;
        PayloadPtr payload = nullptr; // the file announced, when transfer is not None
    };

    explicit SimDevice(QObject *parent = nullptr);

    static const QStringList &models();
    static const QStringList &deviceTypes();

    bool setModel(const QString &model);
    bool setType(const QString &type);
    QString model() const { return m_model; }
    QString type() const { return m_type; }

    // Answers one request; the request includes its parentheses.
    Outcome handle(const QByteArray &request);
    // Result of a firmware transfer after its check code (true: accepted).
    void firmwareReceived(qint64 payloadBytes, bool checkOk);
    // Stores an EDID file collected after "(update,edid,n)"; returns its slot.
    int edidReceived(const QByteArray &data);

    // After a firmware update the device restarts: requests are ignored
    // until ms have passed.
    void startReboot(int ms) { m_reboot = QDeadlineTimer(ms, Qt::PreciseTimer); }
    bool rebooting() const { return !m_reboot.hasExpired(); }
    int receiveTimeoutMs() const { return m_receiveTimeoutMs; }
    bool setReceiveTimeout(int ms);

    int inBaud() const { return m_inBaud; }
    QString ip() const { return m_ip; }
    // The address a factory reset gives the device (mask /24, gateway x.y.z.1).
    bool setFactoryAddress(const QString &ip);
    // Fault: a "(set,i.baud,n)" is confirmed but the line keeps its rate.
    void setBaudStuck(bool on) { m_baudStuck = on; }

    // Control-channel access.
    bool setStatus(bool inputs, const QString &status);
    bool setBaud(int rate);
    bool setNetwork(const QString &ip, const QString &mask, const QString &gateway);
    void setName(const QByteArray &name) { m_name = name; }
    bool setVersion(const QString &which, const QString &version);
    bool setHdcp(int output, bool on);
    // What the source on an input sends; shown while that input has a signal.
    bool setInputResolution(int input, const QString &text);
    // The per-port setters below return an empty text when the value took,
    // else why it was refused.
    // Output resolution by its table value ("12") or as any text the device
    // may report although the table lacks it ("2560x1440@60Hz").
    QString setOutputResolution(int output, const QString &setting);
    // One port's character of the signal status string.
    QString setSignal(bool input, int port, bool present);
    QString setExternalAudio(int output, bool on);
    QString setInputEdid(int input, int code);
    QString setLevel(bool brightness, int output, int level);
    // The wall size the device reports, 0..MaxWallSide each, unchecked against
    // the outputs; the positions go as with a new size by request.
    QString setWall(int rows, int columns);
    // Presets of a partition group the model has.
    QString setSplitMode(int group, int mode);
    QString setSplitWindows(int group, const QVector<int> &windows);
    void pollTick();

    // Front-panel keys: the device acts and announces the result to every
    // client in its usual answer forms. output 0 = all outputs.
    bool panelRoute(int input, int output);
    bool panelSave(int scene);
    bool panelClear(int scene);
    void panelPolling(bool on);
    bool panelTime(int seconds);
    void factoryReset();
    QStringList stateLines() const;

    static bool isIPv4(const QString &text);
    static bool isMask(const QString &text);

signals:
    // Text the device sends on its own (scene polling), to every client.
    void unsolicited(const QByteArray &bytes);
    // The network address changed (the module's discovery answer follows it).
    void networkChanged(const QString &ip);
    // The network module took new settings by a request or a factory reset and
    // restarts with this address, after the answer has gone out.
    void moduleRestarting(const QString &ip);

private:
    struct Subtitle
    {
        bool on = false;
        int position = 1;
        int colour = 2;
        QByteArray text;
    };
    struct SplitGroup
    {
        int mode = 0;
        QVector<int> windows = QVector<int>(WindowsPerGroup, 1);
    };

    // Fits the per-port state to the model; ports that remain keep their settings.
    void resizePorts();
    QString portError(bool input, int port) const;
    int outputResolutionCount() const;
    // The table value of an output's resolution for this type, or 0 for a text
    // outside the table.
    int outputResolutionValue(int output) const;
    int splitGroups() const;
    QString groupError(int group) const;
    // The wall loses its positions and is no longer enabled.
    void resetWallMapping();
    bool hasExternalAudio() const;
    bool hasCec() const;
    QStringList routeLines(const QVector<int> &outputs) const;
    QByteArray signalStatus() const;
    QByteArray deviceInfo() const;
    QByteArray versions() const;
    QByteArray network() const;
    QByteArray subtitle(int port) const;
    QByteArray sceneState(int scene) const;
    QByteArray pollingList() const;
    PayloadPtr beginPayload(Transfer transfer, const QString &kind, int target);
    QStringList transferStateLines() const;
    bool validUpdateTarget(bool mcu, int target) const;
    void applyScene(int scene);
    QByteArray route(int input, const QVector<int> &outputs);
    QByteArray saveScene(int scene);
    QByteArray deleteScene(int scene);
    QByteArray setPolling(bool on);
    // Stops polling when it runs; returns the lines announcing that, or nothing.
    QByteArray takeOverFromPolling();

    QString m_model;
    QString m_type;
    int m_inputs = 4;
    int m_outputs = 4;
    QVector<int> m_route;
    QVector<QVector<int>> m_scenes = QVector<QVector<int>>(SceneCount);
    QByteArray m_name;
    int m_inBaud = DefaultBaud;
    int m_outBaud = DefaultBaud;
    bool m_baudStuck = false;
    QString m_factoryIp;
    QString m_ip;
    QString m_mask;
    QString m_gateway;
    bool m_standby = false;
    bool m_locked = false;
    bool m_polling = false;
    QVector<int> m_pollList;
    int m_pollSeconds = DefaultPollSeconds;
    int m_pollNext = 0;
    QTimer m_pollTimer;
    QStringList m_inRes;
    QString m_inStatus;
    QString m_outStatus;
    QVector<int> m_edid;
    QMap<int, QByteArray> m_customEdid;
    int m_edidSlotPending = 0;
    QStringList m_outRes; // as reported; table texts or free text set over the control port
    QVector<int> m_outFormat;
    QVector<int> m_brightness;
    QVector<int> m_contrast;
    QVector<bool> m_extAudio;
    QVector<bool> m_hdcp;
    int m_wallRows = 0;
    int m_wallCols = 0;
    QMap<int, QPair<int, int>> m_wallPos;
    int m_borderFirst = 0;
    int m_borderSecond = 0;
    int m_wallSource = 0;
    bool m_wallEnabled = false;
    QVector<SplitGroup> m_split = QVector<SplitGroup>(SplitGroups);
    QVector<Subtitle> m_subtitles;
    QString m_versionControl = QStringLiteral("v1.2.0");
    QString m_versionReceiver = QStringLiteral("v2.0.1");
    QString m_versionTransmitter = QStringLiteral("v2.0.3");
    QString m_lastUpdate;
    QString m_lastTransfer;
    QString m_checkCode = QStringLiteral("none");
    QList<PayloadPtr> m_payloads;
    QDeadlineTimer m_reboot;
    int m_receiveTimeoutMs = DefaultReceiveTimeoutMs;
};
