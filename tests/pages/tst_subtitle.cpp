// The subtitle of an input against the simulator: the menu on the input
// buttons, the dialog filled from the device, the request it sends, the
// confirmation toast, and the answers that must not open or confirm anything.
#include "pages_harness.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTranslator>

#include "app/platform.h"
#include "mainwindow/naming/namestore.h"
#include "mainwindow/subtitle/subtitle_set.h"
#include "mainwindow/subtitle/subtitleflow.h"
#include "mainwindow/subtitle/subtitlemodel.h"
#include "mainwindow/switching/switchingpage.h"
#include "widgets/my_toolbutton.h"
#include "widgets/titlebar.h"

namespace {
constexpr int AnswerWaitMs = 3000;
const QString SetToast = QStringLiteral("字幕参数设置成功!");

// Stands in for the English translation of the dialog's title.
class TitleTranslator final : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (qstrcmp(context, "Subtitle_Set") == 0
            && QString::fromUtf8(source) == QStringLiteral("%1-字幕设置"))
            return QStringLiteral("%1-Subtitle Setting");
        return QString();
    }
};
} // namespace

class TestSubtitle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void inputButtonOffersTheMenu();
    void dialogShowsTheDevicesSettings_data();
    void dialogShowsTheDevicesSettings();
    void setSendsFullWidthTextAndConfirms();
    void emptyFieldKeepsTheDevicesText();
    void unshowableTextIsRefused();
    void secondQueryOpensNoSecondDialog();
    void typedCommandShowsNothing();
    void closing_data();
    void closing();
    void titleFollowsLanguage();

private:
    MainWindow *window() const { return h.window(); }
    SubtitleFlow *flow() const { return h.window()->subtitleFlow(); }
    template <typename T> T *child(const char *name) const
    {
        return flow()->dialog() ? flow()->dialog()->findChild<T *>(QLatin1String(name)) : nullptr;
    }
    static bool osdHandled(const QSignalSpy &spy)
    {
        for (const QList<QVariant> &args : spy) {
            if (args.value(0).toInt() == int(Protocol::Answer::Osd))
                return true;
        }
        return false;
    }
    // Changes the device's subtitle as a typed command would.
    bool deviceSet(const QString &request)
    {
        QSignalSpy spy(window()->dispatcher(), &ReplyDispatcher::branchMatched);
        window()->subtitlePendingSet = 2;
        window()->sendData(request);
        QElapsedTimer clock;
        clock.start();
        while (!osdHandled(spy) && clock.elapsed() < AnswerWaitMs)
            QTest::qWait(10);
        return osdHandled(spy);
    }
    Subtitle_Set *open(int input)
    {
        window()->Currunt_ToolButton_HDMI = input;
        window()->Open_Subtitle_Set();
        QElapsedTimer clock;
        clock.start();
        while (!flow()->dialog() && clock.elapsed() < AnswerWaitMs)
            QTest::qWait(10);
        return flow()->dialog();
    }
    QString deviceSubtitle(int input)
    {
        return h.sim().state().value(QStringLiteral("osd")).split(QLatin1Char(';')).value(input - 1);
    }
    QStringList osdRequests() { return h.sim().history().filter(QStringLiteral(",osd,")); }

    PagesHarness h;
};

void TestSubtitle::initTestCase()
{
    QVERIFY2(h.start({ QStringLiteral("--model"), QStringLiteral("4x4") }), qPrintable(h.error()));
    QVERIFY(flow());
    window()->nameStore()->setName(NameStore::Input, 2, QStringLiteral("Lobby Cam"));
}

void TestSubtitle::cleanup()
{
    for (Subtitle_Set *dialog : window()->findChildren<Subtitle_Set *>())
        dialog->close();
    QTRY_VERIFY(!flow()->dialog());
    QTRY_VERIFY(window()->findChildren<Subtitle_Set *>().isEmpty());
}

void TestSubtitle::inputButtonOffersTheMenu()
{
    my_ToolButton *button = window()->switchingPage()->inputButtons().at(1);
    QCOMPARE(button->contextMenuPolicy(), Qt::CustomContextMenu);
    window()->Currunt_ToolButton_HDMI = 1;
    emit button->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(window()->Currunt_ToolButton_HDMI, 2);
    QTRY_VERIFY(window()->subtitleMenu()->isVisible());
    window()->subtitleMenu()->hide();
}

void TestSubtitle::dialogShowsTheDevicesSettings_data()
{
    QTest::addColumn<int>("input");
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("position");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("text");

    QTest::newRow("on, lower left, blue") << 2 << "(set,osd,2,1,3,4,HELLO)"
                                          << "radioButton_Open"
                                          << "pushButton_LowerLeft"
                                          << "pushButton_Blue"
                                          << "HELLO";
    QTest::newRow("off, upper right, black, blank kept") << 3 << "(set,osd,3,0,2,5,Room 1)"
                                                         << "radioButton_Close"
                                                         << "pushButton_UpperRight"
                                                         << "pushButton_Black"
                                                         << "Room 1";
    QTest::newRow("Chinese text") << 1 << QStringLiteral("(set,osd,1,1,4,1,会议室)") << "radioButton_Open"
                                  << "pushButton_LowerRight"
                                  << "pushButton_White" << QStringLiteral("会议室");
}

void TestSubtitle::dialogShowsTheDevicesSettings()
{
    QFETCH(int, input);
    QFETCH(QString, request);
    QFETCH(QString, colour);
    QFETCH(QString, text);

    QVERIFY(deviceSet(request));
    Subtitle_Set *dialog = open(input);
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->parentWidget(), window());
    QCOMPARE(dialog->port(), input);
    QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(Platform::isTopmost(dialog));

    QFETCH(QString, status);
    QFETCH(QString, position);
    QVERIFY(child<QRadioButton>(qPrintable(status))->isChecked());
    QVERIFY(child<QPushButton>(qPrintable(position))->isChecked());
    QVERIFY(child<QPushButton>(qPrintable(colour))->isChecked());
    auto *field = child<QLineEdit>("lineEdit_Subtitle_content");
    QCOMPARE(field->text(), text);
    const int code = Subtitle::colourCode(colour.mid(int(qstrlen("pushButton_"))).toLower()).value_or(0);
    QVERIFY2(field->styleSheet().startsWith(Subtitle::colourStyle(code)), qPrintable(field->styleSheet()));

    const QString name = window()->nameStore()->name(NameStore::Input, input);
    QCOMPARE(dialog->windowTitle(), name + QStringLiteral("-字幕设置"));
    QCOMPARE(dialog->titleBar()->titleContent(), dialog->windowTitle());

    // The swatches show their colour (the dialog's own style reaches them).
    const QImage red = child<QPushButton>("pushButton_Red")->grab().toImage();
    QCOMPARE(QColor(red.pixel(red.rect().center())), QColor(Qt::red));
}

void TestSubtitle::setSendsFullWidthTextAndConfirms()
{
    QVERIFY(deviceSet(QStringLiteral("(set,osd,2,1,3,4,HELLO)")));
    Subtitle_Set *dialog = open(2);
    QVERIFY(dialog);
    window()->showToast(QStringLiteral("marker"), QString::fromLatin1(Protocol::SuccessStyle));

    child<QLineEdit>("lineEdit_Subtitle_content")->setText(QStringLiteral("A)B"));
    QTest::mouseClick(child<QPushButton>("pushButton_Red"), Qt::LeftButton);
    QCOMPARE(child<QLineEdit>("lineEdit_Subtitle_content")->styleSheet(), Subtitle::colourStyle(2));
    QVERIFY(!child<QPushButton>("pushButton_Blue")->isChecked());
    QTest::mouseClick(child<QPushButton>("pushButton_UpperLeft"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("pushButton_Subtitle_OK"), Qt::LeftButton);
    QTRY_COMPARE(deviceSubtitle(2), QStringLiteral("1/1/2/A）B"));
    QVERIFY(osdRequests().contains(QStringLiteral("(set,osd,2,1,1,2,A）B)")));
    QTRY_COMPARE(window()->lastToast(), SetToast);
    QCOMPARE(flow()->dialog(), dialog); // stays open for the next change

    window()->showToast(QStringLiteral("marker"), QString::fromLatin1(Protocol::SuccessStyle));
    child<QLineEdit>("lineEdit_Subtitle_content")->setText(QStringLiteral("(x,y)"));
    QTest::mouseClick(child<QRadioButton>("radioButton_Close"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("pushButton_Subtitle_OK"), Qt::LeftButton);
    QTRY_COMPARE(deviceSubtitle(2), QStringLiteral("0/1/2/（x，y）"));
    QTRY_COMPARE(window()->lastToast(), SetToast);
}

void TestSubtitle::emptyFieldKeepsTheDevicesText()
{
    QVERIFY(deviceSet(QStringLiteral("(set,osd,3,1,2,5,Room 1)")));
    QVERIFY(open(3));
    child<QLineEdit>("lineEdit_Subtitle_content")->clear();
    QTest::mouseClick(child<QPushButton>("pushButton_Green"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("pushButton_Subtitle_OK"), Qt::LeftButton);
    QTRY_COMPARE(deviceSubtitle(3), QStringLiteral("1/2/3/Room 1"));
}

void TestSubtitle::unshowableTextIsRefused()
{
    QVERIFY(open(1));
    h.sim().command(QStringLiteral("history clear"));
    const int pending = window()->subtitlePendingSet;
    child<QLineEdit>("lineEdit_Subtitle_content")->setText(QStringLiteral("會議室"));
    QTest::mouseClick(child<QPushButton>("pushButton_Subtitle_OK"), Qt::LeftButton);
    QCOMPARE(window()->lastToast(), QStringLiteral("字幕内容包含设备无法显示的字符！"));
    QCOMPARE(window()->subtitlePendingSet, pending);
    QCOMPARE(deviceSet(QStringLiteral("(get,osd,1)")), true); // anything sent before would be in front
    QCOMPARE(osdRequests(), QStringList { QStringLiteral("(get,osd,1)") });
}

void TestSubtitle::secondQueryOpensNoSecondDialog()
{
    Subtitle_Set *first = open(2);
    QVERIFY(first);
    h.sim().command(QStringLiteral("history clear"));
    QSignalSpy spy(window()->dispatcher(), &ReplyDispatcher::branchMatched);
    window()->Currunt_ToolButton_HDMI = 3;
    window()->Open_Subtitle_Set();
    QTRY_VERIFY(osdHandled(spy));
    QCOMPARE(osdRequests(), QStringList { QStringLiteral("(get,osd,3)") });
    QCOMPARE(flow()->dialog(), first);
    QCOMPARE(first->port(), 2);
    QCOMPARE(window()->findChildren<Subtitle_Set *>().size(), 1);
}

void TestSubtitle::typedCommandShowsNothing()
{
    // After a change every subtitle answer would confirm it; a typed query
    // must neither confirm nor open anything.
    window()->subtitlePendingSet = 1;
    window()->showToast(QStringLiteral("marker"), QString::fromLatin1(Protocol::SuccessStyle));
    auto *line = window()->findChild<QLineEdit *>(QStringLiteral("lineEdit_SendData"));
    QVERIFY(line);
    line->setText(QStringLiteral("(get,osd,2)"));
    QSignalSpy spy(window()->dispatcher(), &ReplyDispatcher::branchMatched);
    window()->on_pushButton_SendIP_clicked();
    QCOMPARE(window()->subtitlePendingSet, 2);
    QTRY_VERIFY(osdHandled(spy));
    QCOMPARE(window()->lastToast(), QStringLiteral("marker"));
    QVERIFY(!flow()->dialog());
}

void TestSubtitle::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("exit button") << "exit";
    QTest::newRow("title bar close") << "title";
    QTest::newRow("escape") << "escape";
}

void TestSubtitle::closing()
{
    QFETCH(QString, how);
    QPointer<Subtitle_Set> dialog = open(2);
    QVERIFY(dialog);
    bool topmostWhenClosed = true;
    connect(dialog, &Subtitle_Set::closed, this, [&] { topmostWhenClosed = Platform::isTopmost(dialog); });

    if (how == QLatin1String("exit"))
        QTest::mouseClick(child<QPushButton>("pushButton_Subtitle_Cancel"), Qt::LeftButton);
    else if (how == QLatin1String("title"))
        QTest::mouseClick(dialog->titleBar()->button(TitleBar::CloseButton), Qt::LeftButton);
    else
        QTest::keyClick(dialog, Qt::Key_Escape);

    // The fold runs first: the dialog is still there, still the open one.
    QVERIFY(dialog->isCloseAnimationRunning());
    QCOMPARE(flow()->dialog(), dialog.data());
    QTRY_VERIFY(!dialog);
    QVERIFY(!flow()->dialog());
    QVERIFY(!topmostWhenClosed);
    // And the next query opens a fresh one.
    QVERIFY(open(2));
}

void TestSubtitle::titleFollowsLanguage()
{
    Subtitle_Set *dialog = open(2);
    QVERIFY(dialog);
    TitleTranslator english;
    QCoreApplication::installTranslator(&english);
    QTRY_COMPARE(dialog->windowTitle(), QStringLiteral("Lobby Cam-Subtitle Setting"));
    QCOMPARE(dialog->titleBar()->titleContent(), dialog->windowTitle());
    QCoreApplication::removeTranslator(&english);
    QTRY_COMPARE(dialog->windowTitle(), QStringLiteral("Lobby Cam-字幕设置"));
}

QTEST_MAIN(TestSubtitle)
#include "tst_subtitle.moc"
