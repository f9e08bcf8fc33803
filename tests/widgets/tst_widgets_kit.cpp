#include "resources/trivaneresources.h"
#include "widgets/information_tips.h"
#include "widgets/inquiry_tips.h"
#include "widgets/my_warning.h"
#include "widgets/titlebar.h"
#include "widgets/waiting_interface.h"

#include <QLabel>
#include <QMovie>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTranslator>
#include <QtMath>

namespace {
constexpr int AnimationWait = 3000;

// Centring rounds to whole pixels.
bool nearlyCentred(const QRect &geometry, const QRect &area)
{
    return (geometry.center() - area.center()).manhattanLength() <= 2;
}

QRect available()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

void sendMouse(QWidget *target, QEvent::Type type, const QPoint &local, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, local, target->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}
}

class TestWidgetsKit : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { Trivane::initResources(); }

    void toastSizing_data();
    void toastSizing();
    void toastSlidesAndIsReused();
    void inquiryAnswers_data();
    void inquiryAnswers();
    void inquiryAnswersOnceDuringAnimation();
    void informationTipsReuse();
    void stayOnTopToggleReturns();
    void toolbarToggleReturns();
    void toolTipsFollowLanguage();
    void maximiseAndDoubleClick_data();
    void maximiseAndDoubleClick();
    void dragMaximisedRestoresAtRelativeX();
    void waitingOverlayPicture();
    void waitingOverlayPlaysOnlyWhileShown();
};

void TestWidgetsKit::toastSizing_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("one character") << QStringLiteral("好");
    QTest::newRow("short") << QStringLiteral("串口连接成功！");
    QTest::newRow("latin") << QStringLiteral("Serial port connection succeeded!");
    QTest::newRow("two lines") << QStringLiteral("第一行\n第二行比第一行长得多的文字");
    QTest::newRow("very long") << QString(300, QChar(0x957f));
}

void TestWidgetsKit::toastSizing()
{
    QFETCH(QString, text);
    QWidget host;
    host.resize(800, 600);
    My_Warning toast(&host);
    toast.setMessage(text, My_Warning::failureStyle());

    QFont font = toast.label()->font();
    font.setPixelSize(18);
    const int textWidth = QFontMetrics(font).boundingRect(QRect(), 0, text).width();
    const int expected = qBound(190, qCeil(textWidth * 1.5), 3000);
    QCOMPARE(toast.width(), expected);
    QCOMPARE(toast.height(), 60);
    QCOMPARE(toast.label()->geometry(), toast.rect());
    QVERIFY(toast.label()->alignment() & Qt::AlignHCenter);
    QVERIFY(toast.label()->styleSheet().contains(QLatin1String("background-color: rgb(204, 0, 0);")));
    QVERIFY(toast.label()->styleSheet().contains(QLatin1String("color: rgb(255, 255, 255);")));
}

void TestWidgetsKit::toastSlidesAndIsReused()
{
    QWidget host;
    host.resize(800, 600);
    host.show();
    My_Warning *toast = My_Warning::showMessage(&host, QStringLiteral("保存成功"), My_Warning::successStyle());
    QVERIFY(toast);
    QCOMPARE(My_Warning::showMessage(&host, QStringLiteral("再次保存成功"), My_Warning::successStyle()), toast);
    QCOMPARE(host.findChildren<My_Warning *>().size(), 1);
    QCOMPARE(toast->message(), QStringLiteral("再次保存成功"));

    const int x = 800 - 30 - toast->width();
    QTRY_COMPARE_WITH_TIMEOUT(toast->pos(), QPoint(x, 600 - 80), AnimationWait);
    QTRY_VERIFY_WITH_TIMEOUT(toast->isHidden(), AnimationWait);
    QCOMPARE(toast->pos(), QPoint(x, 600));
}

void TestWidgetsKit::inquiryAnswers_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("answer");
    QTest::newRow("log out yes") << "cancellation" << "ok" << "Logout system";
    QTest::newRow("close yes") << "close_window" << "ok" << "Close the main window";
    QTest::newRow("delete yes") << "Delete scene" << "ok" << "Delete scene";
    QTest::newRow("close no") << "close_window" << "no" << "Cancel Close window";
    QTest::newRow("escape") << "close_window" << "escape" << "Cancel Close window";
    QTest::newRow("title bar close") << "cancellation" << "titlebar" << "Cancel Close window";
    QTest::newRow("alt+f4") << "close_window" << "close" << "Cancel Close window";
}

void TestWidgetsKit::inquiryAnswers()
{
    QFETCH(QString, key);
    QFETCH(QString, action);
    QFETCH(QString, answer);

    QPointer<Inquiry_Tips> dialog = new Inquiry_Tips;
    dialog->setKey(key);
    dialog->setMessage(QStringLiteral("您确定退出系统吗？"));
    QSignalSpy answers(dialog.data(), &Inquiry_Tips::Send_Mesg);
    QSignalSpy deletes(dialog.data(), &Inquiry_Tips::Send_Delete_scene);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));

    if (action == QLatin1String("ok"))
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("pushButton_inquiry_OK")), Qt::LeftButton);
    else if (action == QLatin1String("no"))
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("pushButton_inquiry_NO")), Qt::LeftButton);
    else if (action == QLatin1String("escape"))
        QTest::keyClick(dialog.data(), Qt::Key_Escape);
    else if (action == QLatin1String("titlebar"))
        dialog->titleBar()->button(TitleBar::CloseButton)->click();
    else
        dialog->close();

    QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), AnimationWait);
    QCOMPARE(answers.count(), 1);
    QCOMPARE(answers.at(0).at(0).toString(), answer);
    QCOMPARE(deletes.count(), answer == QLatin1String("Delete scene") ? 1 : 0);
}

void TestWidgetsKit::inquiryAnswersOnceDuringAnimation()
{
    QPointer<Inquiry_Tips> dialog = new Inquiry_Tips;
    dialog->setKey(QStringLiteral("cancellation"));
    QSignalSpy answers(dialog.data(), &Inquiry_Tips::Send_Mesg);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));

    auto *ok = dialog->findChild<QPushButton *>(QStringLiteral("pushButton_inquiry_OK"));
    auto *no = dialog->findChild<QPushButton *>(QStringLiteral("pushButton_inquiry_NO"));
    ok->click();
    ok->click();
    no->click();
    QTest::keyClick(dialog.data(), Qt::Key_Escape);
    QVERIFY(dialog->isCloseAnimationRunning());
    QCOMPARE(dialog->OK_Or_Cancel(), 1);
    // Closing from outside while it folds: the chosen answer, once, at once.
    dialog->close();
    QCOMPARE(answers.count(), 1);
    QCOMPARE(answers.at(0).at(0).toString(), QStringLiteral("Logout system"));
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), AnimationWait);
    QTest::qWait(FBaseDialog::CloseAnimationMs + 100);
    QCOMPARE(answers.count(), 1);
}

void TestWidgetsKit::informationTipsReuse()
{
    Information_Tips tips;
    QSignalSpy answers(&tips, &Information_Tips::Send_Mesg);
    tips.setMessage(QStringLiteral("串口打开失败！"));
    tips.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tips));
    const QSize shownSize = tips.size();
    QVERIFY2(nearlyCentred(tips.geometry(), available()), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(tips.x()).arg(tips.y()).arg(tips.width()).arg(tips.height())));

    QTest::mouseClick(tips.findChild<QPushButton *>(QStringLiteral("pushButton_information")), Qt::LeftButton);
    QTest::keyClick(&tips, Qt::Key_Escape); // during the fold: no second answer
    QTRY_VERIFY_WITH_TIMEOUT(tips.isHidden(), AnimationWait);
    QCOMPARE(answers.count(), 1);
    QCOMPARE(answers.at(0).at(0).toString(), QStringLiteral("Close Error window"));

    // Reused: visible again, full size, centred.
    tips.setMessage(QStringLiteral("网络连接失败！"));
    tips.show();
    QCOMPARE(tips.windowOpacity(), 1.0);
    QCOMPARE(tips.size(), shownSize);
    QVERIFY2(nearlyCentred(tips.geometry(), available()), qPrintable(QStringLiteral("%1,%2 %3x%4").arg(tips.x()).arg(tips.y()).arg(tips.width()).arg(tips.height())));

    QTest::keyClick(&tips, Qt::Key_Escape);
    QTRY_COMPARE_WITH_TIMEOUT(answers.count(), 2, AnimationWait);
    QTRY_VERIFY(tips.isHidden());

    tips.show();
    QCOMPARE(tips.windowOpacity(), 1.0);
    tips.close();
    QCOMPARE(answers.count(), 3);
    QVERIFY(tips.isHidden());
}

void TestWidgetsKit::stayOnTopToggleReturns()
{
    QWidget window;
    window.resize(600, 400);
    TitleBar bar(&window);
    window.show();
    QPushButton *top = bar.button(TitleBar::TopButton);
    const QString firstIcon = top->property("iconPath").toString();
    const QString firstTip = top->toolTip();
    QCOMPARE(firstTip, QStringLiteral("取消置顶"));

    top->click();
    QCOMPARE(bar.topState(), 1);
    QCOMPARE(top->toolTip(), QStringLiteral("置顶"));
    QCOMPARE(top->property("iconPath").toString(), QStringLiteral("://image/Top.png"));
    QVERIFY(window.isVisible());

    top->click();
    QCOMPARE(bar.topState(), 0);
    QCOMPARE(top->toolTip(), firstTip);
    QCOMPARE(top->property("iconPath").toString(), firstIcon);
    QVERIFY(!(window.windowFlags() & Qt::WindowStaysOnTopHint));
    QVERIFY(window.isVisible());
    QVERIFY(!top->icon().isNull());
}

void TestWidgetsKit::toolTipsFollowLanguage()
{
    QWidget window;
    window.resize(600, 400);
    TitleBar bar(&window);
    window.show();
    QPushButton *top = bar.button(TitleBar::TopButton);
    top->click();

    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/qm/Trivane.qm")));
    QCoreApplication::installTranslator(&english);
    QCoreApplication::processEvents();
    // The tip keeps describing the toggled state, now in English.
    QCOMPARE(top->toolTip(), QStringLiteral("Top"));
    QCOMPARE(bar.button(TitleBar::CloseButton)->toolTip(), QStringLiteral("Close"));

    QCoreApplication::removeTranslator(&english);
    QCoreApplication::processEvents();
    QCOMPARE(top->toolTip(), QStringLiteral("置顶"));
}

void TestWidgetsKit::toolbarToggleReturns()
{
    QWidget window;
    TitleBar bar(&window);
    QSignalSpy shown(&bar, &TitleBar::send_showToolbar);
    QPushButton *toolbar = bar.button(TitleBar::ToolbarButton);
    toolbar->click();
    QCOMPARE(bar.toolbarState(), 0);
    QCOMPARE(toolbar->toolTip(), QStringLiteral("隐藏工具栏"));
    toolbar->click();
    QCOMPARE(bar.toolbarState(), 1);
    QCOMPARE(toolbar->toolTip(), QStringLiteral("显示工具栏"));
    QCOMPARE(shown.count(), 2);

    QSignalSpy closes(&bar, &TitleBar::send_close);
    QSignalSpy logouts(&bar, &TitleBar::send_cancellation);
    bar.button(TitleBar::CloseButton)->click();
    bar.button(TitleBar::LogoutButton)->click();
    QCOMPARE(closes.count(), 1);
    QCOMPARE(closes.at(0).at(1).toInt(), 1);
    QCOMPARE(logouts.count(), 1);
    QCOMPARE(logouts.at(0).at(1).toInt(), 0);
}

void TestWidgetsKit::maximiseAndDoubleClick_data()
{
    QTest::addColumn<bool>("doubleClickEnabled");
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("maximises");
    QTest::newRow("enabled") << true << 20 << true;
    QTest::newRow("disabled") << false << 20 << false;
    QTest::newRow("top pixel row") << true << 0 << false;
}

void TestWidgetsKit::maximiseAndDoubleClick()
{
    QFETCH(bool, doubleClickEnabled);
    QFETCH(int, y);
    QFETCH(bool, maximises);

    QWidget window;
    window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    window.setGeometry(50, 60, 500, 300);
    TitleBar bar(&window);
    bar.setDoubleClickMaximize(doubleClickEnabled);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect normal = window.geometry();

    QSignalSpy fullScreen(&bar, &TitleBar::send_FullScreenFalg);
    QTest::mouseDClick(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(200, y));
    QCOMPARE(window.geometry() == available(), maximises);
    QCOMPARE(bar.isWindowMaximized(), maximises);
    if (!maximises)
        return;
    QCOMPARE(bar.button(TitleBar::MaxButton)->toolTip(), QStringLiteral("还原"));
    QCOMPARE(fullScreen.count(), 1);
    QCOMPARE(fullScreen.at(0).at(0).toBool(), true);

    bar.showMax();
    QCOMPARE(window.geometry(), normal);
    QCOMPARE(bar.button(TitleBar::MaxButton)->toolTip(), QStringLiteral("最大化"));
}

void TestWidgetsKit::dragMaximisedRestoresAtRelativeX()
{
    QWidget window;
    window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    window.setGeometry(40, 50, 400, 300);
    TitleBar bar(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    bar.showMax();
    QCOMPARE(window.geometry(), available());
    QCOMPARE(bar.width(), available().width());

    // Grab the bar at three quarters of its width and drag down and right.
    const QPoint press(bar.width() * 3 / 4, 20);
    const QPoint pressGlobal = bar.mapToGlobal(press);
    sendMouse(&bar, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
    const QPoint moveGlobal = pressGlobal + QPoint(30, 40);
    QMouseEvent move(QEvent::MouseMove, bar.mapFromGlobal(moveGlobal), moveGlobal, Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&bar, &move);

    QCOMPARE(window.size(), QSize(400, 300));
    // Still at the same fraction of its width; where that fraction falls
    // between two pixels (1366 / 4 is not whole) either neighbour will do.
    const double fraction = double(press.x()) / available().width();
    QVERIFY2(qAbs(moveGlobal.x() - window.x() - fraction * 400) <= 1.0,
             qPrintable(QString::number(moveGlobal.x() - window.x())));
    QCOMPARE(moveGlobal.y() - window.y(), pressGlobal.y() - available().y());
    QVERIFY(!bar.isWindowMaximized());
    QCOMPARE(bar.button(TitleBar::MaxButton)->property("iconPath").toString(), QStringLiteral("://image/max.png"));

    // Dragging far up keeps the top edge on the screen.
    const QPoint upGlobal = moveGlobal - QPoint(0, 500);
    QMouseEvent up(QEvent::MouseMove, bar.mapFromGlobal(upGlobal), upGlobal, Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
    QCoreApplication::sendEvent(&bar, &up);
    QCOMPARE(window.y(), available().top());
    sendMouse(&bar, QEvent::MouseButtonRelease, bar.mapFromGlobal(upGlobal), Qt::LeftButton, Qt::NoButton);
}

void TestWidgetsKit::waitingOverlayPicture()
{
    Waiting_Interface overlay;
    QCOMPARE(overlay.picturePath(), QStringLiteral("://image/star.gif"));
    QVERIFY(overlay.movie()->isValid());
    QVERIFY(overlay.movie()->frameCount() > 1);
    QCOMPARE(overlay.windowOpacity(), 0.8);

    Waiting_Interface connection(nullptr, true);
    QCOMPARE(connection.picturePath(), QStringLiteral("://image/ConnectionSettingsStar.gif"));
    QVERIFY(connection.movie()->isValid());

    QWidget window;
    window.setGeometry(100, 120, 500, 400);
    window.show();
    overlay.showOver(&window);
    QCOMPARE(overlay.geometry(), window.frameGeometry());
}

void TestWidgetsKit::waitingOverlayPlaysOnlyWhileShown()
{
    Waiting_Interface overlay;
    QCOMPARE(overlay.movie()->state(), QMovie::NotRunning);
    QSignalSpy frames(overlay.movie(), &QMovie::frameChanged);
    QTest::qWait(200);
    QCOMPARE(frames.count(), 0);

    QWidget window;
    window.show();
    for (int cycle = 0; cycle < 2; ++cycle) {
        overlay.showOver(&window);
        QCOMPARE(overlay.movie()->state(), QMovie::Running);
        QTRY_VERIFY(frames.count() > 1);
        QVERIFY(!overlay.movie()->currentPixmap().isNull());
        overlay.hide();
        QCOMPARE(overlay.movie()->state(), QMovie::NotRunning);
        frames.clear();
        QTest::qWait(200);
        QCOMPARE(frames.count(), 0);
    }
}

QTEST_MAIN(TestWidgetsKit)
#include "tst_widgets_kit.moc"
