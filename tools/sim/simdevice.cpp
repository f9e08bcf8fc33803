#include "tools/sim/simdevice.h"

#include "tools/sim/answers.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QTextCodec>

#include <optional>

namespace {

using Items = QList<QByteArray>;
namespace A = SimAnswers;

constexpr int MillisecondsPerSecond = 1000;
constexpr int WallPositions = 4;
constexpr int MaxBorder = 999;
constexpr int SubtitlePositions = 4;
constexpr char DefaultName[] = "HDMI Matrix";
constexpr char FactoryMask[] = "255.255.255.0";

// Baud rates by their code on the wire (1-based).
const QVector<int> BaudByCode = { 9600, 19200, 38400, 57600, 115200 };

// Output resolutions 14 and 15 exist on Orvex-T only.
constexpr int ResolutionsCommon = 13;

std::optional<int> number(const QByteArray &item, int min, int max)
{
    if (item.isEmpty() || item.size() > 6)
        return std::nullopt;
    for (char c : item) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    const int value = item.toInt();
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

QString joinNumbers(const QVector<int> &values)
{
    QStringList parts;
    for (int v : values)
        parts << QString::number(v);
    return parts.join(QLatin1Char(','));
}

// How state names the outcome of a file; a file still arriving is incomplete.
const char *resultName(SimDevice::PayloadResult result)
{
    switch (result) {
    case SimDevice::PayloadResult::Ok:
        return "ok";
    case SimDevice::PayloadResult::Bad:
        return "bad";
    case SimDevice::PayloadResult::Err:
        return "err";
    case SimDevice::PayloadResult::Dropped:
        return "dropped";
    case SimDevice::PayloadResult::Timeout:
        return "timeout";
    case SimDevice::PayloadResult::Pending:
    case SimDevice::PayloadResult::Incomplete:
        break;
    }
    return "incomplete";
}

QTextCodec *wireCodec()
{
    static QTextCodec *codec = QTextCodec::codecForName("GB2312");
    return codec;
}

// Resizes a per-port list: the ports that remain keep their values, new ones
// take `fill`.
template <typename List, typename Value> void fitPorts(List &list, int ports, const Value &fill)
{
    while (list.size() > ports)
        list.removeLast();
    while (list.size() < ports)
        list.append(fill);
}

// The module's factory gateway: the first host of the address's /24.
QString factoryGateway(const QString &ip)
{
    return ip.section(QLatin1Char('.'), 0, 2) + QStringLiteral(".1");
}

// A subtitle the character generator can show: printable ASCII and
// double-byte GB2312 characters (GBK's wider range taken too), at most
// MaxSubtitleChars characters. A lone lead byte or a control byte is refused.
bool isSubtitleText(const QByteArray &text)
{
    if (text.size() > SimDevice::MaxSubtitleBytes)
        return false;
    int characters = 0;
    for (int i = 0; i < text.size(); ++i, ++characters) {
        const auto byte = quint8(text[i]);
        if (byte >= 0x20 && byte < 0x7F)
            continue;
        const auto trail = i + 1 < text.size() ? quint8(text[i + 1]) : 0;
        if (byte < 0x81 || byte == 0xFF || trail < 0x40 || trail == 0x7F || trail == 0xFF)
            return false;
        ++i;
    }
    return characters <= SimDevice::MaxSubtitleChars;
}

// Texts the device reports in place of a value: printable ASCII without blanks
// (the receiver drops them) or commas (the state lines list ports with commas).
bool isReportableText(const QString &text)
{
    static const QRegularExpression valid(QStringLiteral("\\A[\\x21-\\x2b\\x2d-\\x7e]+\\z"));
    return text.size() <= SimDevice::MaxResolutionText && valid.match(text).hasMatch();
}

} // namespace

SimDevice::SimDevice(QObject *parent)
    : QObject(parent)
    , m_factoryIp(QLatin1String(DefaultFactoryIp))
{
    m_pollTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pollTimer, &QTimer::timeout, this, &SimDevice::pollTick);
    // The sources stay what they are across model changes and factory resets.
    for (int i = 0; i < MaxPorts; ++i)
        m_inRes << A::InputSignalResolution;
    setModel(QStringLiteral("4x4"));
    m_type = deviceTypes().first();
    factoryReset();
}

const QStringList &SimDevice::models()
{
    static const QStringList list = { QStringLiteral("4x2"), QStringLiteral("4x4"), QStringLiteral("8x8"),
        QStringLiteral("8x9"), QStringLiteral("8x16"), QStringLiteral("16x16") };
    return list;
}

const QStringList &SimDevice::deviceTypes()
{
    static const QStringList list = { QStringLiteral("Orvex"), QStringLiteral("Orvex-L"),
        QStringLiteral("Orvex-Q"), QStringLiteral("Orvex-T") };
    return list;
}

bool SimDevice::setModel(const QString &model)
{
    if (!models().contains(model))
        return false;
    m_model = model;
    m_inputs = model.section(QLatin1Char('x'), 0, 0).toInt();
    m_outputs = model.section(QLatin1Char('x'), 1, 1).toInt();
    resizePorts();
    return true;
}

bool SimDevice::setType(const QString &type)
{
    if (!deviceTypes().contains(type))
        return false;
    m_type = type;
    return true;
}

void SimDevice::resizePorts()
{
    m_route.resize(m_outputs);
    for (int o = 0; o < m_outputs; ++o) {
        if (m_route[o] < 1 || m_route[o] > m_inputs)
            m_route[o] = o % m_inputs + 1;
    }
    // Stored scenes keep their routing where the new size allows it.
    for (QVector<int> &scene : m_scenes) {
        if (scene.isEmpty())
            continue;
        scene.resize(m_outputs);
        for (int o = 0; o < m_outputs; ++o) {
            if (scene[o] < 1 || scene[o] > m_inputs)
                scene[o] = o % m_inputs + 1;
        }
    }
    // Every cable is plugged in on a new model; tests start from there.
    m_inStatus = QString(m_inputs, QLatin1Char('Y'));
    m_outStatus = QString(m_outputs, QLatin1Char('Y'));
    fitPorts(m_edid, m_inputs, DefaultEdidCode);
    fitPorts(m_outRes, m_outputs, A::OutputResolutions[DefaultOutputResolution - 1]);
    fitPorts(m_outFormat, m_outputs, 0);
    fitPorts(m_brightness, m_outputs, DefaultLevel);
    fitPorts(m_contrast, m_outputs, DefaultLevel);
    fitPorts(m_extAudio, m_outputs, false);
    fitPorts(m_hdcp, m_outputs, false);
    // The subtitle is overlaid on an input's picture, so there is one per input.
    fitPorts(m_subtitles, m_inputs, Subtitle());
    resetWallMapping();
    m_wallRows = m_wallCols = 0;
}

void SimDevice::resetWallMapping()
{
    m_wallPos.clear();
    m_wallEnabled = false;
}

void SimDevice::factoryReset()
{
    for (int o = 0; o < m_outputs; ++o)
        m_route[o] = o % m_inputs + 1;
    for (QVector<int> &scene : m_scenes)
        scene.clear();
    m_name = DefaultName;
    m_inBaud = m_outBaud = DefaultBaud;
    m_standby = m_locked = false;
    m_polling = false;
    m_pollTimer.stop();
    m_pollList.clear();
    m_pollSeconds = DefaultPollSeconds;
    m_pollNext = 0;
    m_customEdid.clear();
    // Emptied first so that resizing fills every port with its factory value.
    m_edid.clear();
    m_outRes.clear();
    m_outFormat.clear();
    m_brightness.clear();
    m_contrast.clear();
    m_extAudio.clear();
    m_hdcp.clear();
    m_subtitles.clear();
    resizePorts();
    m_borderFirst = m_borderSecond = m_wallSource = 0;
    m_split = QVector<SplitGroup>(SplitGroups);
    setNetwork(m_factoryIp, QLatin1String(FactoryMask), factoryGateway(m_factoryIp));
    emit moduleRestarting(m_ip);
}

bool SimDevice::setFactoryAddress(const QString &ip)
{
    if (!isIPv4(ip))
        return false;
    const quint32 address = QHostAddress(ip).toIPv4Address();
    if (address == 0 || address == 0xFFFFFFFFu)
        return false;
    m_factoryIp = QHostAddress(ip).toString();
    return true;
}

int SimDevice::splitGroups() const
{
    return qBound(1, m_inputs / WindowsPerGroup, SplitGroups);
}

bool SimDevice::hasExternalAudio() const
{
    return m_type == QLatin1String("Orvex-Q") || m_type == QLatin1String("Orvex-T");
}

bool SimDevice::hasCec() const
{
    return m_type == QLatin1String("Orvex-Q");
}

bool SimDevice::isIPv4(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("\\A((2[0-4]\\d|25[0-5]|[01]?\\d\\d?)\\.){3}(2[0-4]\\d|25[0-5]|[01]?\\d\\d?)\\z"));
    return pattern.match(text).hasMatch();
}

bool SimDevice::isMask(const QString &text)
{
    if (!isIPv4(text))
        return false;
    const quint32 bits = QHostAddress(text).toIPv4Address();
    // Contiguous: the inverted mask plus one is a power of two.
    const quint32 inverted = ~bits;
    return bits != 0 && (inverted & (inverted + 1)) == 0;
}

bool SimDevice::setNetwork(const QString &ip, const QString &mask, const QString &gateway)
{
    if (!isIPv4(ip) || !isMask(mask) || !isIPv4(gateway))
        return false;
    const quint32 address = QHostAddress(ip).toIPv4Address();
    if (address == 0 || address == 0xFFFFFFFFu)
        return false;
    m_ip = QHostAddress(ip).toString();
    m_mask = QHostAddress(mask).toString();
    m_gateway = QHostAddress(gateway).toString();
    emit networkChanged(m_ip);
    return true;
}

bool SimDevice::setStatus(bool inputs, const QString &status)
{
    static const QRegularExpression valid(QStringLiteral("\\A[YyNn]{0,32}\\z"));
    if (!valid.match(status).hasMatch())
        return false;
    (inputs ? m_inStatus : m_outStatus) = status;
    return true;
}

bool SimDevice::setBaud(int rate)
{
    if (!BaudByCode.contains(rate))
        return false;
    m_inBaud = rate;
    return true;
}

bool SimDevice::setVersion(const QString &which, const QString &version)
{
    if (version.isEmpty() || version.contains(QRegularExpression(QStringLiteral("\\s"))))
        return false;
    if (which == QLatin1String("ctrl"))
        m_versionControl = version;
    else if (which == QLatin1String("rx"))
        m_versionReceiver = version;
    else if (which == QLatin1String("tx"))
        m_versionTransmitter = version;
    else
        return false;
    return true;
}

bool SimDevice::setHdcp(int output, bool on)
{
    if (output < 1 || output > m_outputs)
        return false;
    m_hdcp[output - 1] = on;
    return true;
}

bool SimDevice::setInputResolution(int input, const QString &text)
{
    if (input < 1 || input > m_inputs || !isReportableText(text))
        return false;
    m_inRes[input - 1] = text;
    return true;
}

QString SimDevice::portError(bool input, int port) const
{
    const int ports = input ? m_inputs : m_outputs;
    if (port >= 1 && port <= ports)
        return {};
    return QStringLiteral("%1 %2 not on a %3 device (1..%4)")
        .arg(input ? QStringLiteral("input") : QStringLiteral("output"))
        .arg(port)
        .arg(m_model)
        .arg(ports);
}

int SimDevice::outputResolutionCount() const
{
    return m_type == QLatin1String("Orvex-T") ? A::OutputResolutions.size() : ResolutionsCommon;
}

int SimDevice::outputResolutionValue(int output) const
{
    const int index = A::OutputResolutions.indexOf(m_outRes[output - 1]);
    return index >= 0 && index < outputResolutionCount() ? index + 1 : 0;
}

QString SimDevice::setOutputResolution(int output, const QString &setting)
{
    const QString error = portError(false, output);
    if (!error.isEmpty())
        return error;
    static const QRegularExpression numeric(QStringLiteral("\\A[+-]?\\d+\\z"));
    if (numeric.match(setting).hasMatch()) {
        bool ok = false;
        const int value = setting.toInt(&ok);
        if (ok && value > outputResolutionCount() && value <= A::OutputResolutions.size())
            return QStringLiteral("resolution %1 exists on Orvex-T only").arg(value);
        if (!ok || value < 1 || value > outputResolutionCount())
            return QStringLiteral("resolution value %1 not in 1..%2")
                .arg(setting)
                .arg(outputResolutionCount());
        m_outRes[output - 1] = A::OutputResolutions[value - 1];
        return {};
    }
    if (!isReportableText(setting))
        return QStringLiteral("resolution text without blanks or commas, up to %1 characters")
            .arg(MaxResolutionText);
    m_outRes[output - 1] = setting;
    return {};
}

QString SimDevice::setSignal(bool input, int port, bool present)
{
    const QString error = portError(input, port);
    if (!error.isEmpty())
        return error;
    QString &status = input ? m_inStatus : m_outStatus;
    if (port > status.size())
        return QStringLiteral("the status string set has %1 ports").arg(status.size());
    status[port - 1] = present ? QLatin1Char('Y') : QLatin1Char('N');
    return {};
}

QString SimDevice::setExternalAudio(int output, bool on)
{
    if (!hasExternalAudio())
        return QStringLiteral("%1 has no external audio").arg(m_type);
    const QString error = portError(false, output);
    if (!error.isEmpty())
        return error;
    m_extAudio[output - 1] = on;
    return {};
}

QString SimDevice::setInputEdid(int input, int code)
{
    const QString error = portError(true, input);
    if (!error.isEmpty())
        return error;
    if (code < 1 || code > MaxEdidCode)
        return QStringLiteral("EDID code %1 not in 1..%2").arg(code).arg(MaxEdidCode);
    m_edid[input - 1] = code;
    return {};
}

QString SimDevice::setLevel(bool brightness, int output, int level)
{
    const QString error = portError(false, output);
    if (!error.isEmpty())
        return error;
    if (level < 0 || level > MaxLevel)
        return QStringLiteral("level %1 not in 0..%2").arg(level).arg(MaxLevel);
    (brightness ? m_brightness : m_contrast)[output - 1] = level;
    return {};
}

QString SimDevice::setWall(int rows, int columns)
{
    if (rows < 0 || rows > MaxWallSide || columns < 0 || columns > MaxWallSide)
        return QStringLiteral("wall rows and columns in 0..%1").arg(MaxWallSide);
    m_wallRows = rows;
    m_wallCols = columns;
    resetWallMapping();
    return {};
}

QString SimDevice::groupError(int group) const
{
    if (group >= 1 && group <= splitGroups())
        return {};
    return QStringLiteral("group %1 not on a %2 device (1..%3)").arg(group).arg(m_model).arg(splitGroups());
}

QString SimDevice::setSplitMode(int group, int mode)
{
    if (!groupError(group).isEmpty())
        return groupError(group);
    if (mode < 0 || mode >= SplitModes)
        return QStringLiteral("split mode %1 not in 0..%2").arg(mode).arg(SplitModes - 1);
    m_split[group - 1].mode = mode;
    return {};
}

QString SimDevice::setSplitWindows(int group, const QVector<int> &windows)
{
    if (!groupError(group).isEmpty())
        return groupError(group);
    if (windows.size() != WindowsPerGroup)
        return QStringLiteral("%1 windows per group").arg(WindowsPerGroup);
    for (int input : windows) {
        if (input < 1 || input > WindowsPerGroup)
            return QStringLiteral("window input %1 not in 1..%2").arg(input).arg(WindowsPerGroup);
    }
    m_split[group - 1].windows = windows;
    return {};
}

QStringList SimDevice::routeLines(const QVector<int> &outputs) const
{
    QStringList lines;
    for (int o : outputs)
        lines << A::RouteLine.arg(o).arg(m_route[o - 1]);
    return lines;
}

QByteArray SimDevice::signalStatus() const
{
    return A::linesOk({ A::SignalChannel.arg(m_inputs).arg(m_outputs), A::SignalInputs.arg(m_inStatus),
        A::SignalOutputs.arg(m_outStatus) });
}

QByteArray SimDevice::deviceInfo() const
{
    return m_name + "\r\n"
        + A::linesOk({ m_standby ? A::SystemOff : A::SystemOn, m_locked ? A::KeysLocked : A::KeysUnlocked });
}

QByteArray SimDevice::versions() const
{
    if (m_outputs == MaxPorts)
        return A::linesOk(
            { A::VersionReceiver.arg(m_versionReceiver), A::VersionTransmitter.arg(m_versionTransmitter) });
    return A::linesOk({ A::VersionControl.arg(m_versionControl) });
}

QByteArray SimDevice::network() const
{
    return A::linesOk({ A::NetAddress.arg(m_ip), A::NetMask.arg(m_mask), A::NetGateway.arg(m_gateway) });
}

QByteArray SimDevice::subtitle(int port) const
{
    const Subtitle &s = m_subtitles[port - 1];
    const QString head = A::Subtitle.arg(port)
                             .arg(s.on ? A::SubtitleOn : A::SubtitleOff)
                             .arg(s.position)
                             .arg(A::SubtitleColours[s.colour - 1]);
    return head.toLatin1() + s.text + A::SubtitleEnd.toLatin1() + "\r\n";
}

QByteArray SimDevice::sceneState(int scene) const
{
    QStringList lines;
    const int first = scene == 0 ? 1 : scene;
    const int last = scene == 0 ? SceneCount : scene;
    for (int n = first; n <= last; ++n)
        lines << A::SceneState.arg(n).arg(m_scenes[n - 1].isEmpty() ? A::SceneEmpty : A::SceneStored);
    return A::linesOk(lines);
}

QByteArray SimDevice::pollingList() const
{
    if (m_pollList.isEmpty())
        return A::linesOk({ A::PollingListEmpty });
    return A::linesOk({ A::PollingList.arg(joinNumbers(m_pollList)) });
}

bool SimDevice::validUpdateTarget(bool mcu, int target) const
{
    static const QMap<QString, QVector<int>> mcuTargets
        = { { QStringLiteral("16x16"), { 1, 2 } }, { QStringLiteral("8x16"), { 1, 2, 4 } } };
    static const QMap<QString, QVector<int>> fpgaTargets
        = { { QStringLiteral("16x16"), { 1, 2, 3, 4, 5, 6, 7, 8 } },
              { QStringLiteral("8x16"), { 1, 2, 5, 6, 7, 8 } }, { QStringLiteral("8x8"), { 1, 2, 3, 4, 5 } },
              { QStringLiteral("4x4"), { 1, 2 } }, { QStringLiteral("4x2"), { 1 } },
              { QStringLiteral("8x9"), {} } };
    if (mcu)
        return mcuTargets.value(m_model, { 1 }).contains(target);
    return fpgaTargets.value(m_model).contains(target);
}

void SimDevice::applyScene(int scene)
{
    const QVector<int> &stored = m_scenes[scene - 1];
    for (int o = 0; o < m_outputs && o < stored.size(); ++o)
        m_route[o] = stored[o];
}

QByteArray SimDevice::route(int input, const QVector<int> &outputs)
{
    const QByteArray stopped = takeOverFromPolling();
    for (int o : outputs)
        m_route[o - 1] = input;
    return stopped + A::linesOk(routeLines(outputs));
}

QByteArray SimDevice::saveScene(int scene)
{
    m_scenes[scene - 1] = m_route;
    return A::linesOk({ A::SceneSaved.arg(scene) });
}

QByteArray SimDevice::deleteScene(int scene)
{
    m_scenes[scene - 1].clear();
    return A::linesOk({ A::SceneDeleted.arg(scene) });
}

QByteArray SimDevice::setPolling(bool on)
{
    m_polling = on;
    if (m_polling)
        m_pollTimer.start(m_pollSeconds * MillisecondsPerSecond);
    else
        m_pollTimer.stop();
    return A::linesOk({ m_polling ? A::PollingEnabled : A::PollingDisabled });
}

QByteArray SimDevice::takeOverFromPolling()
{
    // An operator's own routing or recall ends the device's cycling.
    return m_polling ? setPolling(false) : QByteArray();
}

bool SimDevice::panelRoute(int input, int output)
{
    if (input < 1 || input > m_inputs || output < 0 || output > m_outputs)
        return false;
    QVector<int> outputs;
    for (int o = 1; o <= m_outputs; ++o) {
        if (output == 0 || o == output)
            outputs << o;
    }
    emit unsolicited(route(input, outputs));
    return true;
}

bool SimDevice::panelSave(int scene)
{
    if (scene < 1 || scene > SceneCount)
        return false;
    emit unsolicited(saveScene(scene));
    return true;
}

bool SimDevice::panelClear(int scene)
{
    if (scene < 1 || scene > SceneCount)
        return false;
    emit unsolicited(deleteScene(scene));
    return true;
}

void SimDevice::panelPolling(bool on)
{
    emit unsolicited(setPolling(on));
}

bool SimDevice::panelTime(int seconds)
{
    if (seconds < 1 || seconds > MaxPanelPollSeconds)
        return false;
    m_pollSeconds = seconds;
    if (m_polling)
        m_pollTimer.start(m_pollSeconds * MillisecondsPerSecond);
    return true;
}

void SimDevice::pollTick()
{
    if (m_pollList.isEmpty())
        return;
    for (int tries = 0; tries < m_pollList.size(); ++tries) {
        const int scene = m_pollList[m_pollNext % m_pollList.size()];
        m_pollNext = (m_pollNext + 1) % m_pollList.size();
        if (!m_scenes[scene - 1].isEmpty()) {
            applyScene(scene);
            emit unsolicited(A::linesOk({ A::PollingCalled.arg(scene) }));
            return;
        }
    }
}

void SimDevice::firmwareReceived(qint64 payloadBytes, bool checkOk)
{
    m_checkCode = checkOk ? QStringLiteral("ok") : QStringLiteral("bad");
    m_lastTransfer = QStringLiteral("%1,%2,%3").arg(m_lastUpdate).arg(payloadBytes).arg(m_checkCode);
}

int SimDevice::edidReceived(const QByteArray &data)
{
    const int slot = m_edidSlotPending;
    m_customEdid[slot] = data;
    m_lastTransfer = QStringLiteral("edid,%1,%2").arg(slot).arg(data.size());
    return slot;
}

bool SimDevice::setReceiveTimeout(int ms)
{
    if (ms <= 0 || ms > MaxReceiveTimeoutMs)
        return false;
    m_receiveTimeoutMs = ms;
    return true;
}

SimDevice::PayloadPtr SimDevice::beginPayload(Transfer transfer, const QString &kind, int target)
{
    auto payload = std::make_shared<Payload>();
    payload->transfer = transfer;
    payload->kind = kind;
    payload->target = target;
    if (m_payloads.size() >= MaxPayloadRecords)
        m_payloads.removeFirst();
    m_payloads << payload;
    return payload;
}

QStringList SimDevice::transferStateLines() const
{
    QString receiving = QStringLiteral("none");
    for (auto it = m_payloads.crbegin(); it != m_payloads.crend(); ++it) {
        if ((*it)->receiving) {
            receiving
                = (*it)->transfer == Transfer::Edid ? QStringLiteral("edid") : QStringLiteral("firmware");
            break;
        }
    }
    QStringList out { QStringLiteral("receiving=%1").arg(receiving),
        QStringLiteral("checkcode=%1").arg(m_checkCode),
        QStringLiteral("payloads=%1").arg(m_payloads.size()) };
    for (int i = 0; i < m_payloads.size(); ++i) {
        const Payload &p = *m_payloads[i];
        out << QStringLiteral("payload%1=%2,%3,%4,%5,%6")
                   .arg(i + 1)
                   .arg(p.kind)
                   .arg(p.target)
                   .arg(p.bytes)
                   .arg(QString::fromLatin1(p.hash.result().toHex()))
                   .arg(QLatin1String(resultName(p.result)));
    }
    for (auto it = m_customEdid.cbegin(); it != m_customEdid.cend(); ++it)
        out << QStringLiteral("edidslot%1=%2,%3")
                   .arg(it.key())
                   .arg(it->size())
                   .arg(QString::fromLatin1(QCryptographicHash::hash(*it, QCryptographicHash::Sha1).toHex()));
    out << QStringLiteral("rebooting=%1").arg(rebooting() ? 1 : 0);
    return out;
}

SimDevice::Outcome SimDevice::handle(const QByteArray &request)
{
    const QByteArray err = A::error();
    if (request.size() < 2 || !request.startsWith('(') || !request.endsWith(')'))
        return { err };
    const QByteArray body = request.mid(1, request.size() - 2);

    // The two requests with free text take everything after their fixed items.
    static const QByteArray renamePrefix = "rename,product,";
    if (body.startsWith(renamePrefix)) {
        const QByteArray name = body.mid(renamePrefix.size());
        if (name.trimmed().isEmpty() || name.size() > MaxNameBytes)
            return { err };
        m_name = name;
        return { A::linesOk({ A::ProductName }) };
    }
    // Subtitle: port, status, position, colour, text; the text ends at the
    // next comma, so a comma in it makes a sixth field.
    static const QByteArray osdPrefix = "set,osd,";
    if (body.startsWith(osdPrefix)) {
        const Items fields = body.mid(osdPrefix.size()).split(',');
        if (fields.size() != 5)
            return { err };
        const auto port = number(fields[0], 1, m_inputs);
        const auto on = number(fields[1], 0, 1);
        const auto position = number(fields[2], 1, SubtitlePositions);
        const auto colour = number(fields[3], 1, A::SubtitleColours.size());
        if (!port || !on || !position || !colour || !isSubtitleText(fields[4]))
            return { err };
        m_subtitles[*port - 1] = { *on == 1, *position, *colour, fields[4] };
        return { subtitle(*port) };
    }

    const Items items = body.split(',');
    const int count = items.size();
    const QByteArray verb = items[0];
    const QByteArray what = items.value(1);
    auto arg = [&](int index, int min, int max) { return number(items.value(index), min, max); };
    auto is = [&](const char *v, const char *w, int n) { return verb == v && what == w && count == n; };

    // Routing.
    if (is("get", "sw", 2))
        return { A::linesOk(routeLines([this] {
            QVector<int> all;
            for (int o = 1; o <= m_outputs; ++o)
                all << o;
            return all;
        }())) };
    if (verb == "sw" && count >= 3) {
        const auto input = arg(1, 1, m_inputs);
        if (!input)
            return { err };
        QVector<int> outputs;
        if (count == 3 && items[2] == "a") {
            for (int o = 1; o <= m_outputs; ++o)
                outputs << o;
        } else {
            for (int i = 2; i < count; ++i) {
                const auto output = arg(i, 1, m_outputs);
                if (!output)
                    return { err };
                outputs << *output;
            }
        }
        return { route(*input, outputs) };
    }

    // Resolutions and output settings.
    if (is("get", "i.res", 3)) {
        const auto input = arg(2, 0, m_inputs);
        if (!input)
            return { err };
        QStringList lines;
        for (int i = (*input ? *input : 1); i <= (*input ? *input : m_inputs); ++i) {
            const bool signal
                = m_inStatus.mid(i - 1, 1).compare(QLatin1String("y"), Qt::CaseInsensitive) == 0;
            lines << A::InputResolution.arg(i).arg(signal ? m_inRes[i - 1] : A::NoSignalResolution);
        }
        return { A::linesOk(lines) };
    }
    if (is("get", "o.res", 3)) {
        const auto output = arg(2, 0, m_outputs);
        if (!output)
            return { err };
        QStringList lines;
        for (int o = (*output ? *output : 1); o <= (*output ? *output : m_outputs); ++o)
            lines << A::OutputResolution.arg(o).arg(m_outRes[o - 1]);
        return { A::linesOk(lines) };
    }
    if (is("set", "o.res", 4)) {
        const auto output = arg(2, 1, m_outputs);
        const auto value = arg(3, 1, outputResolutionCount());
        if (!output || !value)
            return { err };
        m_outRes[*output - 1] = A::OutputResolutions[*value - 1];
        return { A::linesOk({ A::OutputResolution.arg(*output).arg(m_outRes[*output - 1]) }) };
    }
    if ((is("get", "o.format", 3) || is("set", "o.format", 4))) {
        const auto output = arg(2, 1, m_outputs);
        if (!output)
            return { err };
        if (count == 4) {
            const auto format = arg(3, 0, 1);
            if (!format)
                return { err };
            if (*format == 1 && m_hdcp[*output - 1])
                return { A::linesOk({ A::OutputHdcpBlocksDvi.arg(*output) }) };
            m_outFormat[*output - 1] = *format;
        }
        const QString name = m_outFormat[*output - 1] ? QStringLiteral("DVI") : QStringLiteral("HDMI");
        return { A::linesOk({ A::OutputFormat.arg(*output).arg(name) }) };
    }
    if (is("get", "brightness", 3) || is("set", "brightness", 4) || is("get", "contrast", 3)
        || is("set", "contrast", 4)) {
        const bool brightness = what == "brightness";
        QVector<int> &levels = brightness ? m_brightness : m_contrast;
        const auto output = arg(2, 1, m_outputs);
        if (!output)
            return { err };
        if (count == 4) {
            const auto level = arg(3, 0, MaxLevel);
            if (!level)
                return { err };
            levels[*output - 1] = *level;
        }
        const QString &form = brightness ? A::OutputBrightness : A::OutputContrast;
        return { A::linesOk({ form.arg(*output).arg(levels[*output - 1]) }) };
    }
    if (is("get", "ext.audio", 3) || is("set", "ext.audio", 4)) {
        const auto output = arg(2, 1, m_outputs);
        if (!hasExternalAudio() || !output)
            return { err };
        if (count == 4) {
            const auto on = arg(3, 0, 1);
            if (!on)
                return { err };
            m_extAudio[*output - 1] = *on == 1;
        }
        return { A::linesOk({ A::OutputExternalAudio.arg(*output).arg(
            m_extAudio[*output - 1] ? A::AudioOn : A::AudioOff) }) };
    }

    // EDID and CEC.
    if (is("get", "i.edid", 3)) {
        const auto input = arg(2, 1, m_inputs);
        if (!input)
            return { err };
        return { A::linesOk({ A::InputEdid.arg(*input).arg(m_edid[*input - 1]) }) };
    }
    if (is("edid", "config", 4) || is("set", "edid", 4)) {
        const auto input = arg(2, 1, m_inputs);
        const auto code = arg(3, 1, MaxEdidCode);
        if (!input || !code)
            return { err };
        m_edid[*input - 1] = *code;
        return { A::linesOk({ A::InputEdid.arg(*input).arg(*code) }) };
    }
    if (verb == "cec" && count >= 3) {
        static const QRegularExpression hexByte(QStringLiteral("\\A[0-9A-Fa-f]{2}\\z"));
        if (!hasCec() || !arg(1, 1, 2))
            return { err };
        for (int i = 2; i < count; ++i) {
            if (!hexByte.match(QString::fromLatin1(items[i])).hasMatch())
                return { err };
        }
        return { A::linesOk({ A::CecSent.arg(QString::fromLatin1(body.mid(4))) }) };
    }

    // Video wall (group 1 only).
    if (verb == "get" || verb == "set") {
        const bool wall = what.startsWith("splicer");
        if (wall && items.value(2) != "1")
            return { err };
        if (is("get", "splicermode", 3))
            return { A::linesOk({ A::WallMode.arg(1).arg(m_wallRows).arg(m_wallCols) }) };
        if (is("set", "splicermode", 5)) {
            const auto rows = arg(3, 0, m_outputs);
            const auto columns = arg(4, 0, m_outputs);
            if (!rows || !columns || *rows * *columns > m_outputs || (*rows == 0) != (*columns == 0))
                return { err };
            m_wallRows = *rows;
            m_wallCols = *columns;
            resetWallMapping();
            return { A::linesOk({ A::WallMode.arg(1).arg(m_wallRows).arg(m_wallCols) }) };
        }
        if (is("get", "splicerpos", 3)) {
            QStringList lines { A::WallPositionsHead };
            for (auto it = m_wallPos.cbegin(); it != m_wallPos.cend(); ++it)
                lines << A::WallPositionRecord.arg(1).arg(it.key()).arg(it->first).arg(it->second);
            return { A::linesOk(lines) };
        }
        if (is("set", "splicerpos", 6)) {
            const auto port = arg(3, 1, m_outputs);
            const auto row = arg(4, 1, qMax(m_wallRows, 1));
            const auto column = arg(5, 1, qMax(m_wallCols, 1));
            if (!port || !row || !column || m_wallRows == 0 || m_wallCols == 0)
                return { err };
            for (auto it = m_wallPos.begin(); it != m_wallPos.end();) {
                if (it.value() == qMakePair(*row, *column))
                    it = m_wallPos.erase(it);
                else
                    ++it;
            }
            m_wallPos[*port] = { *row, *column };
            return { A::lines({ A::WallSet }) };
        }
        if (is("get", "splicerbord", 3) || is("set", "splicerbord", 5)) {
            if (count == 5) {
                const auto first = arg(3, 0, MaxBorder);
                const auto second = arg(4, 0, MaxBorder);
                if (!first || !second)
                    return { err };
                m_borderFirst = *first;
                m_borderSecond = *second;
            }
            return { A::linesOk({ A::WallBorder.arg(1).arg(m_borderFirst).arg(m_borderSecond) }) };
        }
        if (is("set", "splicerclear", 3)) {
            resetWallMapping();
            return { A::linesOk({ A::WallCleared.arg(1) }) };
        }
        if (is("set", "splicerenable", 3)) {
            m_wallEnabled = true;
            return { A::lines({ A::WallSet }) };
        }
        if (is("set", "splicersrc", 4)) {
            const auto input = arg(3, 1, m_inputs);
            if (!input)
                return { err };
            m_wallSource = *input;
            for (auto it = m_wallPos.cbegin(); it != m_wallPos.cend(); ++it)
                m_route[it.key() - 1] = *input;
            return { A::linesOk({ A::WallSource.arg(1).arg(*input) }) };
        }
        if (wall)
            return { err };
    }

    // Partition (multi-view) groups.
    if (is("get", "splitmode", 3) || is("set", "splitmode", 4) || is("get", "splitavsw", 3)
        || is("set", "splitavsw", 5)) {
        const auto group = arg(2, 1, splitGroups());
        if (!group)
            return { err };
        SplitGroup &g = m_split[*group - 1];
        if (what == "splitmode") {
            if (count == 4) {
                const auto mode = arg(3, 0, SplitModes - 1);
                if (!mode)
                    return { err };
                g.mode = *mode;
            }
            return { A::linesOk({ A::SplitMode.arg(*group).arg(g.mode) }) };
        }
        if (count == 5) {
            const auto input = arg(3, 1, WindowsPerGroup);
            const auto window = arg(4, 1, WindowsPerGroup);
            if (!input || !window)
                return { err };
            g.windows[*window - 1] = *input;
        }
        return { A::linesOk({ A::SplitVideo.arg(*group)
                                  .arg(g.windows[0])
                                  .arg(g.windows[1])
                                  .arg(g.windows[2])
                                  .arg(g.windows[3]) }) };
    }

    // Scenes and scene polling.
    if (verb == "scene") {
        if (count == 3 && (what == "save" || what == "call" || what == "del")) {
            const auto scene = arg(2, 1, SceneCount);
            if (!scene)
                return { err };
            if (what == "save")
                return { saveScene(*scene) };
            if (what == "del")
                return { deleteScene(*scene) };
            // Nothing to recall: polling goes on and the answer says why.
            if (m_scenes[*scene - 1].isEmpty())
                return { sceneState(*scene) };
            const QByteArray stopped = takeOverFromPolling();
            applyScene(*scene);
            return { stopped + A::linesOk({ A::SceneCalled.arg(*scene) }) };
        }
        if (count == 3 && what == "sta") {
            const auto scene = arg(2, 0, SceneCount);
            return scene ? Outcome { sceneState(*scene) } : Outcome { err };
        }
        if (count == 2 && what == "liststa")
            return { pollingList() };
        if (count >= 3 && what == "list") {
            QVector<int> list;
            const bool empty = count == 3 && items[2] == "0";
            for (int i = 2; i < count && !empty; ++i) {
                const auto scene = arg(i, 1, SceneCount);
                if (!scene)
                    return { err };
                list << *scene;
            }
            m_pollList = list;
            m_pollNext = 0;
            return { pollingList() };
        }
        if (count == 2 && what == "gettime")
            return { A::linesOk({ A::PollingTime.arg(m_pollSeconds) }) };
        if (count == 3 && what == "time") {
            const auto seconds = arg(2, 1, MaxPollSeconds);
            if (!seconds)
                return { err };
            m_pollSeconds = *seconds;
            if (m_polling)
                m_pollTimer.start(m_pollSeconds * MillisecondsPerSecond);
            return { A::linesOk({ A::PollingTime.arg(m_pollSeconds) }) };
        }
        if (count == 3 && what == "polling") {
            const auto on = arg(2, 0, 1);
            if (!on)
                return { err };
            return { setPolling(*on == 1) };
        }
        if (count == 2 && what == "pollsta")
            return { A::linesOk({ m_polling ? A::PollingEnabled : A::PollingDisabled }) };
        return { err };
    }

    // Device information and system settings.
    if (is("info", "dev", 2))
        return { deviceInfo() };
    if (is("info", "link", 2))
        return { signalStatus() };
    if (body == "ver")
        return { versions() };
    if (body == "cer")
        return { A::linesOk({ A::BaudBanner.arg(m_inBaud) }) };
    if (is("get", "i.baud", 2))
        return { A::linesOk({ A::InBaud.arg(m_inBaud) }) };
    if (is("get", "o.baud", 2))
        return { A::linesOk({ A::OutBaud.arg(m_outBaud) }) };
    if (is("set", "i.baud", 3) || is("set", "o.baud", 3)) {
        const auto code = arg(2, 1, BaudByCode.size());
        if (!code)
            return { err };
        const int rate = BaudByCode[*code - 1];
        if (what == "o.baud") {
            m_outBaud = rate;
            return { A::linesOk({ A::OutBaud.arg(rate) }) };
        }
        // A stuck device confirms the rate it was asked for and stays where it was.
        if (!m_baudStuck)
            m_inBaud = rate;
        return { A::linesOk({ A::InBaud.arg(rate) }) };
    }
    if (is("get", "netcfg", 2))
        return { network() };
    if (is("set", "netcfg", 5)) {
        if (!setNetwork(
                QString::fromLatin1(items[2]), QString::fromLatin1(items[3]), QString::fromLatin1(items[4])))
            return { err };
        emit moduleRestarting(m_ip);
        return { network() };
    }
    if (body == "standby") {
        m_standby = true;
        m_polling = false;
        m_pollTimer.stop();
        return { A::linesOk({ A::SystemOff }) };
    }
    if (body == "wakeup") {
        m_standby = false;
        return { A::linesOk({ A::SystemOn }) };
    }
    if (count == 2 && verb == "lock") {
        const auto on = arg(1, 0, 1);
        if (!on)
            return { err };
        m_locked = *on == 1;
        return { A::linesOk({ m_locked ? A::KeysLocked : A::KeysUnlocked }) };
    }
    if (body == "reset") {
        factoryReset();
        return { A::linesOk({ A::FactoryReset }) };
    }

    // File transfers: the device now takes raw data instead of requests.
    if (count == 3 && verb == "update") {
        if (what == "edid") {
            const auto slot = arg(2, 1, CustomEdidSlots);
            if (!slot)
                return { err };
            m_edidSlotPending = *slot;
            return { A::linesOk({ A::ReadyForEdid }), Transfer::Edid,
                beginPayload(Transfer::Edid, QStringLiteral("edid"), *slot) };
        }
        const auto target = arg(2, 1, MaxPorts);
        if ((what != "mcu" && what != "fpga") || !target || !validUpdateTarget(what == "mcu", *target))
            return { err };
        m_lastUpdate = QStringLiteral("%1,%2").arg(QString::fromLatin1(what)).arg(*target);
        m_checkCode = QStringLiteral("none");
        return { A::linesOk({ A::ReadyForFirmware }), Transfer::Firmware,
            beginPayload(Transfer::Firmware, QString::fromLatin1(what), *target) };
    }
    if (is("get", "osd", 3)) {
        const auto port = arg(2, 1, m_inputs);
        return port ? Outcome { subtitle(*port) } : Outcome { err };
    }
    return { err };
}

QStringList SimDevice::stateLines() const
{
    QStringList scenes;
    for (int n = 1; n <= SceneCount; ++n) {
        if (!m_scenes[n - 1].isEmpty())
            scenes << QString::number(n);
    }
    QStringList wall;
    for (auto it = m_wallPos.cbegin(); it != m_wallPos.cend(); ++it)
        wall << QStringLiteral("%1@%2,%3").arg(it.key()).arg(it->first).arg(it->second);
    QStringList split;
    for (const SplitGroup &g : m_split)
        split << QStringLiteral("%1:%2").arg(g.mode).arg(joinNumbers(g.windows));
    QStringList osd;
    for (const Subtitle &s : m_subtitles)
        osd << QStringLiteral("%1/%2/%3/%4")
                   .arg(s.on)
                   .arg(s.position)
                   .arg(s.colour)
                   .arg(wireCodec()->toUnicode(s.text));
    QStringList edidSlots;
    for (auto it = m_customEdid.cbegin(); it != m_customEdid.cend(); ++it)
        edidSlots << QStringLiteral("%1:%2").arg(it.key()).arg(it->size());
    // A table value where there is one, the reported text otherwise.
    QStringList outputResolutions;
    for (int o = 1; o <= m_outputs; ++o) {
        const int value = outputResolutionValue(o);
        outputResolutions << (value ? QString::number(value) : m_outRes[o - 1]);
    }
    auto flags = [](const QVector<bool> &v) {
        QString s;
        for (bool b : v)
            s += b ? QLatin1Char('1') : QLatin1Char('0');
        return s;
    };
    QStringList lines {
        QStringLiteral("model=%1").arg(m_model),
        QStringLiteral("type=%1").arg(m_type),
        QStringLiteral("route=%1").arg(joinNumbers(m_route)),
        QStringLiteral("scenes=%1").arg(scenes.join(QLatin1Char(','))),
        QStringLiteral("name=%1").arg(wireCodec()->toUnicode(m_name)),
        QStringLiteral("inbaud=%1").arg(m_inBaud),
        QStringLiteral("outbaud=%1").arg(m_outBaud),
        QStringLiteral("baudstuck=%1").arg(m_baudStuck ? 1 : 0),
        QStringLiteral("netcfg=%1,%2,%3").arg(m_ip, m_mask, m_gateway),
        QStringLiteral("standby=%1").arg(m_standby ? 1 : 0),
        QStringLiteral("lock=%1").arg(m_locked ? 1 : 0),
        QStringLiteral("polling=%1").arg(m_polling ? 1 : 0),
        QStringLiteral("polllist=%1").arg(joinNumbers(m_pollList)),
        QStringLiteral("polltime=%1").arg(m_pollSeconds),
        QStringLiteral("instatus=%1").arg(m_inStatus),
        QStringLiteral("ires=%1").arg(m_inRes.mid(0, m_inputs).join(QLatin1Char(','))),
        QStringLiteral("outstatus=%1").arg(m_outStatus),
        QStringLiteral("edid=%1").arg(joinNumbers(m_edid)),
        QStringLiteral("customedid=%1").arg(edidSlots.join(QLatin1Char(','))),
        QStringLiteral("ores=%1").arg(outputResolutions.join(QLatin1Char(','))),
        QStringLiteral("oformat=%1").arg(joinNumbers(m_outFormat)),
        QStringLiteral("brightness=%1").arg(joinNumbers(m_brightness)),
        QStringLiteral("contrast=%1").arg(joinNumbers(m_contrast)),
        QStringLiteral("extaudio=%1").arg(flags(m_extAudio)),
        QStringLiteral("hdcp=%1").arg(flags(m_hdcp)),
        QStringLiteral("wall=%1x%2").arg(m_wallRows).arg(m_wallCols),
        QStringLiteral("wallpos=%1").arg(wall.join(QLatin1Char(';'))),
        QStringLiteral("wallborder=%1,%2").arg(m_borderFirst).arg(m_borderSecond),
        QStringLiteral("wallsource=%1").arg(m_wallSource),
        QStringLiteral("wallenable=%1").arg(m_wallEnabled ? 1 : 0),
        QStringLiteral("splitgroups=%1").arg(splitGroups()),
        QStringLiteral("split=%1").arg(split.join(QLatin1Char(';'))),
        QStringLiteral("osd=%1").arg(osd.join(QLatin1Char(';'))),
        QStringLiteral("versions=%1,%2,%3").arg(m_versionControl, m_versionReceiver, m_versionTransmitter),
        QStringLiteral("lasttransfer=%1").arg(m_lastTransfer),
    };
    return lines + transferStateLines();
}
