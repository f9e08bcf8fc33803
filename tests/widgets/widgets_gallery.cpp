// Shows each part of the widget kit over the main window in the built-in
// theme and saves a screenshot of each: widgets-gallery <output dir>.
// Needs a real display (xvfb-run -a -s "-screen 0 1920x1080x24").

#include "app/commonlyused.h"
#include "mainwindow/mainwindow.h"
#include "resources/trivaneresources.h"
#include "widgets/customizevolumeslider.h"
#include "widgets/information_tips.h"
#include "widgets/inquiry_tips.h"
#include "widgets/my_toolbutton.h"
#include "widgets/my_warning.h"
#include "widgets/mybutton.h"
#include "widgets/titlebar.h"
#include "widgets/waiting_interface.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int WindowWidth = 1366;
constexpr int WindowHeight = 768;
constexpr int SettleMs = 400;
constexpr int SlideSettleMs = 1500;

QString g_outDir;

void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void shoot(const QString &name, const QRect &area)
{
    QApplication::processEvents();
    wait(SettleMs);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const QString path = g_outDir + QStringLiteral("/widgets-%1.png").arg(name);
    if (!shot.save(path))
        qWarning("cannot write %s", qPrintable(path));
}

// The real main window on its console page, with a short exchange in the
// console, as the operator sees it behind the dialogs.
QWidget *makeMainWindow()
{
    MainWindow *window = MainWindow::getInstance();
    window->setGeometry(0, 0, WindowWidth, WindowHeight);
    window->show();
    QApplication::processEvents();
    window->findChild<QPushButton *>(QStringLiteral("pushButton_systemInformation"))->click();
    window->findChild<QPushButton *>(QStringLiteral("pushButton_About"))->click();
    window->TextEdit_Message_Display(1, QStringLiteral("(get,sw)"));
    window->TextEdit_Message_Display(0, QStringLiteral("out1in1\r\nout2in2\r\nout3in3\r\nout4in4\r\nok\r\n"));
    window->TextEdit_Message_Display(1, QStringLiteral("(info,dev)"));
    window->TextEdit_Message_Display(0, QStringLiteral("Meeting Room\r\nsystemon\r\nunlock\r\nok\r\n"));
    wait(SlideSettleMs);
    return window;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    Trivane::initResources();
    g_outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(g_outDir);

    QWidget *window = makeMainWindow();
    const QRect area = window->geometry();
    shoot(QStringLiteral("titlebar"), area);

    My_Warning::showMessage(window, QStringLiteral("场景保存成功！"), My_Warning::successStyle());
    wait(My_Warning::SlideMs + 50);
    shoot(QStringLiteral("toast"), area);
    My_Warning::showMessage(window, QStringLiteral("设备处于待机中!"), My_Warning::failureStyle());
    wait(My_Warning::SlideMs + 50);
    shoot(QStringLiteral("toast-error"), area);
    // The toast slides away before the next picture.
    wait(My_Warning::SlideMs);

    auto *question = new Inquiry_Tips(window);
    question->setKey(QStringLiteral("close_window"));
    question->setMessage(QStringLiteral("您确定退出系统吗？"));
    question->show();
    shoot(QStringLiteral("inquiry"), area);
    question->close();

    auto *error = new Information_Tips(window);
    error->setMessage(QStringLiteral("串口 COM3 打开失败，请检查连接线或端口是否被占用。"));
    error->show();
    shoot(QStringLiteral("error"), area);
    error->close();

    // Xvfb has no compositor, so window opacity shows as solid black there:
    // blend the overlay over the window at its opacity as a desktop would.
    QApplication::processEvents();
    wait(SettleMs);
    QPixmap under = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    auto *waiting = new Waiting_Interface(window);
    waiting->showOver(window);
    QApplication::processEvents();
    wait(SettleMs);
    const QPixmap over = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    {
        QPainter p(&under);
        p.setOpacity(Waiting_Interface::OverlayOpacity);
        p.drawPixmap(0, 0, over);
    }
    under.save(g_outDir + QStringLiteral("/widgets-waiting.png"));
    waiting->hide();

    delete window;
    return 0;
}
