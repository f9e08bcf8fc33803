// Renders the login-area dialogs into PNG files for a visual check, with the
// simulator's module found by the discovery on loopback:
//   login_screenshots <output dir>
//       login.png and connection.png (Simplified Chinese, the dialogs alone)
//   login_screenshots <output dir> <language value>
//       needs a real display (xvfb-run -a -s "-screen 0 1366x768x24"): the
//       whole screen with the connection dialog as opened over the login
//       dialog, named after the language and the screen size, e.g.
//       connection-english-1366x768.png, and the module search opened from
//       it (search-module-english-1366x768.png); for English also the login and the
//       Modify User dialog with a toast (login-toast-english.png,
//       modify-user-toast-english.png)
#include "app/commonlyused.h"
#include "app/platform.h"
#include "app/theme_gui.h"
#include "login/connection_settings.h"
#include "login/login_interface.h"
#include "login/loginfiles.h"
#include "login/modify_user.h"
#include "netmodule/searchmodule.h"
#include "netmodule/udpcommunication.h"
#include "resources/trivaneresources.h"
#include "tests/support/sim_process.h"

#include <QApplication>
#include <QComboBox>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

namespace {
constexpr int SettleMs = 2600;
constexpr int SearchTimeoutMs = 5000;
constexpr int ShotMarginPx = 30;

void waitMs(int ms)
{
    CommonlyUsed::Delay_MSec(ms);
}

// The part of the screen around the given windows (all of it for none), as
// the operator sees it.
bool grabAround(const QList<QWidget *> &windows, const QString &path)
{
    QApplication::processEvents();
    QScreen *screen = QGuiApplication::primaryScreen();
    QRect area = screen->geometry();
    if (!windows.isEmpty()) {
        QRect around;
        for (const QWidget *window : windows)
            around |= window->frameGeometry();
        area = around.adjusted(-ShotMarginPx, -ShotMarginPx, ShotMarginPx, ShotMarginPx).intersected(area);
    }
    const bool saved = screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(path);
    if (!saved)
        qWarning() << "cannot write" << path;
    return saved;
}

QString languageWord(const QString &value)
{
    if (value == QLatin1String("zh_CN"))
        return QStringLiteral("simplified");
    if (value == QLatin1String("zh_TW"))
        return QStringLiteral("traditional");
    return QStringLiteral("english");
}

// The dialogs alone, rendered without a display.
int plainShots(const QString &outDir)
{
    Platform::setLanguageValue(QStringLiteral("zh_CN"));
    Login_Interface *login = Login_Interface::getInstance();
    login->show();
    waitMs(SettleMs);
    login->grab().save(outDir + QStringLiteral("/login.png"));

    CommonlyUsed::ver_minor = 1;
    auto *connection = new Connection_Settings();
    connection->move(login->pos());
    connection->Get_SetDefaults(QString(), QString(), QString(), QString());
    connection->show();
    waitMs(SettleMs);
    connection->grab().save(outDir + QStringLiteral("/connection.png"));
    qInfo() << "devices:" << connection->findChild<QComboBox *>(QStringLiteral("comboBox_desIP"))->count();

    delete connection;
    delete login;
    return 0;
}

// The connection dialog opened from the login dialog's button, on screen.
int screenShots(const QString &outDir, const QString &language)
{
    const QSize screen = QGuiApplication::primaryScreen()->size();
    const QString suffix =
        QStringLiteral("%1-%2x%3.png").arg(languageWord(language)).arg(screen.width()).arg(screen.height());
    Platform::setLanguageValue(language);
    // The simulator plays a device type that talks TCP.
    LoginFiles::setDeviceTypeIndex(2);
    Login_Interface *login = Login_Interface::getInstance();
    login->show();
    waitMs(SettleMs);

    bool shot = false;
    QElapsedTimer searching;
    searching.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<Connection_Settings *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        const int found = dialog->findChild<QComboBox *>(QStringLiteral("comboBox_desIP"))->count();
        if (found == 0 && searching.elapsed() < SearchTimeoutMs)
            return;
        poll.stop();
        waitMs(200);
        shot = grabAround({}, outDir + QStringLiteral("/connection-") + suffix);
        qInfo() << "devices:" << found << "connection" << dialog->size() << "login" << login->size();
        // The module search opened from it: the module found, its address
        // settings read over TCP.
        QTimer searchPoll;
        bool searched = false;
        QObject::connect(&searchPoll, &QTimer::timeout, [&] {
            auto *search = qobject_cast<SearchModule *>(QApplication::activeModalWidget());
            if (!search)
                return;
            if (!searched) {
                searched = true;
                search->findChild<QPushButton *>(QStringLiteral("pushButtonSearch"))->click();
            }
            if (search->findChild<QTableWidget *>(QStringLiteral("tableWidget"))->rowCount() == 0)
                return;
            searchPoll.stop();
            search->findChild<QPushButton *>(QStringLiteral("pushButtonAdvanced"))->click();
            search->tableWidgetCellClicked(0, 1);
            waitMs(SettleMs);
            grabAround({search}, outDir + QStringLiteral("/search-module-") + suffix);
            search->reject();
        });
        searchPoll.start(50);
        dialog->findChild<QPushButton *>(QStringLiteral("pushButtonNetWorkSet"))->click();
        searchPoll.stop();
        dialog->reject();
    });
    poll.start(50);
    login->findChild<QPushButton *>(QStringLiteral("pushButton_Connections_SettingUp"))->click();
    if (!shot)
        return 1;
    if (language != QLatin1String("en_US")) {
        delete login;
        return 0;
    }

    // No connection chosen yet: logging in says so in a toast.
    waitMs(SettleMs);
    login->findChild<QPushButton *>(QStringLiteral("pushButton_Login"))->click();
    waitMs(1000);
    grabAround({login}, outDir + QStringLiteral("/login-toast-english.png"));

    auto *modify = new Modify_User();
    modify->Get_Data(QStringLiteral("管理员"), QStringLiteral("admin"));
    modify->move(login->pos());
    modify->show();
    waitMs(SettleMs);
    modify->findChild<QLineEdit *>(QStringLiteral("lineEdit_OldPassword"))->setText(QStringLiteral("739204"));
    modify->findChild<QLineEdit *>(QStringLiteral("lineEdit_NewPassword"))->setText(QStringLiteral("abc123"));
    modify->findChild<QLineEdit *>(QStringLiteral("lineEdit_ConfirmPassword"))->setText(QStringLiteral("abc124"));
    modify->findChild<QPushButton *>(QStringLiteral("pushButton_Save"))->click();
    waitMs(1000);
    grabAround({modify}, outDir + QStringLiteral("/modify-user-toast-english.png"));
    delete modify;
    delete login;
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("TRIVANE_LAB", "1");
    QApplication app(argc, argv);
    Trivane::initResources();
    Theme::applyPalette();
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    const QString language = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QTemporaryDir appDir;
    CommonlyUsed::setApplicationDirOverride(appDir.path());
    Platform::setLanguageStoreOverride(appDir.filePath(QStringLiteral("language.ini")));

    SimProcess sim;
    if (!sim.start({"--udp", "127.0.0.1:0"})) {
        qCritical() << "simulator:" << sim.errorText();
        return 1;
    }
    // The module's address settings are read from the simulator's port.
    qputenv("TRIVANE_MODULE_TCP_PORT", QByteArray::number(sim.tcpPort()));
    UdpCommunication::getInstance()->setLocalPort(0);
    UdpCommunication::getInstance()->setDestinationPort(sim.udpPort());

    return language.isEmpty() ? plainShots(outDir) : screenShots(outDir, language);
}
