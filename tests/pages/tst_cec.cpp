// The CEC page against an Orvex-Q simulator: stored rows shown on entering
// the page, rows applied and sent, defaults, and stored or typed commands
// that must never reach the device.
#include "pages_harness.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
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

// The file as the program (or an older copy of it) stored it.
void writeStore(const QStringList &texts, const QStringList &orders)
{
    QVERIFY(QDir().mkpath(SC::loginSystemDir()));
    QFile::remove(cecFile());
    QSettings raw(cecFile(), QSettings::IniFormat);
    raw.beginWriteArray(QStringLiteral("CECTEXT"), texts.size());
    for (int i = 0; i < texts.size(); ++i) {
        raw.setArrayIndex(i);
        raw.setValue(QStringLiteral("Text"), texts.at(i));
    }
    raw.endArray();
    raw.beginWriteArray(QStringLiteral("CECTORDER"), orders.size());
    for (int i = 0; i < orders.size(); ++i) {
        raw.setArrayIndex(i);
        raw.setValue(QStringLiteral("Order"), orders.at(i));
    }
    raw.endArray();
    raw.sync();
    QCOMPARE(raw.status(), QSettings::NoError);
}

QString storedValue(const QString &key)
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
    void longFileShowsSixteenRows();
    void captionsSurviveLanguageChange();
    void fitsBothWindowSizes_data();
    void fitsBothWindowSizes();

private:
    CecPage *page() const { return h.window()->cecPage(); }
    QStringList cecRequests()
    {
        QStringList mine;
        for (const QString &request : h.sim().history()) {
            if (request.startsWith(QLatin1String("(cec")) || request.contains(QLatin1String("reset")))
                mine << request;
        }
        return mine;
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
    for (int row = 1; row <= Cec::RowCount; ++row) {
        QCOMPARE(page()->controlButton(row)->objectName(), QStringLiteral("pushButton_Controls_%1").arg(row));
        QCOMPARE(page()->controlButton(row)->property("Type").toString(), QStringLiteral("cecControlsBut"));
        QCOMPARE(page()->portButton(row)->property("Type").toString(), QStringLiteral("CecPortBut"));
        QVERIFY(page()->portButton(row)->isCheckable());
        QCOMPARE(page()->featureField(row)->objectName(), QStringLiteral("lineEdit_Feature_%1").arg(row));
        QCOMPARE(page()->orderField(row)->objectName(), QStringLiteral("lineEdit_order_%1").arg(row));
    }
    QVERIFY(!page()->controlButton(0) && !page()->orderField(17));
    QCOMPARE(page()->controlButton(9)->text(), QStringLiteral("Button 09"));
}

void TestCec::enteringPageShowsStoredRows()
{
    writeStore({ QStringLiteral("Power"), QString(), QStringLiteral("Reset?") },
        { QStringLiteral("(cec,1,36)"), QStringLiteral("(cec,2,44,01,02,03)"),
            QStringLiteral("(cec,1,44)(reset)") });
    page()->portButton(1)->setChecked(true); // the stored type wins
    clearHistory();

    h.window()->findChild<QPushButton *>(QStringLiteral("pushButton_CecControl"))->click();
    QTRY_COMPARE(h.window()->currentPage, 2);

    // Two fields: shown whole, type 1.
    QCOMPARE(page()->controlButton(1)->text(), QStringLiteral("Power"));
    QCOMPARE(page()->featureField(1)->text(), QStringLiteral("Power"));
    QCOMPARE(page()->orderField(1)->text(), QStringLiteral("36"));
    QVERIFY(!page()->portButton(1)->isChecked());
    QCOMPARE(page()->controlButton(1)->property("Order").toString(), QStringLiteral("(cec,1,36)"));
    // More than three items: nothing cut off.
    QCOMPARE(page()->orderField(2)->text(), QStringLiteral("44,01,02,03"));
    QVERIFY(page()->portButton(2)->isChecked());
    QCOMPARE(page()->controlButton(2)->text(), QStringLiteral("Button 02"));
    // A second command riding on the first: dropped, and the operator told.
    QCOMPARE(page()->controlButton(3)->property("Order").toString(), QString());
    QCOMPARE(page()->orderField(3)->text(), QString());
    QVERIFY2(h.window()->lastToast().contains(QLatin1String("3")), qPrintable(h.window()->lastToast()));

    page()->controlButton(3)->click();
    page()->controlButton(1)->click();
    QTRY_COMPARE(cecRequests(), QStringList { QStringLiteral("(cec,1,36)") });

    page()->on_pushButton_save_clicked();
    QCOMPARE(h.window()->lastToast(), SaveSucceeded);
    QCOMPARE(storedValue(QStringLiteral("CECTORDER/1/Order")), QStringLiteral("(cec,1,36)"));
    QCOMPARE(storedValue(QStringLiteral("CECTORDER/2/Order")), QStringLiteral("(cec,2,44,01,02,03)"));
    QCOMPARE(storedValue(QStringLiteral("CECTORDER/3/Order")), QString());
    QCOMPARE(storedValue(QStringLiteral("CECTEXT/3/Text")), QStringLiteral("Reset?"));
}

void TestCec::appliedRowIsSentAsBuilt()
{
    page()->portButton(5)->click();
    QVERIFY(page()->portButton(5)->isChecked());
    page()->featureField(5)->setText(QStringLiteral("  TV on  "));
    page()->orderField(5)->setText(QStringLiteral(" 44,01,02 "));
    page()->findChild<QPushButton *>(QStringLiteral("pushButton_load"))->click();
    QCOMPARE(page()->controlButton(5)->property("Order").toString(), QStringLiteral("(cec,2,44,01,02)"));
    QCOMPARE(page()->controlButton(5)->text(), QStringLiteral("TV on"));

    clearHistory();
    h.window()->lastReply.clear();
    page()->controlButton(5)->click();
    QTRY_COMPARE(cecRequests(), QStringList { QStringLiteral("(cec,2,44,01,02)") });
    // An "err" answer would never become the last reply.
    QTRY_VERIFY2(
        h.window()->lastReply.startsWith(QLatin1String("cec,2,44,01,02")), qPrintable(h.window()->lastReply));

    page()->findChild<QPushButton *>(QStringLiteral("pushButton_save"))->click();
    QCOMPARE(storedValue(QStringLiteral("CECTORDER/5/Order")), QStringLiteral("(cec,2,44,01,02)"));
    QCOMPARE(storedValue(QStringLiteral("CECTEXT/5/Text")), QStringLiteral("TV on"));
}

void TestCec::typedParenthesesAreRefused()
{
    page()->orderField(6)->setText(QStringLiteral("44,01"));
    page()->on_pushButton_load_clicked();
    QCOMPARE(page()->controlButton(6)->property("Order").toString(), QStringLiteral("(cec,1,44,01)"));

    page()->orderField(6)->setText(QStringLiteral("44)(reset"));
    page()->orderField(7)->setText(QStringLiteral("44 01"));
    page()->on_pushButton_load_clicked();
    const QString toast = h.window()->lastToast();
    QVERIFY2(toast.contains(QLatin1String("6")) && toast.contains(QLatin1String("7")), qPrintable(toast));
    QCOMPARE(page()->orderField(6)->selectedText(), QStringLiteral("44)(reset"));
    // The rows keep what they had; the others were applied.
    QCOMPARE(page()->controlButton(6)->property("Order").toString(), QStringLiteral("(cec,1,44,01)"));
    QCOMPARE(page()->controlButton(7)->property("Order").toString(), QString());
    QCOMPARE(page()->controlButton(5)->property("Order").toString(), QStringLiteral("(cec,2,44,01,02)"));

    clearHistory();
    page()->controlButton(7)->click();
    page()->controlButton(6)->click();
    QTRY_COMPARE(cecRequests(), QStringList { QStringLiteral("(cec,1,44,01)") });
}

void TestCec::defaultsNameRowsAndSave()
{
    page()->featureField(9)->setText(QStringLiteral("Volume"));
    page()->portButton(9)->setChecked(true);
    page()->findChild<QPushButton *>(QStringLiteral("pushButton_default"))->click();

    QCOMPARE(h.window()->lastToast(), SaveSucceeded);
    QCOMPARE(page()->featureField(9)->text(), QStringLiteral("Button 09"));
    QCOMPARE(page()->featureField(10)->text(), QStringLiteral("Button 10"));
    QCOMPARE(page()->controlButton(10)->text(), QStringLiteral("Button 10"));
    QVERIFY(!page()->portButton(9)->isChecked());
    QCOMPARE(page()->orderField(6)->text(), QString());
    QCOMPARE(page()->controlButton(5)->property("Order").toString(), QString());

    QSettings raw(cecFile(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("CECTEXT/size")).toInt(), Cec::RowCount);
    QCOMPARE(raw.value(QStringLiteral("CECTEXT/9/Text")).toString(), QStringLiteral("Button 09"));
    QCOMPARE(raw.value(QStringLiteral("CECTEXT/10/Text")).toString(), QStringLiteral("Button 10"));
    QCOMPARE(raw.value(QStringLiteral("CECTORDER/5/Order")).toString(), QString());
}

void TestCec::longFileShowsSixteenRows()
{
    QStringList texts;
    QStringList orders;
    for (int i = 1; i <= 20; ++i) {
        texts << QStringLiteral("Key %1").arg(i);
        orders << QStringLiteral("(cec,1,%1)").arg(i, 2, 10, QLatin1Char('0'));
    }
    writeStore(texts, orders);
    page()->loadConfiguration();
    QCOMPARE(page()->featureField(16)->text(), QStringLiteral("Key 16"));
    QCOMPARE(page()->controlButton(16)->text(), QStringLiteral("Key 16"));
    QCOMPARE(page()->orderField(16)->text(), QStringLiteral("16"));

    page()->on_pushButton_save_clicked();
    QSettings raw(cecFile(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("CECTORDER/size")).toInt(), Cec::RowCount);
    QVERIFY(!raw.contains(QStringLiteral("CECTORDER/17/Order")));
    QCOMPARE(raw.value(QStringLiteral("CECTORDER/16/Order")).toString(), QStringLiteral("(cec,1,16)"));
}

void TestCec::captionsSurviveLanguageChange()
{
    page()->featureField(2)->setText(QStringLiteral("HDMI & Co"));
    page()->on_pushButton_load_clicked();
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(page(), &change);
    // "&" stays a character, not a shortcut mark.
    QCOMPARE(page()->controlButton(2)->text(), QStringLiteral("HDMI && Co"));
    QCOMPARE(page()->featureField(2)->text(), QStringLiteral("HDMI & Co"));
    QCOMPARE(page()->portButton(1)->text(), QStringLiteral("端口1"));
}

void TestCec::fitsBothWindowSizes_data()
{
    QTest::addColumn<QSize>("window");
    QTest::newRow("1366x768") << QSize(1366, 768);
    QTest::newRow("1920x1080") << QSize(1920, 1080);
}

void TestCec::fitsBothWindowSizes()
{
    QFETCH(QSize, window);
    h.window()->resize(window);
    QTest::qWait(50);
    const auto *panel = page()->findChild<QGroupBox *>(QStringLiteral("groupBox_Controls"));
    const auto *rows = page()->findChild<QScrollArea *>(QStringLiteral("scrollArea_Rows"));
    QVERIFY(panel && rows);
    for (int row = 1; row <= Cec::RowCount; ++row) {
        QPushButton *control = page()->controlButton(row);
        QVERIFY(panel->rect().contains(control->geometry()));
        QVERIFY(control->height() >= 44);
        // A short caption is never cut; the table's columns need no sideways scrolling.
        QVERIFY2(!control->text().contains(QChar(0x2026)), qPrintable(control->text()));
        QVERIFY(page()->portButton(row)->width() >= page()->portButton(row)->sizeHint().width());
        QVERIFY(page()->orderField(row)->width() >= 120);
    }
    QVERIFY(rows->widget()->width() <= rows->viewport()->width());
    h.window()->resize(1366, 768);
}

QTEST_MAIN(TestCec)
#include "tst_cec.moc"
