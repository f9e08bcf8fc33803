#include "tools/sim/simcontrol.h"

#include "tools/sim/answers.h"
#include "tools/sim/simdevice.h"
#include "tools/sim/simdiscovery.h"
#include "tools/sim/simserver.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextCodec>
#include <QTimer>

namespace {

constexpr int MaxFaultMs = 60000;
constexpr int MaxFloodRate = 100 * 1024 * 1024;
constexpr int MaxBigReplyBytes = 64 * 1024 * 1024;
// The largest packet number a fault may name (a 64 MiB image).
constexpr int MaxFaultPacket = 65536;

// A count from 1 to `max`.
bool countUpTo(const QString &word, int max, int *count)
{
    bool ok = false;
    *count = word.toInt(&ok);
    return ok && *count > 0 && *count <= max;
}

// A whole decimal number, nothing else.
bool integer(const QString &word, int *value)
{
    bool ok = false;
    *value = word.toInt(&ok);
    return ok && !word.startsWith(QLatin1Char('+'));
}

bool onOff(const QString &word, bool *on)
{
    if (word == QLatin1String("on"))
        *on = true;
    else if (word == QLatin1String("off"))
        *on = false;
    else
        return false;
    return true;
}

bool milliseconds(const QString &word, int *ms)
{
    bool ok = false;
    *ms = word.toInt(&ok);
    return ok && *ms >= 0 && *ms <= MaxFaultMs;
}

bool hexBytes(const QString &text, QByteArray *bytes)
{
    QString hex = text;
    hex.remove(QRegularExpression(QStringLiteral("\\s")));
    static const QRegularExpression valid(QStringLiteral("\\A([0-9A-Fa-f]{2})+\\z"));
    if (!valid.match(hex).hasMatch())
        return false;
    *bytes = QByteArray::fromHex(hex.toLatin1());
    return true;
}

// Text after the first n words of a line, as typed.
QString rest(const QString &line, int n)
{
    QString text = line.trimmed();
    for (int i = 0; i < n; ++i) {
        const int space = text.indexOf(QRegularExpression(QStringLiteral("\\s")));
        text = space < 0 ? QString() : text.mid(space).trimmed();
    }
    return text;
}

QByteArray unescape(const QString &text)
{
    QByteArray out;
    const QByteArray in = text.toUtf8();
    for (int i = 0; i < in.size(); ++i) {
        if (in[i] == '\\' && i + 1 < in.size()) {
            const char c = in[++i];
            out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
        } else {
            out += in[i];
        }
    }
    return out;
}

} // namespace

SimControl::SimControl(SimDevice *device, SimServer *server, SimDiscovery *discovery, QObject *parent)
    : QObject(parent)
    , m_device(device)
    , m_server(server)
    , m_discovery(discovery)
{
}

bool SimControl::listen(const QHostAddress &address, quint16 port, QString *error)
{
    m_tcp = new QTcpServer(this);
    if (!m_tcp->listen(address, port)) {
        *error
            = QStringLiteral("control %1:%2: %3").arg(address.toString()).arg(port).arg(m_tcp->errorString());
        return false;
    }
    connect(m_tcp, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_tcp->nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine()) {
                    const QString line = QString::fromUtf8(socket->readLine(MaxLineBytes)).trimmed();
                    if (line.isEmpty())
                        continue;
                    QStringList output;
                    const QString error = execute(line, &output);
                    for (const QString &data : qAsConst(output))
                        socket->write(data.toUtf8() + '\n');
                    socket->write(error.isEmpty() ? QByteArray("OK\n") : "ERR " + error.toUtf8() + '\n');
                    socket->flush();
                    if (line == QLatin1String("quit"))
                        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
                }
                if (socket->bytesAvailable() > MaxLineBytes)
                    socket->abort();
            });
        }
    });
    return true;
}

quint16 SimControl::port() const
{
    return m_tcp ? m_tcp->serverPort() : 0;
}

QString SimControl::execute(const QString &line, QStringList *output)
{
    const QStringList words = line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return QStringLiteral("empty command");
    const QString &command = words[0];
    if (command == QLatin1String("ping") || command == QLatin1String("quit"))
        return {};
    if (command == QLatin1String("fault"))
        return fault(words);
    if (command == QLatin1String("set"))
        return set(words, line);
    if (command == QLatin1String("discovery"))
        return discovery(words, line);
    if (command == QLatin1String("panel"))
        return panel(words);
    if (command == QLatin1String("state")) {
        *output << m_device->stateLines();
        *output << m_server->listenState();
        *output << QStringLiteral("clients=%1").arg(m_server->clientCount());
        *output << QStringLiteral("pty=%1").arg(m_server->ptyPath());
        *output << m_server->floodState();
        *output << m_discovery->stateLines();
        return {};
    }
    if (command == QLatin1String("history")) {
        if (words.value(1) == QLatin1String("clear")) {
            m_server->clearHistory();
            return {};
        }
        for (const QString &request : m_server->history())
            *output << QStringLiteral("> ") + request;
        return {};
    }
    if (command == QLatin1String("send") || command == QLatin1String("sendtext")) {
        QByteArray bytes;
        if (command == QLatin1String("sendtext"))
            bytes = unescape(rest(line, 1));
        else if (!hexBytes(rest(line, 1), &bytes))
            return QStringLiteral("bad hex");
        m_server->sendAll(bytes, true);
        return {};
    }
    if (command == QLatin1String("poll") && words.value(1) == QLatin1String("tick")) {
        m_device->pollTick();
        return {};
    }
    if (command == QLatin1String("reset")) {
        m_device->factoryReset();
        return {};
    }
    if (command == QLatin1String("pty")) {
        if (words.value(1) == QLatin1String("down")) {
            m_server->closePty();
            return {};
        }
        if (words.value(1) == QLatin1String("up")) {
            QString error;
            if (!m_server->hasPty())
                return QStringLiteral("started without --pty");
            if (!m_server->openPty(QString(), &error))
                return error;
            return {};
        }
        return QStringLiteral("pty up|down");
    }
    return QStringLiteral("unknown command %1").arg(command);
}

QString SimControl::fault(const QStringList &words)
{
    SimFaults &f = m_server->faults();
    const QString kind = words.value(1);
    const QString value = words.value(2);
    bool on = false;
    int ms = 0;
    if (kind == QLatin1String("silence") && onOff(value, &on)) {
        f.silence = on;
        return {};
    }
    if (kind == QLatin1String("baudstuck") && onOff(value, &on)) {
        m_device->setBaudStuck(on);
        return {};
    }
    if (kind == QLatin1String("delay") && milliseconds(value, &ms)) {
        f.delayMs = ms;
        return {};
    }
    if (kind == QLatin1String("split")) {
        if (value == QLatin1String("off")) {
            f.splitAt.clear();
            f.splitPauseMs = 0;
            return {};
        }
        QVector<int> cuts;
        for (const QString &part : value.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            bool ok = false;
            const int cut = part.toInt(&ok);
            if (!ok || cut <= 0 || (!cuts.isEmpty() && cut <= cuts.last()))
                return QStringLiteral("split positions must rise from 1");
            cuts << cut;
        }
        if (cuts.isEmpty() || !milliseconds(words.value(3, QStringLiteral("0")), &ms))
            return QStringLiteral("fault split <p1,p2,...> <pause ms> | off");
        f.splitAt = cuts;
        f.splitPauseMs = ms;
        return {};
    }
    if (kind == QLatin1String("garbage")) {
        QByteArray bytes;
        if (!hexBytes(words.mid(2).join(QString()), &bytes))
            return QStringLiteral("bad hex");
        f.garbageOnce = bytes;
        return {};
    }
    if (kind == QLatin1String("drop")) {
        m_server->dropClients();
        return {};
    }
    if (kind == QLatin1String("chatter")) {
        if (value == QLatin1String("off")) {
            m_server->setChatter(0);
            return {};
        }
        if (!milliseconds(value, &ms) || ms == 0)
            return QStringLiteral("fault chatter <ms> | off");
        m_server->setChatter(ms);
        return {};
    }
    if (kind == QLatin1String("flood")) {
        int rate = 0;
        if (value == QLatin1String("off"))
            m_server->setFlood(0);
        else if (countUpTo(value, MaxFloodRate, &rate))
            m_server->setFlood(rate);
        else
            return QStringLiteral("fault flood <bytes per second> | off");
        return {};
    }
    if (kind == QLatin1String("bigreply")) {
        int bytes = 0;
        if (value == QLatin1String("off"))
            f.bigReplyBytes = 0;
        else if (countUpTo(value, MaxBigReplyBytes, &bytes))
            f.bigReplyBytes = bytes;
        else
            return QStringLiteral("fault bigreply <bytes> | off");
        return {};
    }
    if (kind == QLatin1String("packetdelay") || kind == QLatin1String("reboot")) {
        int &target = kind == QLatin1String("reboot") ? f.rebootMs : f.packetDelayMs;
        if (value == QLatin1String("off"))
            target = 0;
        else if (milliseconds(value, &ms))
            target = ms;
        else
            return QStringLiteral("fault %1 <ms> | off").arg(kind);
        return {};
    }
    if (kind == QLatin1String("ackdrop") || kind == QLatin1String("packerr")
        || kind == QLatin1String("dropafter") || kind == QLatin1String("edidslot")) {
        int &target = kind == QLatin1String("ackdrop") ? f.ackDrop
            : kind == QLatin1String("packerr")         ? f.packErr
            : kind == QLatin1String("dropafter")       ? f.dropAfter
                                                       : f.edidSlot;
        const int max = kind == QLatin1String("edidslot") ? SimDevice::CustomEdidSlots : MaxFaultPacket;
        int number = 0;
        if (value == QLatin1String("off"))
            target = 0;
        else if (countUpTo(value, max, &number))
            target = number;
        else
            return QStringLiteral("fault %1 <1..%2> | off").arg(kind).arg(max);
        return {};
    }
    if (kind == QLatin1String("edidsplit") && onOff(value, &on)) {
        f.edidSplit = on;
        return {};
    }
    if (kind == QLatin1String("clear")) {
        f = SimFaults();
        m_device->setBaudStuck(false);
        m_server->setChatter(0);
        m_server->setFlood(0);
        return {};
    }
    return QStringLiteral("unknown or malformed fault");
}

QString SimControl::set(const QStringList &words, const QString &line)
{
    const QString what = words.value(1);
    const QString value = words.value(2);
    if (what == QLatin1String("model"))
        return m_device->setModel(value) ? QString() : QStringLiteral("unknown model");
    if (what == QLatin1String("type"))
        return m_device->setType(value) ? QString() : QStringLiteral("unknown type");
    if (what == QLatin1String("name")) {
        const QString name = rest(line, 2);
        if (name.isEmpty())
            return QStringLiteral("empty name");
        m_device->setName(QTextCodec::codecForName("GB2312")->fromUnicode(name));
        return {};
    }
    if (what == QLatin1String("status") && (value == QLatin1String("in") || value == QLatin1String("out")))
        return m_device->setStatus(value == QLatin1String("in"), words.value(3))
            ? QString()
            : QStringLiteral("bad status");
    if (what == QLatin1String("baud"))
        return m_device->setBaud(value.toInt()) ? QString() : QStringLiteral("bad rate");
    if (what == QLatin1String("receivetimeout")) {
        int ms = 0;
        if (!integer(value, &ms) || !m_device->setReceiveTimeout(ms))
            return QStringLiteral("set receivetimeout <1..%1 ms>").arg(SimDevice::MaxReceiveTimeoutMs);
        return {};
    }
    if (what == QLatin1String("netcfg"))
        return m_device->setNetwork(value, words.value(3), words.value(4)) ? QString()
                                                                           : QStringLiteral("bad address");
    if (what == QLatin1String("version"))
        return m_device->setVersion(value, words.value(3)) ? QString() : QStringLiteral("bad version");
    if (what == QLatin1String("res")) {
        int input = 0;
        if (!integer(value, &input) || !m_device->setInputResolution(input, rest(line, 3)))
            return QStringLiteral("set res <input> <text without blanks or commas>");
        return {};
    }
    if (what == QLatin1String("hdcp")) {
        bool on = false;
        if (!onOff(words.value(3), &on) || !m_device->setHdcp(value.toInt(), on))
            return QStringLiteral("set hdcp <output> on|off");
        return {};
    }
    if (what == QLatin1String("wall") || what == QLatin1String("split")
        || what == QLatin1String("splitwindows"))
        return setWallOrSplit(words);
    return setPort(words);
}

QString SimControl::setWallOrSplit(const QStringList &words)
{
    const QString what = words.value(1);
    QVector<int> numbers;
    for (const QString &word : words.mid(2)) {
        int number = 0;
        if (!integer(word, &number))
            return QStringLiteral("%1 is not a number").arg(word);
        numbers << number;
    }
    if (what == QLatin1String("wall")) {
        if (numbers.size() != 2)
            return QStringLiteral("set wall <rows> <columns>, each 0..%1").arg(SimDevice::MaxWallSide);
        return m_device->setWall(numbers[0], numbers[1]);
    }
    if (what == QLatin1String("split")) {
        if (numbers.size() != 2)
            return QStringLiteral("set split <group> <mode 0..%1>").arg(SimDevice::SplitModes - 1);
        return m_device->setSplitMode(numbers[0], numbers[1]);
    }
    if (numbers.size() != 1 + SimDevice::WindowsPerGroup)
        return QStringLiteral("set splitwindows <group> <a> <b> <c> <d>, inputs 1..%1 of the group")
            .arg(SimDevice::WindowsPerGroup);
    return m_device->setSplitWindows(numbers[0], numbers.mid(1));
}

QString SimControl::setPort(const QStringList &words)
{
    const QString what = words.value(1);
    int port = 0;
    int number = 0;
    bool on = false;
    if (what == QLatin1String("ores")) {
        if (words.size() != 4 || !integer(words[2], &port))
            return QStringLiteral("set ores <output> <value 1..%1 | text>")
                .arg(SimAnswers::OutputResolutions.size());
        return m_device->setOutputResolution(port, words[3]);
    }
    if (what == QLatin1String("signal")) {
        const QString side = words.value(2);
        if (words.size() != 5 || (side != QLatin1String("in") && side != QLatin1String("out"))
            || !integer(words[3], &port) || !onOff(words[4], &on))
            return QStringLiteral("set signal in|out <port> on|off");
        return m_device->setSignal(side == QLatin1String("in"), port, on);
    }
    if (what == QLatin1String("audio")) {
        if (words.size() != 4 || !integer(words[2], &port) || !onOff(words[3], &on))
            return QStringLiteral("set audio <output> on|off");
        return m_device->setExternalAudio(port, on);
    }
    if (what == QLatin1String("edid")) {
        if (words.size() != 4 || !integer(words[2], &port) || !integer(words[3], &number))
            return QStringLiteral("set edid <input> <code 1..%1>").arg(SimDevice::MaxEdidCode);
        return m_device->setInputEdid(port, number);
    }
    if (what == QLatin1String("level")) {
        const QString kind = words.value(2);
        if (words.size() != 5 || (kind != QLatin1String("brightness") && kind != QLatin1String("contrast"))
            || !integer(words[3], &port) || !integer(words[4], &number))
            return QStringLiteral("set level brightness|contrast <output> <0..%1>").arg(SimDevice::MaxLevel);
        return m_device->setLevel(kind == QLatin1String("brightness"), port, number);
    }
    return QStringLiteral("unknown setting");
}

QString SimControl::discovery(const QStringList &words, const QString &line)
{
    const QString what = words.value(1);
    if (what == QLatin1String("add")) {
        SimDiscovery::Module module;
        QString error;
        if (!SimDiscovery::parseModule(rest(line, 2), &module, &error))
            return error;
        m_discovery->addModule(module);
        return {};
    }
    if (what == QLatin1String("addraw")) {
        SimDiscovery::Module module;
        if (!hexBytes(rest(line, 2), &module.raw))
            return QStringLiteral("bad hex");
        m_discovery->addModule(module);
        return {};
    }
    if (what == QLatin1String("clear")) {
        m_discovery->clearModules();
        return {};
    }
    if (what == QLatin1String("dup")) {
        bool on = false;
        if (!onOff(words.value(2), &on))
            return QStringLiteral("discovery dup on|off");
        m_discovery->setDuplicates(on);
        return {};
    }
    return QStringLiteral("discovery add|addraw|clear|dup");
}

QString SimControl::panel(const QStringList &words)
{
    const QString key = words.value(1);
    const QString value = words.value(2);
    int number = 0;
    if (key == QLatin1String("route") && words.size() == 4) {
        int output = 0;
        const bool all = words[3] == QLatin1String("a");
        if (!integer(value, &number) || (!all && (!integer(words[3], &output) || output < 1))
            || !m_device->panelRoute(number, output))
            return QStringLiteral("panel route <input> <output>|a");
        return {};
    }
    if ((key == QLatin1String("save") || key == QLatin1String("clear")) && words.size() == 3) {
        const bool save = key == QLatin1String("save");
        if (!integer(value, &number) || !(save ? m_device->panelSave(number) : m_device->panelClear(number)))
            return QStringLiteral("panel save|clear <scene 1..%1>").arg(SimDevice::SceneCount);
        return {};
    }
    if (key == QLatin1String("polling") && words.size() == 3) {
        bool on = false;
        if (!onOff(value, &on))
            return QStringLiteral("panel polling on|off");
        m_device->panelPolling(on);
        return {};
    }
    if (key == QLatin1String("time") && words.size() == 3) {
        if (!integer(value, &number) || !m_device->panelTime(number))
            return QStringLiteral("panel time <seconds 1..%1>").arg(SimDevice::MaxPanelPollSeconds);
        return {};
    }
    return QStringLiteral("panel route|save|clear|polling|time");
}
