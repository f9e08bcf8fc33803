#include "link/dispatch/replydispatcher.h"

#include "app/labsettings.h"
#include "app/logpreview.h"

#include <QDebug>
#include <QPointer>
#include <QRegularExpression>
#include <QStringList>
#include <QTimer>

#include <bitset>

using Protocol::Answer;

namespace {

constexpr int Ipv4Octets = 4;
constexpr int ThirdOctet = 2;
constexpr int Ipv4Bits = 32;

// Keys of the settings files the dispatcher writes.
const QString BaudRateKey = QStringLiteral("Serial_port_information/Baud_Rate");
const QString DeviceIpKey = QStringLiteral("TCP_information/MyIP");
const QString LocalIpKey = QStringLiteral("TCP_information/LocalIP");
const QString PortKey = QStringLiteral("TCP_information/MyPort");
const QString ModuleMacKey = QStringLiteral("TCP_information/ModeMac");

constexpr int TcpLink = 1;
constexpr int SerialLink = 2;

QString upperV(QString version)
{
    return version.replace(QLatin1Char('v'), QLatin1Char('V'));
}

bool isOneOf(const QString &model, std::initializer_list<const char *> models)
{
    for (const char *m : models) {
        if (model == QLatin1String(m))
            return true;
    }
    return false;
}

// A value only when its closing keyword follows: a version cut off before
// its "ok" is not shown as if it were whole.
std::optional<QString> completeValue(const QString &text, QLatin1String open, QLatin1String close)
{
    const int at = text.indexOf(open);
    if (at < 0 || text.indexOf(close, at + open.size()) < 0)
        return std::nullopt;
    return Protocol::valueBetween(text, open, close);
}

QString withoutTrailingLineBreaks(QString text)
{
    while (!text.isEmpty() && (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r'))))
        text.chop(1);
    return text;
}

QString withoutLineBreaks(QString text)
{
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

bool isDropped(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// The received form of `name`: the tail of `rawBefore` that compacts to it.
// Another answer (a heartbeat's) may run in front of the name in the raw text.
std::optional<QString> receivedName(const QString &rawBefore, const QString &name)
{
    int kept = 0;
    int at = rawBefore.size();
    while (at > 0 && kept < name.size()) {
        --at;
        if (!isDropped(rawBefore.at(at)))
            ++kept;
    }
    if (kept != name.size())
        return std::nullopt;
    const QString candidate = withoutLineBreaks(rawBefore.mid(at)).trimmed();
    if (Protocol::compact(candidate) != name)
        return std::nullopt;
    return candidate;
}

} // namespace

ReplyDispatcher::ReplyDispatcher(DispatchSink &sink, QObject *parent) : QObject(parent), m_sink(sink) {}

ReplyDispatcher::~ReplyDispatcher() = default;

bool ReplyDispatcher::isBuiltIn(Answer answer)
{
    switch (answer) {
    case Answer::FactoryReset:
    case Answer::SystemOff:
    case Answer::SystemOn:
    case Answer::Lock:
    case Answer::Unlock:
    case Answer::SignalStatus:
    case Answer::DeviceInfo:
    case Answer::ControlCardVersion:
    case Answer::BoardVersions:
    case Answer::ProductName:
    case Answer::NetworkSettings:
        return true;
    default:
        return false;
    }
}

bool ReplyDispatcher::setBranchHandler(Answer answer, BranchHandler handler)
{
    if (isBuiltIn(answer))
        return false;
    m_handlers[static_cast<size_t>(answer) - 1] = std::move(handler);
    return true;
}

bool ReplyDispatcher::hasBranchHandler(Answer answer) const
{
    return isBuiltIn(answer) || bool(m_handlers[static_cast<size_t>(answer) - 1]);
}

QString ReplyDispatcher::chooseLocalAddress(const QString &deviceIp, const QList<LocalAddress> &candidates)
{
    const auto device = LocalAddress::ipv4Value(deviceIp);
    if (!device)
        return QString();
    for (const LocalAddress &local : candidates) {
        const auto address = LocalAddress::ipv4Value(local.address);
        if (!address || local.prefixLength < 1 || local.prefixLength > Ipv4Bits)
            continue;
        const quint32 mask = local.prefixLength == Ipv4Bits ? 0xffffffffu : ~(0xffffffffu >> local.prefixLength);
        if ((*address & mask) == (*device & mask))
            return local.address;
    }
    const QString third = deviceIp.split(QLatin1Char('.')).value(ThirdOctet);
    for (const LocalAddress &local : candidates) {
        const QStringList parts = local.address.split(QLatin1Char('.'));
        if (parts.size() == Ipv4Octets && parts.at(ThirdOctet).toInt() == third.toInt())
            return local.address;
    }
    return QString();
}

void ReplyDispatcher::dispatch(const QString &text, const QString &rawText)
{
    // Own copies: a branch may wait, and a nested dispatch must not touch them.
    QString work = text;
    const QString raw = rawText;
    QPointer<ReplyDispatcher> self(this);
    ++m_depth;
    struct DepthGuard
    {
        QPointer<ReplyDispatcher> &d;
        ~DepthGuard()
        {
            if (d)
                --d->m_depth;
        }
    } depthGuard{self};

    m_sink.setLinkBusy(false);
    m_sink.clearReplyBuffer();
    m_sink.setDataArrived();

    // A subtitle's text is the operator's ("Timeout", "Press"): its answer
    // is taken out before any test, so that only the subtitle branch sees it.
    QString subtitleAnswer;
    if (const auto span = Protocol::findSubtitleAnswer(work)) {
        subtitleAnswer = work.mid(span->begin, span->end - span->begin);
        work.remove(span->begin, span->end - span->begin);
    }

    bool holdHeartbeat = false;
    for (const Protocol::AnswerTest &test : Protocol::answerTable()) {
        const bool cutSubtitle = test.answer == Answer::Osd && !subtitleAnswer.isEmpty();
        if (!cutSubtitle && !Protocol::matches(work, test))
            continue;
        const int number = static_cast<int>(test.answer);
        emit branchMatched(number);
        if (!self)
            return;
        Flow flow = Flow::Continue;
        if (isBuiltIn(test.answer)) {
            flow = runBuiltIn(test.answer, work, raw, holdHeartbeat);
        } else if (const BranchHandler handler = m_handlers[static_cast<size_t>(number) - 1]) {
            // The handler is copied: it may be replaced while it waits.
            BranchCall call{cutSubtitle ? subtitleAnswer : work, raw};
            flow = handler(call);
            holdHeartbeat = holdHeartbeat || call.heartbeatRestarted;
        } else {
            static std::bitset<Protocol::AnswerCount> reported;
            if (!reported.test(static_cast<size_t>(number) - 1)) {
                reported.set(static_cast<size_t>(number) - 1);
                qDebug() << "no handler yet for answer" << number << test.name;
            }
        }
        if (!self)
            return;
        if (flow == Flow::End) {
            qDebug() << "dispatch ended by answer" << number << test.name;
            emit dispatchEnded(number);
            return;
        }
    }
    // Factory reset and a confirmed network change restart the heartbeat in
    // their delayed step, once the device is back.
    if (!holdHeartbeat)
        m_sink.startHeartbeat(m_timings.heartbeatMs);
}

ReplyDispatcher::Flow ReplyDispatcher::runBuiltIn(Answer answer, QString &work, const QString &raw, bool &holdHeartbeat)
{
    switch (answer) {
    case Answer::FactoryReset:
        return factoryReset(holdHeartbeat);
    case Answer::SystemOff:
        systemOff();
        break;
    case Answer::SystemOn:
        systemOn();
        break;
    case Answer::Lock:
        m_sink.setKeyLockButtons(true, false);
        m_sink.showToast(tr("按键锁定成功！"), QLatin1String(Protocol::SuccessStyle));
        break;
    case Answer::Unlock:
        m_sink.setKeyLockButtons(false, true);
        m_sink.showToast(tr("按键解锁成功！"), QLatin1String(Protocol::SuccessStyle));
        break;
    case Answer::SignalStatus:
        return signalStatus(work);
    case Answer::DeviceInfo:
        deviceInfo(work, raw);
        break;
    case Answer::ControlCardVersion:
        controlCardVersion(work);
        break;
    case Answer::BoardVersions:
        boardVersions(work);
        break;
    case Answer::ProductName:
        m_sink.showToast(tr("设备名称设置成功！"), QLatin1String(Protocol::SuccessStyle));
        break;
    case Answer::NetworkSettings:
        networkSettings(work, holdHeartbeat);
        break;
    default:
        break;
    }
    return Flow::Continue;
}

ReplyDispatcher::Flow ReplyDispatcher::factoryReset(bool &holdHeartbeat)
{
    m_state.factoryResetRunning = true;
    m_sink.stopHeartbeat();
    holdHeartbeat = true;

    m_sink.writeSetting(SettingsFileId::SerialConfig, BaudRateKey, QLatin1String(FactoryBaudRate));
    m_sink.writeSetting(SettingsFileId::TcpConfig, DeviceIpKey, LabSettings::factoryDeviceIp());
    // A serial session holds no TCP values: keep the stored ones then.
    const QString localIp = m_sink.localIp();
    const QString port = m_sink.tcpPort();
    const QString mac = m_sink.moduleMac();
    if (!localIp.isEmpty())
        m_sink.writeSetting(SettingsFileId::TcpConfig, LocalIpKey, localIp);
    if (!port.isEmpty())
        m_sink.writeSetting(SettingsFileId::TcpConfig, PortKey, port);
    if (!mac.isEmpty())
        m_sink.writeSetting(SettingsFileId::TcpConfig, ModuleMacKey, mac);

    m_sink.setSerialBaudRate(QLatin1String(FactoryBaudRate));
    if (m_sink.connectionType() == SerialLink && !m_sink.reopenSerialPort())
        qWarning() << "serial port did not reopen after factory reset";

    m_sink.setPictureSliders(1, FactorySliderLastOutput, FactorySliderValue);
    m_sink.showWaiting(true);
    m_sink.showAllScenesEmpty();
    QTimer::singleShot(m_timings.factoryResetMs, this, &ReplyDispatcher::finishFactoryReset);
    return Flow::Continue;
}

void ReplyDispatcher::finishFactoryReset()
{
    m_state.factoryResetRunning = false;
    if (m_sink.connectionType() == TcpLink) {
        const QString device = LabSettings::factoryDeviceIp();
        m_sink.reconnectTcp(device, chooseLocalAddress(device, m_sink.localAddresses()));
    }
    m_sink.showWaiting(false);
    m_sink.showToast(tr("恢复出厂值成功！"), QLatin1String(Protocol::SuccessStyle));
    m_sink.restoreFactoryNames();
    m_sink.startHeartbeat(m_timings.heartbeatMs);
}

void ReplyDispatcher::systemOff()
{
    m_state.standby = true;
    m_sink.showDisconnectedLook();
    m_sink.setStandbyButtons(true);
    m_sink.showToast(tr("系统待机成功！"), QLatin1String(Protocol::SuccessStyle));
}

void ReplyDispatcher::systemOn()
{
    constexpr int PlainSceneCheck = 3;
    m_sink.setSceneCallOrDeleteFlag(PlainSceneCheck);
    m_state.standby = false;
    m_sink.setStandbyButtons(false);
    if (!m_state.wakePending)
        return;
    m_state.wakePending = false;
    m_sink.setLinkBusy(true);
    m_sink.showWaiting(true);
    m_sink.setReceiveSuspended(false);
    const int delay =
        m_sink.deviceModel() == QLatin1String("4x4") ? m_timings.wakeUpDelay4x4Ms : m_timings.wakeUpDelayMs;
    QTimer::singleShot(delay, this, &ReplyDispatcher::runWakeUpSequence);
}

void ReplyDispatcher::runWakeUpSequence()
{
    // Every step may pump events: re-read everything afterwards and stop if
    // the dispatcher went away meanwhile.
    QPointer<ReplyDispatcher> self(this);
    QString answer, raw;
    if (m_sink.sendRequestSync(QLatin1String(Protocol::Command::InfoDevice), answer, raw) && self)
        dispatch(answer, raw);
    if (!self)
        return;
    answer.clear();
    raw.clear();
    if (m_sink.sendRequestSync(Protocol::build(Protocol::Command::SceneStatus, {0}), answer, raw) && self)
        m_sink.refreshSceneStatus(answer);
    if (!self)
        return;

    if (m_sink.currentPage() == SystemInformationPage) {
        answer.clear();
        raw.clear();
        if (m_sink.sendRequestSync(Protocol::build(Protocol::Command::GetOutputResolution, {0}), answer, raw) && self)
            dispatch(answer, raw);
        if (!self)
            return;
        m_sink.delayMs(m_timings.wakeUpResolutionGapMs);
        if (!self)
            return;
        answer.clear();
        raw.clear();
        if (m_sink.sendRequestSync(Protocol::build(Protocol::Command::GetInputResolution, {0}), answer, raw) && self)
            dispatch(answer, raw);
        if (!self)
            return;
    }
    m_sink.setLinkBusy(false);
    m_sink.showWaiting(false);
    m_sink.startHeartbeat(m_timings.heartbeatMs);
    m_sink.showToast(tr("系统唤醒成功！"), QLatin1String(Protocol::SuccessStyle));
}

ReplyDispatcher::Flow ReplyDispatcher::signalStatus(QString &work)
{
    const auto status = Protocol::findSignalStatus(work);
    if (!status)
        return Flow::Continue;
    const int inputs = status->inputs.size();
    const int outputs = status->outputs.size();
    if (!status->countsInRange()) {
        qDebug() << "signal status with port counts out of range:" << inputs << outputs;
        return Flow::End;
    }
    // Later branches see the text without this answer, so a routing answer
    // that came with a heartbeat is still acted on.
    work = Protocol::withoutSignalStatus(work);

    if (!m_state.modelApplied) {
        // Set first: applying the model may pump events and re-enter.
        m_state.modelApplied = true;
        const QString model = Protocol::modelText(inputs, outputs);
        qDebug().noquote() << "device model =" << model;
        m_sink.applyModel(model);
    }
    m_sink.showPortStatus(status->inputs, status->outputs);
    return Flow::Continue;
}

void ReplyDispatcher::deviceInfo(QString &work, const QString &raw)
{
    const QLatin1String system("system");
    const auto fixed = Protocol::findDeviceInfoAnswer(work);
    int cutBegin = 0;
    int cutEnd = 0;
    if (!fixed) {
        if (const auto name = Protocol::textBefore(work, system))
            m_sink.setDeviceName(*name);
    } else {
        // The device sends the name on a line of its own: with the received
        // text the name is that line (blanks kept, an answer in front left
        // out, an "ok" inside the name kept); without it, all that precedes.
        int nameBegin = 0;
        QString shown;
        static const QRegularExpression rawFixedPart(QStringLiteral("system\\s*o(?:n|ff)"));
        const int rawAt = raw.indexOf(rawFixedPart);
        if (rawAt >= 0) {
            const QString before = withoutTrailingLineBreaks(raw.left(rawAt));
            const QString line = before.mid(before.lastIndexOf(QLatin1Char('\n')) + 1).trimmed();
            const QString compactLine = Protocol::compact(line);
            const int begin = fixed->begin - compactLine.size();
            if (!compactLine.isEmpty() && begin >= 0 && work.midRef(begin, compactLine.size()) == compactLine) {
                nameBegin = begin;
                shown = line;
            }
        }
        const QString name = work.mid(nameBegin, fixed->begin - nameBegin);
        if (shown.isEmpty()) {
            shown = name;
            if (rawAt >= 0) {
                if (const auto received = receivedName(raw.left(rawAt), name))
                    shown = *received;
            }
        }
        m_sink.setDeviceName(shown);
        cutBegin = nameBegin;
        cutEnd = fixed->end;
    }
    // The state words of the fixed part, not those of a name ("Unlock Bar").
    const QString state = fixed ? work.mid(fixed->begin, fixed->end - fixed->begin) : work;
    if (state.contains(QLatin1String("lock"))) {
        const bool unlocked = state.contains(QLatin1String("unlock"));
        m_sink.setKeyLockButtons(!unlocked, unlocked);
    }
    if (state.contains(QLatin1String("systemoff"))) {
        m_state.standby = true;
        m_sink.stopHeartbeat();
        m_sink.showDisconnectedLook();
        m_sink.setStandbyButtons(true);
        m_sink.setKeyLockButtons(false, false);
    }
    if (state.contains(QLatin1String("systemon"))) {
        m_state.standby = false;
        m_sink.startHeartbeat(m_timings.heartbeatMs);
        m_sink.setStandbyButtons(false);
    }
    // The name is free text ("Main output"): later branches must not read
    // it as their keywords.
    if (cutEnd > cutBegin)
        work.remove(cutBegin, cutEnd - cutBegin);
}

void ReplyDispatcher::controlCardVersion(const QString &work)
{
    if (isOneOf(m_sink.deviceModel(), {"4x2", "4x4", "8x8", "8x9"})) {
        const auto version = completeValue(work, QLatin1String("mcuctrl"), QLatin1String("ok"));
        if (version && !version->isEmpty())
            m_sink.setControlCardVersion(upperV(*version));
        else
            qDebug().noquote() << "version answer without a version or its \"ok\":" << LogPreview::cut(work);
    }
    m_sink.setHostVersion(QLatin1String(HostVersion));
}

void ReplyDispatcher::boardVersions(const QString &work)
{
    if (!isOneOf(m_sink.deviceModel(), {"8x16", "16x16"}))
        return;
    const auto rx = completeValue(work, QLatin1String("mcurx"), QLatin1String("mcutx"));
    const auto tx = completeValue(work, QLatin1String("mcutx"), QLatin1String("ok"));
    if (!rx || !tx)
        qDebug().noquote() << "version answer incomplete:" << LogPreview::cut(work);
    if (rx && !rx->isEmpty())
        m_sink.setReceiverVersion(upperV(*rx));
    if (tx && !tx->isEmpty())
        m_sink.setTransmitterVersion(upperV(*tx));
    m_sink.setHostVersion(QLatin1String(HostVersion));
}

void ReplyDispatcher::networkSettings(const QString &work, bool &holdHeartbeat)
{
    m_sink.stopHeartbeat();
    NetworkFields fields;
    // "ip" is short enough to occur in an earlier answer: take the one
    // nearest to "mask".
    fields.address = Protocol::valueBefore(work, QLatin1String("ip"), QLatin1String("mask"));
    fields.mask = Protocol::valueBetween(work, QLatin1String("mask"), QLatin1String("gateway"));
    fields.gateway = Protocol::valueBetween(work, QLatin1String("gateway"), QLatin1String("ok"));
    m_sink.setNetworkFields(fields);

    if (!m_sink.netcfgSetting())
        return;
    const auto parsed = LocalAddress::ipv4Value(fields.address.value_or(QString()));
    if (!parsed) {
        qWarning().noquote() << "network change confirmed with an unusable address:"
                             << LogPreview::cut(fields.address.value_or(QString()));
        return;
    }
    // Stored as plain decimal octets: a leading zero would later read as octal.
    const quint32 v = *parsed;
    const QString address = QStringLiteral("%1.%2.%3.%4").arg(v >> 24).arg((v >> 16) & 0xff).arg((v >> 8) & 0xff).arg(v & 0xff);
    // The change is confirmed once; a later query must not store again.
    m_sink.setNetcfgSetting(false);
    const QString localIp = chooseLocalAddress(address, m_sink.localAddresses());
    m_sink.writeSetting(SettingsFileId::TcpConfig, DeviceIpKey, address);
    m_sink.writeSetting(SettingsFileId::TcpConfig, LocalIpKey, localIp);
    const QString port = m_sink.tcpPort();
    const QString mac = m_sink.moduleMac();
    if (!port.isEmpty())
        m_sink.writeSetting(SettingsFileId::TcpConfig, PortKey, port);
    if (!mac.isEmpty())
        m_sink.writeSetting(SettingsFileId::TcpConfig, ModuleMacKey, mac);
    m_sink.showToast(tr("网口参数修改成功,模块重启中!"), QLatin1String(Protocol::SuccessStyle));
    m_sink.showWaiting(true);
    holdHeartbeat = true;
    QTimer::singleShot(m_timings.networkReconnectMs, this,
                       [this, address, localIp] { finishNetworkChange(address, localIp); });
}

void ReplyDispatcher::finishNetworkChange(const QString &deviceIp, const QString &localIp)
{
    // A serial session keeps its port; the new address is stored for the
    // next TCP session.
    if (m_sink.connectionType() == TcpLink)
        m_sink.reconnectTcp(deviceIp, localIp);
    m_sink.startHeartbeat(m_timings.heartbeatMs);
    m_sink.showWaiting(false);
}
