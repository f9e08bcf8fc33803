// Shows each part of the widget kit over a sample window in the built-in
// theme and saves a screenshot of each: widgets-gallery <output dir>.
// Needs a real display (xvfb-run -a -s "-screen 0 1920x1080x24").

#include "app/commonlyused.h"
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

// Output tile as the switching page draws it: grey idle, blue connected, green hovered.
class SampleTile final : public QWidget
{
public:
    SampleTile(const QString &name, const QColor &fill, QWidget *parent) : QWidget(parent), m_name(name), m_fill(fill)
    {
        setMinimumSize(150, 96);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::white, 2));
        p.setBrush(m_fill);
        p.drawRoundedRect(rect().adjusted(1, 1, -1, -1), 8, 8);
        QFont font = p.font();
        font.setPixelSize(17);
        font.setBold(true);
        p.setFont(font);
        p.drawText(rect().adjusted(12, 10, -8, -8), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_name);
        font.setPixelSize(13);
        font.setBold(false);
        p.setFont(font);
        p.drawText(rect().adjusted(12, 10, -8, -10), Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("1920x1080@60Hz"));
    }

private:
    QString m_name;
    QColor m_fill;
};

QWidget *makeMainWindow()
{
    auto *window = new QWidget;
    window->setObjectName(QStringLiteral("MainWindow"));
    window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    window->setWindowTitle(QStringLiteral("Trivane"));
    window->setWindowIcon(QIcon(QStringLiteral("://image/trayIcon.png")));
    window->setAttribute(Qt::WA_StyledBackground);
    window->setStyleSheet(QString());
    CommonlyUsed::Load_stylesheet(window, QStringLiteral(":/QSS/QSS/Login.qss"));
    window->setStyleSheet(window->styleSheet() + QStringLiteral("#MainWindow{background-color:#EEF2F7;}"));

    auto *outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, TitleBar::BarHeight, 0, 0);
    outer->setSpacing(0);
    auto *title = new TitleBar(window);
    title->setTitleContent(QStringLiteral("Trivane 矩阵控制"));
    title->setResizable(true);
    title->setDoubleClickMaximize(true);

    auto *body = new QHBoxLayout;
    body->setSpacing(0);
    outer->addLayout(body, 1);

    auto *toolbar = new QWidget(window);
    toolbar->setObjectName(QStringLiteral("widget_toolbar"));
    toolbar->setFixedWidth(190);
    auto *nav = new QVBoxLayout(toolbar);
    nav->setContentsMargins(10, 16, 10, 16);
    nav->setSpacing(6);
    const QList<QPair<QString, QString>> pages = {
        {QStringLiteral("Signal_switching"), QStringLiteral("信号切换")},
        {QStringLiteral("Function_settings"), QStringLiteral("输出设置")},
        {QStringLiteral("CEC"), QStringLiteral("CEC控制")},
        {QStringLiteral("Splicing_settings"), QStringLiteral("拼接控制")},
        {QStringLiteral("SplitScreen"), QStringLiteral("分屏模式")},
        {QStringLiteral("EDID_settings"), QStringLiteral("EDID设置")},
        {QStringLiteral("System_settings"), QStringLiteral("系统设置")},
        {QStringLiteral("system_information"), QStringLiteral("系统信息")},
    };
    for (int i = 0; i < pages.size(); ++i) {
        auto *button = new QPushButton(QIcon(QStringLiteral("://image/%1.png").arg(pages[i].first)), pages[i].second,
                                       toolbar);
        button->setIconSize(QSize(24, 24));
        button->setCheckable(true);
        button->setChecked(i == 0);
        button->setMinimumHeight(44);
        nav->addWidget(button);
    }
    nav->addStretch();
    body->addWidget(toolbar);

    auto *page = new QWidget(window);
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(20, 16, 20, 12);
    pageLayout->setSpacing(14);
    body->addWidget(page, 1);

    auto *inputs = new QGroupBox(QStringLiteral("输入源"), page);
    auto *inputRow = new QHBoxLayout(inputs);
    for (int i = 1; i <= 8; ++i) {
        auto *button = new my_ToolButton(inputs);
        button->setProperty("Type", QStringLiteral("InputOutputButton"));
        button->setText(i == 3 ? QStringLiteral("蓝光播放机\n一号") : QStringLiteral("HDMI-%1").arg(i));
        button->setIcon(QIcon(i % 3 == 0 ? QStringLiteral("://image/HDMI-Unselect.png")
                                         : QStringLiteral("://image/HDMI-Select.png")));
        button->setIconSize(QSize(32, 32));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setCheckable(true);
        button->setChecked(i == 2);
        button->setMinimumSize(112, 78);
        inputRow->addWidget(button);
    }
    inputRow->addStretch();
    pageLayout->addWidget(inputs);

    auto *outputs = new QGroupBox(QStringLiteral("输出"), page);
    auto *grid = new QGridLayout(outputs);
    grid->setSpacing(10);
    for (int i = 0; i < 8; ++i) {
        const QColor fill = i == 1 ? QColor(0, 170, 0) : (i % 3 == 2 ? QColor(160, 160, 160) : QColor(43, 146, 251));
        grid->addWidget(new SampleTile(QStringLiteral("HDMI-%1\n输入 %2").arg(i + 1).arg(i % 4 + 1), fill, outputs),
                        i / 4, i % 4);
    }
    pageLayout->addWidget(outputs, 1);

    auto *scenes = new QGroupBox(QStringLiteral("场景"), page);
    auto *sceneRow = new QHBoxLayout(scenes);
    for (int i = 1; i <= 6; ++i) {
        auto *scene = new MyButton(scenes);
        scene->setText(QStringLiteral("场景 %1").arg(i));
        scene->setMinimumSize(96, 40);
        scene->setStyleSheet(i <= 2 ? QStringLiteral("QPushButton{background-color:rgb(0,81,116);}QPushButton:hover{"
                                                     "background-color:rgb(0,170,0);}")
                                    : QStringLiteral("QPushButton{background-color:rgb(43,146,251);}QPushButton:hover{"
                                                     "background-color:rgb(0,170,0);}"));
        sceneRow->addWidget(scene);
    }
    sceneRow->addStretch();
    auto *brightness = new CustomizeVolumeSlider(scenes);
    brightness->setValue(60);
    sceneRow->addWidget(new QLabel(QStringLiteral("亮度"), scenes));
    sceneRow->addWidget(brightness);
    auto *resolution = new QComboBox(scenes);
    resolution->addItems({QStringLiteral("1920x1080@60Hz"), QStringLiteral("3840x2160@30Hz")});
    sceneRow->addWidget(resolution);
    auto *save = new QPushButton(QStringLiteral("保存场景"), scenes);
    save->setObjectName(QStringLiteral("pushButton_Scene_saving"));
    sceneRow->addWidget(save);
    pageLayout->addWidget(scenes);

    auto *status = new QLabel(QStringLiteral(" 连接状态: 已连接（网口）"), page);
    status->setObjectName(QStringLiteral("label_statusBarData"));
    status->setStyleSheet(QStringLiteral("font-size:18px; color: rgb(85, 170, 0);"));
    pageLayout->addWidget(status);

    window->setGeometry(0, 0, WindowWidth, WindowHeight);
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
    window->show();
    const QRect area = window->geometry();
    shoot(QStringLiteral("titlebar"), area);

    My_Warning::showMessage(window, QStringLiteral("场景保存成功！"), My_Warning::successStyle());
    wait(My_Warning::SlideMs + 50);
    shoot(QStringLiteral("toast"), area);
    My_Warning::showMessage(window, QStringLiteral("设备处于待机中!"), My_Warning::failureStyle());
    wait(My_Warning::SlideMs + 50);
    shoot(QStringLiteral("toast-error"), area);

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
