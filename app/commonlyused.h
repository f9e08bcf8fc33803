#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QNetworkInterface>
#include <QObject>
#include <QString>
#include <QStringList>

class QAbstractSocket;
class QWidget;

// Process-wide values and small helpers used by every subsystem. Never
// instantiated for its state: everything here is static.
class CommonlyUsed : public QObject
{
    Q_OBJECT
public:
    // Matrix size as reported by the device ("4x4" until the first valid
    // signal-status answer arrives).
    static QString deviceType;
    // Input chosen on the switching and splicing pages.
    static QString InputSource;
    // Device type chosen at login: 0 Orvex, 1 Orvex-L, 2 Orvex-Q, 3 Orvex-T.
    static int ver_minor;
    enum DeviceTypeIndex { DeviceTypeOrvex = 0, DeviceTypeOrvexL, DeviceTypeOrvexQ, DeviceTypeOrvexT };
    // MAC address of the device's network module, as last reported; written to
    // "TCP_information/ModeMac" on a factory reset.
    static QString moduleMac;

    // Translation in force: 0 Simplified Chinese, 1 English, 2 Traditional Chinese.
    static int getLanguageIndex();
    static void setLanguageIndex(int index);

    // Directory that holds the settings, logs and dumps: the executable's
    // directory, unless a test or the demo points it elsewhere.
    static QString applicationDir();
    static void setApplicationDirOverride(const QString &dir);

    static void Load_stylesheet(QWidget *widget, const QString &fallbackPath);
    static QString ByteArray_To_AsciiString(const QByteArray &bytes);
    static QString Int_To_HexString(qint64 value, int width);
    static QByteArray HexString_To_ByteArray(const QString &text);
    static qint64 HexString_To_Int(const QString &text);
    static QString String_To_HexString(const QString &text);
    static bool File_Exists(const QString &path);
    static void Delay_MSec(int msec);
    // Waits up to `timeoutMs` for the socket to connect, processing events
    // meanwhile (a switched-off device must not freeze the window). True when
    // connected.
    static bool Wait_For_Connected(QAbstractSocket *socket, int timeoutMs);
    static void Clear_Folder(const QString &dirPath);
    static bool Check_IP_Address(const QString &text);
    // The address as plain decimal octets ("010.0.0.1" -> "10.0.0.1"); empty
    // when the text is not an address Check_IP_Address accepts.
    static QString Normalize_IP_Address(const QString &text);
    // The form to bind, connect to or store: the plain decimal address when
    // the text is one, otherwise the text unchanged (a host name, or empty).
    static QString Plain_IP_Address(const QString &text);
    static QStringList Get_Local_IPv4_Addresses();
    // What Get_Local_IPv4_Addresses needs to know of one interface; separate so
    // that the filter can be checked without real interfaces.
    struct InterfaceInfo
    {
        QNetworkInterface::InterfaceFlags flags;
        QList<QHostAddress> addresses;
    };
    static QStringList Select_Local_IPv4_Addresses(const QList<InterfaceInfo> &interfaces);
    static QString Make_Path(const QString &dirPath);
    static QString Encode_Password(const QString &plain);
    static QString Decode_Password(const QString &stored);

    // Where the optional style sheet that replaces the built-in one lies.
    static QString styleSheetOverridePath();

private:
    explicit CommonlyUsed(QObject *parent = nullptr) : QObject(parent) {}
};
