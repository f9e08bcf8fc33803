#include "mainwindow/system/systemmodel.h"

#include "link/protocol/protocol.h"

namespace {

const QLatin1String InBaudKeyword("inbaudrate");
const QLatin1String OutBaudKeyword("outbaudrate");
const QLatin1String OkKeyword("ok");
const QLatin1String AddressKeyword("ip");
const QLatin1String MaskKeyword("mask");
const QLatin1String GatewayKeyword("gateway");

// Closes a request or separates its arguments; a name holding one of them
// would end the rename and make the rest a request of its own.
bool isForbidden(QChar c)
{
    return c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char(',') || c.category() == QChar::Other_Control;
}

} // namespace

namespace System {

const QStringList &baudRates()
{
    static const QStringList rates{QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400"),
                                   QStringLiteral("57600"), QStringLiteral("115200")};
    return rates;
}

std::optional<int> baudCode(const QString &rate)
{
    const int index = baudRates().indexOf(rate);
    if (index < 0)
        return std::nullopt;
    return index + 1;
}

std::optional<int> parseBaudAnswer(const QString &work, SerialPort port)
{
    const QLatin1String keyword = port == SerialPort::Input ? InBaudKeyword : OutBaudKeyword;
    const int at = work.indexOf(keyword);
    if (at < 0)
        return std::nullopt;
    const int start = at + keyword.size();
    const int end = work.indexOf(OkKeyword, start);
    // Without its "ok" the rate may still be arriving ("1152" of "115200").
    if (end < 0)
        return std::nullopt;
    const QString rate = work.mid(start, end - start);
    if (!baudCode(rate))
        return std::nullopt;
    return rate.toInt();
}

std::optional<NetworkAnswer> parseNetworkAnswer(const QString &work)
{
    const int maskAt = work.indexOf(MaskKeyword);
    if (maskAt < AddressKeyword.size())
        return std::nullopt;
    // "ip" is short enough to occur in an earlier answer (a device name):
    // the address is the one right in front of "mask".
    const int addressAt = work.lastIndexOf(AddressKeyword, maskAt - AddressKeyword.size());
    if (addressAt < 0)
        return std::nullopt;
    const int maskStart = maskAt + MaskKeyword.size();
    const int gatewayAt = work.indexOf(GatewayKeyword, maskStart);
    if (gatewayAt < 0)
        return std::nullopt;
    const int gatewayStart = gatewayAt + GatewayKeyword.size();
    const int okAt = work.indexOf(OkKeyword, gatewayStart);
    if (okAt < 0)
        return std::nullopt;
    const int addressStart = addressAt + AddressKeyword.size();
    NetworkAnswer answer;
    answer.address = work.mid(addressStart, maskAt - addressStart);
    answer.mask = work.mid(maskStart, gatewayAt - maskStart);
    answer.gateway = work.mid(gatewayStart, okAt - gatewayStart);
    return answer;
}

NameCheck checkDeviceName(const QString &name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return NameCheck::Empty;
    for (const QChar c : trimmed) {
        if (isForbidden(c))
            return NameCheck::ForbiddenCharacter;
    }
    if (!Protocol::isGb2312Text(trimmed))
        return NameCheck::NotEncodable;
    if (Protocol::encode(trimmed).size() > MaxDeviceNameBytes)
        return NameCheck::TooLong;
    return NameCheck::Ok;
}

QString renameRequest(const QString &name)
{
    if (checkDeviceName(name) != NameCheck::Ok)
        return QString();
    return Protocol::build(Protocol::Command::RenameProduct, {name.trimmed()});
}

QStringList firmwareTargets(const QString &model, bool mcu)
{
    if (mcu) {
        if (model == QLatin1String("16x16"))
            return {QStringLiteral("1"), QStringLiteral("2")};
        if (model == QLatin1String("8x16"))
            return {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4")};
        return {QStringLiteral("1")};
    }
    if (model == QLatin1String("16x16"))
        return {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"),
                QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8")};
    if (model == QLatin1String("8x16"))
        return {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("5"),
                QStringLiteral("6"), QStringLiteral("7"), QStringLiteral("8")};
    if (model == QLatin1String("8x8"))
        return {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")};
    if (model == QLatin1String("4x4"))
        return {QStringLiteral("1"), QStringLiteral("2")};
    if (model == QLatin1String("4x2"))
        return {QStringLiteral("1")};
    return {};
}

} // namespace System
