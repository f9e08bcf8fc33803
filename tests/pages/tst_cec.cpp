// The CEC page against an Orvex-Q simulator: stored rows shown on entering
// the page, rows applied and sent, defaults, and stored or typed commands
// that must never reach the device.
#include "pages_harness.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>

#include "app/settingscatalogue.h"
#include "mainwindow/cec/cecpage.h"

namespace SC = SettingsCatalogue;

namespace {

const QString SaveSucceeded = QStringLiteral("配置保存成功!");

QString cecFile()
{
    return SC::filePath(SC::File::CecSetConfig);
}

QString stored(const QString &key)
{
    return QSettings(cecFile(), QSettings::IniFormat).value(key).toString();
}

} // namespace

class TestCec : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void enteringPageShowsStoredRows();
    void appliedRowIsSentAsBuilt();
    void typedParenthesesAreRefused();
    void defaultsNameRowsAndSave();
    void captionKeepsItsAmpersand();

private:
    CecPage *page() const { return h.window()->cecPage(); }
    QString order(int row) const { return page()->controlButton(row)->property("Order").toString(); }
    void clickPageButton(const char *name) { page()->findChild<QPushButton *>(QLatin1String(name))->click(); }
    // CEC commands (and anything riding on one) the device received since the last clear.
    QStringList cecRequests()
    {
        return h.sim().history().filter(QRegularExpression(QStringLiteral("^\\(cec|reset")));
    }
    void clearHistory()
    {
        bool ok = false;
        h.sim().command(QStringLiteral("history clear"), &ok);
        QVERIFY(ok);
    }

    PagesHarness h;
};

void TestCec::initTestCase()
{
    CommonlyUsed::ver_minor = CommonlyUsed::DeviceTypeOrvexQ;
    QVERIFY2(h.start({ QStringLiteral("--model"), QStringLiteral("8x16"), QStringLiteral("--type"),
                 QStringLiteral("Orvex-Q") }),
        qPrintable(h.error()));
    QVERIFY(page());
    auto *navigation = h.window()->findChild<QPushButton *>(QStringLiteral("pushButton_CecControl"));
    QVERIFY(navigation && navigation->isVisibleTo(h.window()));
}

void TestCec::enteringPageShowsStoredRows()
{
    // The file as the program (or an older copy of it) stored it.
    QVERIFY(QDir().mkpath(SC::loginSystemDir()));
    QFile file(cecFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[CECTEXT]\n1\\Text=Power\n3\\Text=Reset?\nsize=3\n[CECTORDER]\n1\\Order=\"(cec,1,36)\"\n"
               "2\\Order=\"(cec,2,44,01,02,03)\"\n3\\Order=\"(cec,1,44)(reset)\"\nsize=3\n");
    file.close();
    page()->portButton(1)->setChecked(true); // the stored type wins
    clearHistory();

    h.window()->findChild<QPushButton *>(QStringLiteral("pushButton_CecControl"))->click();
    QTRY_COMPARE(h.window()->currentPage, 2);

    // Two fields: shown whole, type 1.
    QCOMPARE(page()->controlButton(1)->text(), QStringLiteral("Power"));
    QCOMPARE(page()->orderField(1)->text(), QStringLiteral("36"));
    QVERIFY(!page()->portButton(1)->isChecked());
    // More than three items: nothing cut off.
    QCOMPARE(page()->orderField(2)->text(), QStringLiteral("44,01,02,03"));
    QVERIFY(page()->portButton(2)->isChecked());
    // A second command riding on the first: dropped, and the operator told.
    QCOMPARE(order(3), QString());
    QCOMPARE(page()->orderField(3)->text(), QString());
    QVERIFY2(h.window()->lastToast().contains(QLatin1String("3")), qPrintable(h.window()->lastToast()));

    page()->controlButton(3)->click();
    page()->controlButton(1)->click();
    QTRY_COMPARE(cecRequests(), QStringList { QStringLiteral("(cec,1,36)") });

    page()->on_pushButton_save_clicked();
    QCOMPARE(h.window()->lastToast(), SaveSucceeded);
    QCOMPARE(stored(QStringLiteral("CECTORDER/1/Order")), QStringLiteral("(cec,1,36)"));
    QCOMPARE(stored(QStringLiteral("CECTORDER/2/Order")), QStringLiteral("(cec,2,44,01,02,03)"));
    QCOMPARE(stored(QStringLiteral("CECTORDER/3/Order")), QString());
    QCOMPARE(stored(QStringLiteral("CECTEXT/3/Text")), QStringLiteral("Reset?"));
}

void TestCec::appliedRowIsSentAsBuilt()
{
    page()->portButton(5)->click();
    page()->featureField(5)->setText(QStringLiteral("  TV on  "));
    page()->orderField(5)->setText(QStringLiteral(" 44,01,02 "));
    clickPageButton("pushButton_load");
    QCOMPARE(order(5), QStringLiteral("(cec,2,44,01,02)"));
    QCOMPARE(page()->controlButton(5)->text(), QStringLiteral("TV on"));

    clearHistory();
    h.window()->lastReply.clear();
    page()->controlButton(5)->click();
    QTRY_COMPARE(cecRequests(), QStringList { QStringLiteral("(cec,2,44,01,02)") });
    // An "err" answer would never become the last reply.
    QTRY_VERIFY2(
        h.window()->lastReply.startsWith(QLatin1String("cec,2,44,01,02")), qPrintable(h.window()->lastReply));

    clickPageButton("pushButton_save");
    QCOMPARE(stored(QStringLiteral("CECTORDER/5/Order")), QStringLiteral("(cec,2,44,01,02)"));
    QCOMPARE(stored(QStringLiteral("CECTEXT/5/Text")), QStringLiteral("TV on"));
}

void TestCec::typedParenthesesAreRefused()
{
    page()->orderField(6)->setText(QStringLiteral("44,01"));
    page()->on_pushButton_load_clicked();
    QCOMPARE(order(6), QStringLiteral("(cec,1,44,01)"));

    page()->orderField(6)->setText(QStringLiteral("44)(reset"));
    page()->on_pushButton_load_clicked();
    QVERIFY2(h.window()->lastToast().contains(QLatin1String("6")), qPrintable(h.window()->lastToast()));
    QCOMPARE(page()->orderField(6)->selectedText(), QStringLiteral("44)(reset"));
    // The row keeps what it had; the others were applied.
    QCOMPARE(order(6), QStringLiteral("(cec,1,44,01)"));
    QCOMPARE(order(5), QStringLiteral("(cec,2,44,01,02)"));

    clearHistory();
    page()->controlButton(6)->click();
    QTRY_COMPARE(cecRequests(), QStringList { QStringLiteral("(cec,1,44,01)") });
}

void TestCec::defaultsNameRowsAndSave()
{
    page()->featureField(9)->setText(QStringLiteral("Volume"));
    page()->portButton(9)->setChecked(true);
    clickPageButton("pushButton_default");

    QCOMPARE(h.window()->lastToast(), SaveSucceeded);
    QCOMPARE(page()->featureField(9)->text(), QStringLiteral("Button 09"));
    QCOMPARE(page()->controlButton(10)->text(), QStringLiteral("Button 10"));
    QVERIFY(!page()->portButton(9)->isChecked());
    QCOMPARE(page()->orderField(6)->text(), QString());
    QCOMPARE(order(5), QString());

    QCOMPARE(stored(QStringLiteral("CECTEXT/size")).toInt(), Cec::RowCount);
    QCOMPARE(stored(QStringLiteral("CECTEXT/9/Text")), QStringLiteral("Button 09"));
    QCOMPARE(stored(QStringLiteral("CECTEXT/10/Text")), QStringLiteral("Button 10"));
    QCOMPARE(stored(QStringLiteral("CECTORDER/5/Order")), QString());
}

void TestCec::captionKeepsItsAmpersand()
{
    page()->featureField(2)->setText(QStringLiteral("HDMI & Co"));
    page()->on_pushButton_load_clicked();
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(page(), &change);
    // "&" stays a character, not a shortcut mark, also after a language change.
    QCOMPARE(page()->controlButton(2)->text(), QStringLiteral("HDMI && Co"));
    QCOMPARE(page()->featureField(2)->text(), QStringLiteral("HDMI & Co"));
}

QTEST_MAIN(TestCec)
#include "tst_cec.moc"
