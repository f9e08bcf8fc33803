#include "app/commonlyused.h"

#include "app/labsettings.h"

#include <QAbstractSocket>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <atomic>

QString CommonlyUsed::deviceType = QStringLiteral("4x4");
QString CommonlyUsed::InputSource = QStringLiteral("1");
int CommonlyUsed::ver_minor = 0;
QString CommonlyUsed::moduleMac;

namespace {

std::atomic<int> g_languageIndex{0};
QString g_applicationDirOverride;

constexpr int PasswordShift = 5;
// Bytes that are not part of valid UTF-8 after shifting are kept as lone
// low surrogates U+DC80..U+DCFF: no valid UTF-8 sequence decodes to those, so
// the stored text maps back to exactly the shifted bytes.
constexpr char16_t EscapedByteBase = 0xDC00;
constexpr uchar FirstEscapedByte = 0x80;

constexpr char ControlNames[32][4] = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "HT",  "LF",
    "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

constexpr uchar AsciiDelete = 0x7F;

int hexDigitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Length of the strictly valid UTF-8 sequence at data[i] (no overlong forms,
// no surrogates, nothing above U+10FFFF), or 0 when it is not valid.
int validUtf8Length(const QByteArray &data, int i, uint *codePoint)
{
    const int n = data.size();
    const uchar b0 = uchar(data[i]);
    if (b0 < 0x80) {
        *codePoint = b0;
        return 1;
    }
    int len = 0;
    uint cp = 0;
    uchar lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0)
            lo = 0xA0;
        else if (b0 == 0xED)
            hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0)
            lo = 0x90;
        else if (b0 == 0xF4)
            hi = 0x8F;
    } else {
        return 0;
    }
    if (i + len > n)
        return 0;
    for (int k = 1; k < len; ++k) {
        const uchar b = uchar(data[i + k]);
        const uchar min = k == 1 ? lo : 0x80;
        const uchar max = k == 1 ? hi : 0xBF;
        if (b < min || b > max)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    *codePoint = cp;
    return len;
}

QString bytesToEscapedText(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (int i = 0; i < bytes.size();) {
        uint cp = 0;
        const int len = validUtf8Length(bytes, i, &cp);
        if (len == 0) {
            text.append(QChar(char16_t(EscapedByteBase + uchar(bytes[i]))));
            ++i;
            continue;
        }
        if (QChar::requiresSurrogates(cp)) {
            text.append(QChar(QChar::highSurrogate(cp)));
            text.append(QChar(QChar::lowSurrogate(cp)));
        } else {
            text.append(QChar(char16_t(cp)));
        }
        i += len;
    }
    return text;
}

QByteArray escapedTextToBytes(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 3);
    for (int i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            bytes += text.mid(i, 2).toUtf8();
            ++i;
        } else if (u >= EscapedByteBase + FirstEscapedByte && u <= EscapedByteBase + 0xFF) {
            bytes += char(u - EscapedByteBase);
        } else {
            bytes += QString(QChar(u)).toUtf8();
        }
    }
    return bytes;
}

QByteArray shiftBytes(QByteArray bytes, int delta)
{
    for (char &b : bytes)
        b = char(uchar(uchar(b) + delta));
    return bytes;
}

} // namespace

int CommonlyUsed::getLanguageIndex()
{
    return g_languageIndex.load();
}

void CommonlyUsed::setLanguageIndex(int index)
{
    g_languageIndex.store(index);
}

QString CommonlyUsed::applicationDir()
{
    if (!g_applicationDirOverride.isEmpty())
        return g_applicationDirOverride;
    const QString fromEnvironment = LabSettings::applicationDirOverride();
    if (!fromEnvironment.isEmpty())
        return QDir::cleanPath(QDir(fromEnvironment).absolutePath());
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

void CommonlyUsed::setApplicationDirOverride(const QString &dir)
{
    g_applicationDirOverride = dir.isEmpty() ? QString() : QDir::cleanPath(QDir(dir).absolutePath());
}

QString CommonlyUsed::styleSheetOverridePath()
{
    return applicationDir() + QStringLiteral("/ConfigurationFile/QSS/Login.qss");
}

QString CommonlyUsed::ByteArray_To_AsciiString(const QByteArray &bytes)
{
    QString text;
    for (const char c : bytes) {
        const uchar b = uchar(c);
        if (b < 0x20) {
            text += QLatin1Char('\\') + QLatin1String(ControlNames[b]);
        } else if (b == AsciiDelete || b == '\\' || b == ' ' || b >= 0x80) {
            text += QStringLiteral("\\x") + QStringLiteral("%1").arg(uint(b), 2, 16, QLatin1Char('0')).toUpper();
        } else {
            text += QLatin1Char(c);
        }
    }
    return text.trimmed();
}

QString CommonlyUsed::Int_To_HexString(qint64 value, int width)
{
    if (width <= 0)
        return QString();
    // Negative values show their two's-complement digits, as a byte dump would.
    const QString digits = QString::number(quint64(value), 16).toUpper().right(width);
    return digits.rightJustified(width, QLatin1Char('0'));
}

QByteArray CommonlyUsed::HexString_To_ByteArray(const QString &text)
{
    QByteArray bytes;
    int i = 0;
    const int n = text.size();
    while (i < n) {
        while (i < n && text.at(i) == QLatin1Char(' '))
            ++i;
        if (i + 1 >= n)
            break;
        const int high = hexDigitValue(text.at(i));
        const int low = hexDigitValue(text.at(i + 1));
        if (high < 0 || low < 0)
            break;
        bytes += char(high * 16 + low);
        i += 2;
    }
    return bytes;
}

qint64 CommonlyUsed::HexString_To_Int(const QString &text)
{
    quint64 value = 0;
    for (const char c : HexString_To_ByteArray(text))
        value = (value << 8) | uchar(c);
    return qint64(value);
}

QString CommonlyUsed::String_To_HexString(const QString &text)
{
    QString hex;
    for (const char c : text.toLatin1())
        hex += QStringLiteral("%1 ").arg(uint(uchar(c)), 2, 16, QLatin1Char('0')).toUpper();
    return hex;
}

bool CommonlyUsed::File_Exists(const QString &path)
{
    return QFileInfo(path).isFile();
}

void CommonlyUsed::Delay_MSec(int msec)
{
    if (!QCoreApplication::instance()) {
        if (msec > 0)
            QThread::msleep(ulong(msec));
        return;
    }
    if (msec <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    // A nested loop sleeps in the event dispatcher between events instead of
    // polling, so waiting costs no CPU while answers and timers still run.
    QEventLoop loop;
    QTimer::singleShot(msec, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void CommonlyUsed::Clear_Folder(const QString &dirPath)
{
    QDir dir(dirPath);
    if (dirPath.isEmpty() || !dir.exists())
        return;
    const QStringList files = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : files) {
        if (!dir.remove(name))
            qWarning() << "Clear_Folder: cannot remove" << dir.filePath(name);
    }
}

bool CommonlyUsed::Check_IP_Address(const QString &text)
{
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("((2[0-4]\\d|25[0-5]|[01]?\\d\\d?)\\.){3}(2[0-4]\\d|25[0-5]|[01]?\\d\\d?)")));
    return pattern.match(text).hasMatch();
}

QString CommonlyUsed::Normalize_IP_Address(const QString &text)
{
    if (!Check_IP_Address(text))
        return QString();
    QStringList octets;
    for (const QString &part : text.split(QLatin1Char('.')))
        octets << QString::number(part.toInt());
    return octets.join(QLatin1Char('.'));
}

QString CommonlyUsed::Plain_IP_Address(const QString &text)
{
    const QString plain = Normalize_IP_Address(text);
    return plain.isEmpty() ? text : plain;
}

QStringList CommonlyUsed::Select_Local_IPv4_Addresses(const QList<InterfaceInfo> &interfaces)
{
    const QNetworkInterface::InterfaceFlags required = QNetworkInterface::IsUp | QNetworkInterface::IsRunning
                                                       | QNetworkInterface::CanBroadcast | QNetworkInterface::CanMulticast;
    QStringList result;
    for (const InterfaceInfo &info : interfaces) {
        if ((info.flags & required) != required || (info.flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QHostAddress &address : info.addresses) {
            if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
                result << address.toString();
        }
    }
    return result;
}

QStringList CommonlyUsed::Get_Local_IPv4_Addresses()
{
    const QStringList lab = LabSettings::localIPv4Override();
    if (!lab.isEmpty())
        return lab;
    QList<InterfaceInfo> infos;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        InterfaceInfo info;
        info.flags = iface.flags();
        for (const QNetworkAddressEntry &entry : iface.addressEntries())
            info.addresses << entry.ip();
        infos << info;
    }
    return Select_Local_IPv4_Addresses(infos);
}

QString CommonlyUsed::Make_Path(const QString &dirPath)
{
    if (!dirPath.isEmpty() && !QDir().mkpath(dirPath))
        qWarning() << "Make_Path: cannot create" << dirPath;
    return dirPath;
}

QString CommonlyUsed::Encode_Password(const QString &plain)
{
    return bytesToEscapedText(shiftBytes(plain.toUtf8(), PasswordShift));
}

QString CommonlyUsed::Decode_Password(const QString &stored)
{
    return QString::fromUtf8(shiftBytes(escapedTextToBytes(stored), -PasswordShift));
}

bool CommonlyUsed::Wait_For_Connected(QAbstractSocket *socket, int timeoutMs)
{
    if (socket->state() == QAbstractSocket::ConnectedState)
        return true;
    QPointer<QAbstractSocket> guard = socket;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(socket, &QAbstractSocket::connected, &loop, &QEventLoop::quit);
    QObject::connect(socket, &QAbstractSocket::errorOccurred, &loop, &QEventLoop::quit);
    QObject::connect(socket, &QAbstractSocket::stateChanged, &loop, [&loop](QAbstractSocket::SocketState state) {
        if (state == QAbstractSocket::UnconnectedState)
            loop.quit();
    });
    QObject::connect(socket, &QObject::destroyed, &loop, &QEventLoop::quit);
    deadline.start(timeoutMs);
    if (socket->state() != QAbstractSocket::UnconnectedState)
        loop.exec();
    return guard && guard->state() == QAbstractSocket::ConnectedState;
}
