// Opens the main window with the saved connection, as the entry point does
// after login. With --shot <png> it saves a picture of the screen: by default
// of the console after typing --command; with --page switching of page 0 after
// the device's size is read and the --routes ("input:output,...") are clicked;
// with --page rename of the channel rename page; with --page polling of the
// scene polling dialog; with --page output of output 3's settings, portstatus
// of the port cards, edid of input 5's profile, cec of the CEC panel,
// system-<button> of a system settings sub-page (system-IPSettings ...), about
// of the versions and console, subtitle of input 2's subtitle dialog,
// transfer-firmware of a firmware upgrade under way (transfer-firmware-done
// once it ended), transfer-edid of an EDID file sent to slot 3 and
// transfer-refused of a firmware file refused by its check.
// --send lists requests sent first ("(a);(b)").
#include <QApplication>
#include <QCommandLineParser>
#include <QLineEdit>
#include <QPushButton>
#include <QCheckBox>
#include <QFile>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtEndian>
#include <QTimer>
#include <QToolButton>

#include "app/commonlyused.h"
#include "app/settingscatalogue.h"
#include "app/theme_gui.h"
#include "mainwindow/edid/edidpage.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/system/firmwarepage.h"
#include "mainwindow/scenes/scenepanel.h"
#include "mainwindow/partition/partitionpage.h"
#include "mainwindow/switching/switchingpage.h"
#include "resources/trivaneresources.h"
#include "tests/support/widget_click.h"
#include "widgets/my_toolbutton.h"
#include "widgets/signalswitchbut.h"

namespace {
constexpr int ShotSettleMs = 1500;
constexpr int ShotTypeDelayMs = 900;
constexpr int PageSlideMs = 800;

// What the first heartbeat would do, without waiting for it: the device's
// size lays out the pages.
void readDeviceSize(MainWindow *window)
{
    QString answer;
    if (window->sendDataDevice(QStringLiteral("(info,link)"), answer))
        window->Data_Processing(answer);
}

// A firmware file of `payload` bytes; its length field little-endian when `broken`.
QString firmwareFile(const QString &folder, int payload, bool broken)
{
    QByteArray bytes(payload, Qt::Uninitialized);
    for (int i = 0; i < payload; ++i)
        bytes[i] = char(i * 13 & 0xff);
    QByteArray trailer(76, char(0));
    trailer.replace(0, 4, "ZQLD");
    if (broken)
        qToLittleEndian<quint32>(quint32(payload), trailer.data() + 12);
    else
        qToBigEndian<quint32>(quint32(payload), trailer.data() + 12);
    const QString path = folder + QStringLiteral("/HDMI-Matrix-MCU-V1.3.0.bin");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes + trailer);
    return path;
}

void startTransfer(MainWindow *window, const QString &page)
{
    static QTemporaryDir folder;
    if (page == QLatin1String("transfer-edid")) {
        window->findChild<QPushButton *>("pushButton_EDIDSettings")->click();
        CommonlyUsed::Delay_MSec(PageSlideMs);
        EdidPage *edid = window->edidPage();
        edid->showUploadView(true);
        const QString path = folder.path() + QStringLiteral("/Lectern-PC-4K-EDID.bin");
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray(256, char(0x5a)));
        file.close();
        edid->findChild<QCheckBox *>("checkBox_EDID3")->click();
        edid->setEdidFile(path);
        edid->findChild<QPushButton *>("pushButton_upload")->click();
        return;
    }
    window->findChild<QPushButton *>("pushButton_SystemSettings")->click();
    CommonlyUsed::Delay_MSec(PageSlideMs);
    window->findChild<QPushButton *>("pushButton_FirmwareUpdate")->click();
    CommonlyUsed::Delay_MSec(PageSlideMs);
    FirmwarePage *firmware = window->firmwarePage();
    const bool broken = page == QLatin1String("transfer-refused");
    const int payload = page == QLatin1String("transfer-firmware") ? 1024 * 1024 : 64 * 1024;
    firmware->setFirmwareFile(firmwareFile(folder.path(), payload, broken));
    firmware->findChild<QRadioButton *>("radioButton_MCU")->click();
    firmware->findChild<QPushButton *>("pushButton_upgrade")->click();
}

void preparePage(MainWindow *window, const QString &page, const QString &routes, const QString &requests)
{
    readDeviceSize(window);
    for (const QString &request : requests.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QString answer;
        if (window->sendDataDevice(request, answer))
            window->Data_Processing(answer);
    }
    if (page == QLatin1String("switching")) {
        window->findChild<QPushButton *>("pushButton_SignalSwitching")->click();
        SwitchingPage *switching = window->switchingPage();
        for (const QString &route : routes.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const int input = route.section(QLatin1Char(':'), 0, 0).toInt();
            const int output = route.section(QLatin1Char(':'), 1, 1).toInt();
            if (input < 1 || input > switching->inputButtons().size() || output < 1
                || output > switching->tiles().size())
                continue;
            switching->inputButtons().at(input - 1)->click();
            sendLeftClick(switching->tiles().at(output - 1));
        }
    } else if (page == QLatin1String("rename")) {
        window->findChild<QPushButton *>("pushButton_SystemSettings")->click();
        CommonlyUsed::Delay_MSec(PageSlideMs);
        window->findChild<QPushButton *>("pushButton_ChannelRename")->click();
    } else if (page == QLatin1String("polling")) {
        window->scenePanel()->on_pushButton_ScenePollingSet_clicked();
    } else if (page == QLatin1String("output")) {
        window->findChild<QPushButton *>("pushButton_OutputSetting")->click();
        CommonlyUsed::Delay_MSec(PageSlideMs);
        if (auto *button = window->findChild<QToolButton *>("toolButton_HDMI3"))
            button->click();
    } else if (page == QLatin1String("portstatus")) {
        window->findChild<QPushButton *>("pushButton_systemInformation")->click();
    } else if (page == QLatin1String("edid")) {
        window->findChild<QPushButton *>("pushButton_EDIDSettings")->click();
        CommonlyUsed::Delay_MSec(PageSlideMs);
        if (auto *button = window->findChild<QToolButton *>("toolButton_EDIDHDMI_5"))
            button->click();
    } else if (page == QLatin1String("cec")) {
        window->findChild<QPushButton *>("pushButton_CecControl")->click();
    } else if (page.startsWith(QLatin1String("system-"))) {
        // system-<sub-page button>, e.g. system-IPSettings.
        window->findChild<QPushButton *>("pushButton_SystemSettings")->click();
        CommonlyUsed::Delay_MSec(PageSlideMs);
        if (auto *button = window->findChild<QPushButton *>(QStringLiteral("pushButton_") + page.mid(7)))
            button->click();
    } else if (page == QLatin1String("about")) {
        window->findChild<QPushButton *>("pushButton_systemInformation")->click();
        CommonlyUsed::Delay_MSec(PageSlideMs);
        window->findChild<QPushButton *>("pushButton_About")->click();
    } else if (page == QLatin1String("subtitle")) {
        window->Currunt_ToolButton_HDMI = 2;
        window->Open_Subtitle_Set();
    } else if (page.startsWith(QLatin1String("transfer-"))) {
        startTransfer(window, page);
    } else if (page == QLatin1String("splicing")) {
        // The wall's size, positions and input come from the device (--send);
        // entering the page reads them back. Input 2 is chosen in the list.
        window->findChild<QPushButton *>("pushButton_SplicingControl")->click();
        CommonlyUsed::Delay_MSec(PageSlideMs);
        if (auto *button = window->findChild<QToolButton *>("InputSourceList_2"))
            button->click();
    } else if (page == QLatin1String("partition")) {
        // The first group's mode and windows come from the device (--send).
        window->findChild<QPushButton *>("pushButton_PartitionMode")->click();
        CommonlyUsed::Delay_MSec(PageSlideMs);
        window->partitionPage()->on_pushButton_Group1_clicked();
        if (auto *button = window->findChild<QToolButton *>("toolButton_HDMI_Partition_2"))
            button->click();
    }
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Theme::applyPalette();
    Trivane::initResources();
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({"shot", "Save a picture of the console page to <png> and quit.", "png"});
    parser.addOption({"command", "Command typed into the console.", "text", "(get,sw)"});
    parser.addOption({"settle", "Milliseconds between typing and the picture (the first heartbeat "
                                "answers 6 s after the start).", "ms", QString::number(ShotSettleMs)});
    parser.addOption({"page", "console, switching, rename, polling, output, portstatus, edid, cec, about, subtitle, splicing, partition, transfer-<view> or system-<sub-page button>.", "page", "console"});
    parser.addOption({"routes", "Routes clicked on page 0, \"input:output,...\".", "list"});
    parser.addOption({"send", "Requests sent before the picture, \"(a);(b)\".", "list"});
    parser.process(app);

    // The device type chosen at the last login, as the login dialog reads it.
    CommonlyUsed::ver_minor = SettingsCatalogue::readInt(SettingsCatalogue::Keys::DeviceType);
    MainWindow *window = MainWindow::getInstance();
    window->loadLanguage();
    const QString mode = SettingsCatalogue::readString(SettingsCatalogue::Keys::ConnectionMode);
    if (mode == QLatin1String("SerialPort")) {
        window->setPortname(SettingsCatalogue::readString(SettingsCatalogue::Keys::SerialPortName));
        window->setMyBaud_Rate(SettingsCatalogue::readString(SettingsCatalogue::Keys::BaudRate));
        window->Open_Serial_Port(1);
    } else if (mode == QLatin1String("TCP")) {
        window->setIP_Address(SettingsCatalogue::readString(SettingsCatalogue::Keys::DeviceIp));
        window->setLocalIPAddress(SettingsCatalogue::readString(SettingsCatalogue::Keys::LocalIp));
        window->setPort_Number(SettingsCatalogue::readString(SettingsCatalogue::Keys::TcpPort));
        window->Connect_TCP_Server();
    }
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QRect frame(QPoint(), window->size().boundedTo(area.size()));
    frame.moveCenter(area.center());
    window->setGeometry(frame);
    window->show();
    if (mode == QLatin1String("SerialPort") || mode == QLatin1String("TCP"))
        window->startHeartbeat();

    const QString shot = parser.value("shot");
    if (!shot.isEmpty()) {
        const QString page = parser.value("page");
        QTimer::singleShot(ShotTypeDelayMs, window, [window, &parser, page] {
            if (page != QLatin1String("console")) {
                preparePage(window, page, parser.value("routes"), parser.value("send"));
                return;
            }
            window->findChild<QPushButton *>("pushButton_systemInformation")->click();
            window->findChild<QPushButton *>("pushButton_About")->click();
            window->findChild<QLineEdit *>("lineEdit_SendData")->setText(parser.value("command"));
            window->findChild<QPushButton *>("pushButton_SendIP")->click();
        });
        QTimer::singleShot(ShotTypeDelayMs + parser.value("settle").toInt(), window, [window, shot] {
            // The window's area of the screen: a dialog over it is a window
            // of its own and would be missing from the window's own picture.
            const QRect g = window->frameGeometry();
            QGuiApplication::primaryScreen()->grabWindow(0, g.x(), g.y(), g.width(), g.height()).save(shot);
            QCoreApplication::quit();
        });
    }
    const int code = app.exec();
    delete window;
    return code;
}
