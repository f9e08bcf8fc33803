// Renders the login dialog and the connection dialog (with a module found by
// the simulator's discovery on loopback) into PNG files for a visual check:
//   login_screenshots <output dir>
#include "app/commonlyused.h"
#include "app/platform.h"
#include "login/connection_settings.h"
#include "login/login_interface.h"
#include "netmodule/udpcommunication.h"
#include "resources/trivaneresources.h"
#include "tests/support/sim_process.h"

#include <QApplication>
#include <QComboBox>
#include <QDebug>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

namespace {
constexpr int SettleMs = 2600;

void waitMs(int ms)
{
    CommonlyUsed::Delay_MSec(ms);
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("TRIVANE_LAB", "1");
    QApplication app(argc, argv);
    Trivane::initResources();
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QTemporaryDir appDir;
    CommonlyUsed::setApplicationDirOverride(appDir.path());
    Platform::setLanguageStoreOverride(appDir.filePath(QStringLiteral("language.ini")));
    Platform::setLanguageValue(QStringLiteral("zh_CN"));

    SimProcess sim;
    if (!sim.start({"--udp", "127.0.0.1:0"})) {
        qCritical() << "simulator:" << sim.errorText();
        return 1;
    }
    UdpCommunication::getInstance()->setLocalPort(0);
    UdpCommunication::getInstance()->setDestinationPort(sim.udpPort());

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
