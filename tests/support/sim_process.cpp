#include "tests/support/sim_process.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QProcessEnvironment>
#include <QRegularExpression>

namespace {
constexpr int StopTimeoutMs = 3000;
}

SimProcess::SimProcess(QObject *parent)
    : QObject(parent)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

SimProcess::~SimProcess()
{
    stop();
}

QString SimProcess::suggestedPtyPath() const
{
    return m_dir.path() + QStringLiteral("/ttyTrivane");
}

bool SimProcess::start(const QStringList &arguments)
{
    m_arguments
        = QStringList { QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--udp"),
              QStringLiteral("off"), QStringLiteral("--control"), QStringLiteral("127.0.0.1:0") }
        + arguments;
    return launch(m_arguments);
}

bool SimProcess::restart()
{
    stop();
    QStringList arguments = m_arguments;
    // Later options win, so the ports of the first run are simply appended.
    if (m_tcpPort)
        arguments << QStringLiteral("--tcp") << QStringLiteral("127.0.0.1:%1").arg(m_tcpPort);
    if (m_udpPort)
        arguments << QStringLiteral("--udp") << QStringLiteral("127.0.0.1:%1").arg(m_udpPort);
    return launch(arguments);
}

bool SimProcess::launch(const QStringList &arguments)
{
    m_error.clear();
    m_ready.clear();
    const QString program = QProcessEnvironment::systemEnvironment().value(QStringLiteral("TRIVANE_SIM"));
    if (program.isEmpty()) {
        m_error = QStringLiteral("TRIVANE_SIM is not set");
        return false;
    }
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(StartTimeoutMs)) {
        m_error = QStringLiteral("cannot start %1: %2").arg(program, m_process.errorString());
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (!m_process.canReadLine()) {
        const int left = StartTimeoutMs - int(clock.elapsed());
        if (left <= 0 || m_process.state() != QProcess::Running || !m_process.waitForReadyRead(left)) {
            if (m_process.canReadLine())
                break;
            m_error = QStringLiteral("no ready line from the simulator (%1)")
                          .arg(arguments.join(QLatin1Char(' ')));
            stop();
            return false;
        }
    }
    m_ready = QString::fromUtf8(m_process.readLine()).trimmed();
    if (!m_ready.startsWith(QLatin1String("READY"))) {
        m_error = QStringLiteral("unexpected first line: %1").arg(m_ready);
        stop();
        return false;
    }
    const auto field = [this](const char *pattern) {
        return QRegularExpression(QLatin1String(pattern)).match(m_ready).captured(1);
    };
    m_tcpPort = quint16(field(R"(\btcp=[^ ]*:(\d+))").toUInt());
    m_udpPort = quint16(field(R"(\budp=(\d+))").toUInt());
    m_controlPort = quint16(field(R"(\bcontrol=(\d+))").toUInt());
    m_ptyPath = field(R"(\bpty=([^ ]+))");

    m_control.abort();
    m_control.connectToHost(QHostAddress::LocalHost, m_controlPort);
    if (!m_control.waitForConnected(StartTimeoutMs)) {
        m_error = QStringLiteral("control port: %1").arg(m_control.errorString());
        stop();
        return false;
    }
    return true;
}

void SimProcess::stop()
{
    m_control.abort();
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(StopTimeoutMs)) {
            m_process.kill();
            m_process.waitForFinished(StopTimeoutMs);
        }
    }
}

bool SimProcess::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

QStringList SimProcess::command(const QString &line, bool *ok)
{
    QStringList data;
    bool done = false;
    m_error.clear();
    if (m_control.state() != QAbstractSocket::ConnectedState) {
        m_error = QStringLiteral("simulator not running");
    } else {
        m_control.write(line.toUtf8() + '\n');
        m_control.flush();
        QElapsedTimer clock;
        clock.start();
        while (!done) {
            while (m_control.canReadLine()) {
                const QString reply = QString::fromUtf8(m_control.readLine()).trimmed();
                if (reply == QLatin1String("OK")) {
                    done = true;
                    break;
                }
                if (reply.startsWith(QLatin1String("ERR"))) {
                    m_error = reply;
                    break;
                }
                data << reply;
            }
            if (done || !m_error.isEmpty())
                break;
            const int left = CommandTimeoutMs - int(clock.elapsed());
            if (left <= 0 || !m_control.waitForReadyRead(left)) {
                m_error = QStringLiteral("no answer to \"%1\"").arg(line);
                break;
            }
        }
    }
    if (ok)
        *ok = done;
    return data;
}

bool SimProcess::fault(const QString &arguments)
{
    bool ok = false;
    command(QStringLiteral("fault ") + arguments, &ok);
    return ok;
}

QMap<QString, QString> SimProcess::state()
{
    QMap<QString, QString> values;
    for (const QString &line : command(QStringLiteral("state"))) {
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            values.insert(line.left(eq), line.mid(eq + 1));
    }
    return values;
}

QStringList SimProcess::history()
{
    QStringList requests;
    for (const QString &line : command(QStringLiteral("history")))
        requests << line.mid(2);
    return requests;
}
