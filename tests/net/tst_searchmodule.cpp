#include "netmodule/discoverycodec.h"
#include "netmodule/netcfgclient.h"
#include "netmodule/searchmodule.h"
#include "netmodule/udpcommunication.h"
#include "resources/trivaneresources.h"
#include "tests/support/net_fakes.h"
#include "widgets/my_warning.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLoggingCategory>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace {
const QString Loopback = QStringLiteral("127.0.0.1");
const QColor Red(255, 0, 0);
constexpr int WaitMs = 3000;

QByteArray reply(const char *ipHex, const QByteArray &name, quint8 version)
{
    return netModuleReply(QByteArray::fromHex("84c2e4aa0b1f"), QByteArray::fromHex(ipHex), name, version);
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex());
}
} // namespace

class tst_SearchModule final : public QObject
{
    Q_OBJECT
private:
    UdpCommunication *channel = UdpCommunication::getInstance();

    static QTableWidget *table(SearchModule &dialog) { return dialog.findChild<QTableWidget *>(QStringLiteral("tableWidget")); }
    static QLineEdit *field(SearchModule &dialog, const char *name) { return dialog.findChild<QLineEdit *>(QLatin1String(name)); }
    static QString toast(SearchModule &dialog)
    {
        auto *warning = dialog.findChild<My_Warning *>();
        return warning && warning->isVisibleTo(&dialog) ? warning->message() : QString();
    }
    static void enter(SearchModule &dialog, const QString &ip, const QString &mask, const QString &gateway)
    {
        field(dialog, "lineEdit_IPAddress1")->setText(ip);
        field(dialog, "lineEdit_SubnetMask1")->setText(mask);
        field(dialog, "lineEdit_DefaultGateway1")->setText(gateway);
    }
    static void modify(SearchModule &dialog)
    {
        dialog.findChild<QPushButton *>(QStringLiteral("pushButtonModify"))->click();
    }

private slots:
    void initTestCase()
    {
        qputenv("TRIVANE_LAB", "1");
        Trivane::initResources();
        channel->setLocalPort(0);
    }

    void init() { QVERIFY(channel->udpBind(Loopback)); }

    void repliesInArrivalOrderDuplicatesRedLater()
    {
        NetFakeDiscovery modules;
        modules.setReplies({reply("7f000005", "A", 1), reply("7f000006", "B", 2), reply("7f000005", "C", 3)});
        channel->setDestinationPort(modules.port());
        SearchModule dialog;
        dialog.findChild<QPushButton *>(QStringLiteral("pushButtonSearch"))->click();
        QTableWidget *rows = table(dialog);
        QTRY_COMPARE_WITH_TIMEOUT(rows->rowCount(), 3, WaitMs);
        QCOMPARE(rows->item(0, SearchModule::IpColumn)->text(), QStringLiteral("127.0.0.5"));
        QCOMPARE(rows->item(1, SearchModule::IpColumn)->text(), QStringLiteral("127.0.0.6"));
        QCOMPARE(rows->item(2, SearchModule::NameColumn)->text(), QStringLiteral("C"));
        QCOMPARE(rows->item(2, SearchModule::VersionColumn)->text(), QStringLiteral("3"));
        QCOMPARE(rows->item(0, SearchModule::MacColumn)->text(), QStringLiteral("84: C2: E4: AA: 0B: 1F"));
        QVERIFY(rows->item(0, SearchModule::IpColumn)->foreground().color() != Red);

        QTRY_COMPARE_WITH_TIMEOUT(rows->item(0, SearchModule::IpColumn)->foreground().color(), Red, WaitMs);
        QCOMPARE(rows->item(2, SearchModule::IpColumn)->foreground().color(), Red);
        QVERIFY(rows->item(1, SearchModule::IpColumn)->foreground().color() != Red);

        // A new search rebuilds the rows without colours.
        modules.setReplies({reply("7f000005", "A", 1)});
        QVERIFY(dialog.searchIpAddress());
        QTRY_COMPARE_WITH_TIMEOUT(rows->rowCount(), 1, WaitMs);
        QVERIFY(rows->item(0, SearchModule::IpColumn)->foreground().color() != Red);
    }

    void manyRepliesMarkedInOnePass()
    {
        constexpr int Replies = 2000;
        constexpr int Distinct = 1500; // the first 500 addresses answer twice
        SearchModule dialog;
        QLoggingCategory::setFilterRules(QStringLiteral("default.info=false")); // a line per reply
        for (int i = 0; i < Replies; ++i) {
            const int n = i % Distinct;
            const QByteArray ip = QByteArray::fromHex("0a00") + char(n / 256) + char(n % 256);
            dialog.getReceiveData(hex(netModuleReply(QByteArray(6, '\x01'), ip, "M", 1)));
        }
        // A name that reads like an address makes no duplicate.
        dialog.getReceiveData(hex(reply("7f000009", "10.0.5.219", 1)));
        QLoggingCategory::setFilterRules(QString());
        QTableWidget *rows = table(dialog);
        QCOMPARE(rows->rowCount(), Replies + 1);

        QElapsedTimer clock;
        clock.start();
        dialog.updatTableStatus();
        const qint64 elapsed = clock.elapsed();
        qInfo("%d replies marked in %lld ms", Replies + 1, elapsed);
        QVERIFY2(elapsed < 200, qPrintable(QString::number(elapsed)));
        int red = 0;
        for (int row = 0; row < rows->rowCount(); ++row) {
            const bool duplicate = row < Replies && row % Distinct < Replies - Distinct;
            const bool isRed = rows->item(row, SearchModule::IpColumn)->foreground().color() == Red;
            QVERIFY2(isRed == duplicate, qPrintable(rows->item(row, SearchModule::IpColumn)->text()));
            red += isRed;
        }
        QCOMPARE(red, 2 * (Replies - Distinct));
    }

    void repliesWithoutAddressIgnored()
    {
        SearchModule dialog;
        const QByteArray full = reply("7f000005", "A", 1);
        for (int size : {0, 17, 29, 33})
            dialog.getReceiveData(hex(full.left(size)));
        QTableWidget *rows = table(dialog);
        QCOMPARE(rows->rowCount(), 0);
        dialog.getReceiveData(hex(full.left(34))); // address only
        dialog.getReceiveData(hex(reply("00000000", "Z", 2)));
        QCOMPARE(rows->rowCount(), 2);
        QCOMPARE(rows->item(0, SearchModule::IpColumn)->text(), QStringLiteral("127.0.0.5"));
        QCOMPARE(rows->item(1, SearchModule::IpColumn)->text(), QStringLiteral("0.0.0.0"));
        dialog.updatTableStatus();
        QVERIFY(rows->item(0, SearchModule::IpColumn)->foreground().color() != Red);
    }

    // While a module is being read the window stays live: another click is
    // not taken, and a new search ends the read instead of waiting it out.
    void searchDuringReadCancelsIt()
    {
        NetFakeDiscovery modules;
        channel->setDestinationPort(modules.port());
        NetFakeModule module;
        module.setSilent(true);
        SearchModule dialog;
        dialog.netcfgClient()->setPort(module.port());
        dialog.getReceiveData(hex(reply("7f000001", "A", 1)));
        dialog.getReceiveData(hex(reply("7f000001", "B", 1)));
        QTimer::singleShot(100, &dialog, [&dialog] {
            dialog.tableWidgetCellClicked(1, SearchModule::IpColumn);
            QVERIFY(dialog.searchIpAddress());
        });
        QElapsedTimer clock;
        clock.start();
        dialog.tableWidgetCellClicked(0, SearchModule::IpColumn);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(dialog.selectedRow(), 0);
        QCOMPARE(module.commands().size(), 1);
        QCOMPARE(table(dialog)->rowCount(), 0);
        QVERIFY(field(dialog, "lineEdit_IPAddress1")->text().isEmpty());
    }

    void unboundChannelSendsNothing()
    {
        NetFakeDiscovery modules;
        modules.setReplies({reply("7f000005", "A", 1)});
        channel->setDestinationPort(modules.port());
        QVERIFY(!channel->udpBind(QStringLiteral("192.0.2.1")));
        SearchModule dialog;
        QVERIFY(!dialog.searchIpAddress());
        QVERIFY(modules.received().isEmpty());
    }

    void clickReadsAndModifyChanges()
    {
        NetFakeModule module;
        module.setSettings(Loopback, QStringLiteral("255.255.255.0"), QStringLiteral("127.0.0.254"));
        SearchModule dialog;
        dialog.netcfgClient()->setPort(module.port());
        dialog.getReceiveData(hex(reply("7f000001", "A", 1)));
        dialog.tableWidgetCellClicked(0, SearchModule::MacColumn);
        QCOMPARE(field(dialog, "lineEdit_IPAddress1")->text(), Loopback);
        QCOMPARE(field(dialog, "lineEdit_SubnetMask1")->text(), QStringLiteral("255.255.255.0"));
        QCOMPARE(field(dialog, "lineEdit_DefaultGateway1")->text(), QStringLiteral("127.0.0.254"));

        enter(dialog, QStringLiteral("127.0.000.9"), QStringLiteral("255.255.255.0"), QStringLiteral("127.0.0.254"));
        modify(dialog);
        QCOMPARE(module.commands().last(), QStringLiteral("(set,netcfg,127.0.0.9,255.255.255.0,127.0.0.254)"));
        QCOMPARE(toast(dialog), QStringLiteral("模块正在重启！"));
        QCOMPARE(table(dialog)->item(0, SearchModule::IpColumn)->text(), QStringLiteral("127.0.0.9"));
    }

    void modifyAnsweredWithOtherAddress()
    {
        NetFakeModule module;
        module.setSettings(Loopback, QStringLiteral("255.255.255.0"), QStringLiteral("127.0.0.254"));
        module.setAcceptSet(false);
        SearchModule dialog;
        dialog.netcfgClient()->setPort(module.port());
        dialog.getReceiveData(hex(reply("7f000001", "A", 1)));
        enter(dialog, QStringLiteral("127.0.0.9"), QStringLiteral("255.255.255.0"), QStringLiteral("127.0.0.254"));
        modify(dialog);
        QCOMPARE(module.commands().size(), 1);
        QVERIFY(toast(dialog) != QStringLiteral("模块正在重启！"));
        QCOMPARE(field(dialog, "lineEdit_IPAddress1")->text(), Loopback);
    }

    void modifyWithoutModuleAtRow()
    {
        NetFakeModule module;
        SearchModule dialog;
        dialog.netcfgClient()->setPort(module.port());
        enter(dialog, QStringLiteral("127.0.0.9"), QStringLiteral("255.255.255.0"), QStringLiteral("127.0.0.254"));
        modify(dialog); // before any search
        QCOMPARE(toast(dialog), QStringLiteral("请先选择一个模块！"));

        // Row 2 chosen, then a search with a single module.
        for (int i = 0; i < 3; ++i)
            dialog.getReceiveData(hex(reply("7f000001", "A", 1)));
        dialog.tableWidgetCellClicked(2, SearchModule::IpColumn);
        table(dialog)->setRowCount(0);
        dialog.getReceiveData(hex(reply("7f000001", "A", 1)));
        enter(dialog, QStringLiteral("127.0.0.9"), QStringLiteral("255.255.255.0"), QStringLiteral("127.0.0.254"));
        modify(dialog);
        QCOMPARE(toast(dialog), QStringLiteral("请先选择一个模块！"));
        QCOMPARE(module.commands(), QStringList{QStringLiteral("(get,netcfg)")}); // only the click's read
    }

    void fieldChecks_data()
    {
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<QString>("message");
        const QString gw = QStringLiteral("192.168.1.1");
        QTest::newRow("ip empty") << "" << "255.255.255.0" << gw << "IP地址不能为空！";
        QTest::newRow("all zero ip") << "0.0.0.0" << "255.255.255.0" << gw << "IP地址格式错误！";
        QTest::newRow("broadcast ip") << "255.255.255.255" << "255.255.255.0" << gw << "IP地址格式错误！";
        QTest::newRow("mask with a hole") << "192.168.1.50" << "255.255.0.255" << gw << "子网掩码格式错误！";
        QTest::newRow("other segment") << "192.168.0.50" << "255.255.255.0" << gw << "电脑中不包含该网段!";
    }

    void fieldChecks()
    {
        QFETCH(QString, ip);
        QFETCH(QString, mask);
        QFETCH(QString, gateway);
        SearchModule dialog;
        dialog.setLocalAddresses({{QStringLiteral("192.168.1.10"), 24}});
        enter(dialog, ip, mask, gateway);
        modify(dialog);
        QTEST(toast(dialog), "message");
        QVERIFY(dialog.findChild<My_Warning *>()->label()->styleSheet().contains(QStringLiteral("204, 0, 0")));
    }

    void advancedAndClose()
    {
        SearchModule dialog;
        dialog.show();
        auto *frame = dialog.findChild<QWidget *>(QStringLiteral("frame_modifyNetwork"));
        QVERIFY(!frame->isVisible());
        dialog.findChild<QPushButton *>(QStringLiteral("pushButtonAdvanced"))->click();
        QVERIFY(frame->isVisible());
        dialog.closeConnectionInterface();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), WaitMs);
    }
};

QTEST_MAIN(tst_SearchModule)
#include "tst_searchmodule.moc"
