#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The device-wide settings of the system pages, worked out without widgets:
// the RS-232 rate table, the reading of the baud, network and device-name
// answers, the device-name check and the firmware targets of each model.
namespace System {

// ---- RS-232 rates ----------------------------------------------------------
enum class SerialPort { Input, Output };

// "9600", "19200", "38400", "57600", "115200": the selector items in order.
const QStringList &baudRates();
// Wire code 1..5 of a rate text; nothing for any other text.
std::optional<int> baudCode(const QString &rate);
// A baud answer ("inbaudrate" rate "ok" / "outbaudrate" rate "ok") of the
// port: the rate when the answer is complete and names one of the five rates;
// nothing otherwise (no answer, no "ok", an unknown rate). The first answer
// of that port in the text counts; the other port's answer may be there too.
std::optional<int> parseBaudAnswer(const QString &work, SerialPort port);

// ---- Network answer --------------------------------------------------------
struct NetworkAnswer
{
    QString address;
    QString mask;
    QString gateway;
};
// "ip" address "mask" mask "gateway" gateway "ok"; nothing unless all four
// keywords are there in this order. The address follows the last "ip" in
// front of the first "mask" ("ip" may occur in an earlier answer).
std::optional<NetworkAnswer> parseNetworkAnswer(const QString &work);

// ---- Device name -----------------------------------------------------------
// The device stores at most this many bytes of its name (GB2312 on the wire).
inline constexpr int MaxDeviceNameBytes = 32;
enum class NameCheck {
    Ok,
    Empty,
    TooLong,           // more than MaxDeviceNameBytes bytes on the wire
    ForbiddenCharacter, // "(", ")", "," or a control character: they would end or split the request
    NotEncodable,       // a character GB2312 cannot carry (it would arrive as "?")
};
// Checks the trimmed name.
NameCheck checkDeviceName(const QString &name);
// "(rename,product,%1)" with the trimmed name; only for a name that passed.
QString renameRequest(const QString &name);

// ---- Firmware targets ------------------------------------------------------
// Target numbers offered for an MCU (mcu = true) or FPGA image on a model.
QStringList firmwareTargets(const QString &model, bool mcu);

} // namespace System
