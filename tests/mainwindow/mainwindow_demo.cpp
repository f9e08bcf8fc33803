// Opens the main window with the saved connection, as the entry point does
// after login. With --shot <png> it saves a picture of the screen: by default
// of the console after typing --command; with --page switching of page 0 after
// the device's size is read and the --routes ("input:output,...") are clicked;
// with --page rename of the channel rename page; with --page polling of the
// scene polling dialog; with --page output of output 3's settings, portstatus
// of the port cards, edid of input 5's profile, cec of the CEC panel,
// system-<button> of a system settings sub-page (system-IPSettings ...), about
// of the versions and console, subtitle of input 2's subtitle dialog.
// --send lists requests sent first ("(a);(b)").
#include <QApplication>
#include <QCommandLineParser>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include "app/commonlyused.h"
#include "app/settingscatalogue.h"
#include "app/theme_gui.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/scenes/scenepanel.h"
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
    parser.addOption({"page", "console, switching, rename, polling, output, portstatus, edid, cec, about, subtitle or system-<sub-page button>.", "page", "console"});
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
