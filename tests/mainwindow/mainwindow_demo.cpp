// Opens the main window with the saved connection, as the entry point does
// after login. With --shot <png> it also shows the console, types the given
// command (--command, default "(get,sw)"), and saves a picture of the window.
#include <QApplication>
#include <QCommandLineParser>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "app/commonlyused.h"
#include "app/settingscatalogue.h"
#include "app/theme_gui.h"
#include "mainwindow/mainwindow.h"
#include "resources/trivaneresources.h"

namespace {
constexpr int ShotSettleMs = 1500;
constexpr int ShotTypeDelayMs = 900;
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
    parser.process(app);

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
        QTimer::singleShot(ShotTypeDelayMs, window, [window, &parser] {
            window->findChild<QPushButton *>("pushButton_systemInformation")->click();
            window->findChild<QPushButton *>("pushButton_About")->click();
            window->findChild<QLineEdit *>("lineEdit_SendData")->setText(parser.value("command"));
            window->findChild<QPushButton *>("pushButton_SendIP")->click();
        });
        QTimer::singleShot(ShotTypeDelayMs + parser.value("settle").toInt(), window, [window, shot] {
            window->grab().save(shot);
            QCoreApplication::quit();
        });
    }
    const int code = app.exec();
    delete window;
    return code;
}
