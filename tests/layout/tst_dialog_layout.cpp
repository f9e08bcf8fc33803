// Layout of the login-area dialogs in every interface language: no text is
// cut, the connection dialog covers the login dialog it opens over, toasts
// leave the dialogs' buttons free, and placeholders do not look typed.
#include "app/commonlyused.h"
#include "app/platform.h"
#include "app/theme_gui.h"
#include "login/connection_settings.h"
#include "login/login_interface.h"
#include "login/loginfiles.h"
#include "login/modify_user.h"
#include "netmodule/udpcommunication.h"
#include "resources/trivaneresources.h"
#include "tests/support/net_fakes.h"
#include "widgets/my_warning.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSequentialAnimationGroup>
#include <QStackedWidget>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

namespace {

QString rectText(const QRect &r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}


const QString WidestAddress = QStringLiteral("255.255.255.255");

QString describe(const QWidget *widget)
{
    return QStringLiteral("%1 '%2'").arg(QString::fromLatin1(widget->metaObject()->className()), widget->objectName());
}

QString plainLabelText(const QLabel *label)
{
    return label->text().remove(QLatin1Char('&'));
}

// Size the text of a label needs, as the label lays it out.
QSize labelTextSize(const QLabel *label)
{
    const bool rich = label->textFormat() == Qt::RichText
                      || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text()));
    if (rich) {
        QTextDocument document;
        document.setDefaultFont(label->font());
        document.setDocumentMargin(0);
        document.setHtml(label->text());
        return QSize(qCeil(document.idealWidth()), qCeil(document.size().height()));
    }
    const QFontMetrics metrics = label->fontMetrics();
    const QStringList lines = plainLabelText(label).split(QLatin1Char('\n'));
    int width = 0;
    for (const QString &line : lines)
        width = qMax(width, metrics.horizontalAdvance(line));
    return QSize(width, metrics.height() * lines.size());
}

// Every visible label, push button and combo box of window whose text does
// not fit the area its style draws the text in, that reaches outside the
// window or that lies over another of them.
QStringList cutTexts(QWidget *window)
{
    QStringList problems;
    QVector<QPair<QWidget *, QRect>> placed;
    const QList<QWidget *> widgets = window->findChildren<QWidget *>();
    for (QWidget *widget : widgets) {
        if (widget->window() != window || !widget->isVisibleTo(window))
            continue;
        if (!qobject_cast<QLabel *>(widget) && !qobject_cast<QPushButton *>(widget) && !qobject_cast<QComboBox *>(widget))
            continue;
        const QRect inWindow(widget->mapTo(window, QPoint(0, 0)), widget->size());
        if (!window->rect().contains(inWindow)) {
            problems << QStringLiteral("%1 reaches outside the window: %2").arg(describe(widget)).arg(
                rectText(inWindow));
        }
        for (const auto &other : qAsConst(placed)) {
            if (other.second.intersects(inWindow) && !other.first->isAncestorOf(widget) && !widget->isAncestorOf(other.first))
                problems << QStringLiteral("%1 lies over %2").arg(describe(widget), describe(other.first));
        }
        placed.append({widget, inWindow});

        QString text;
        int needed = 0;
        int neededHeight = 0;
        QRect area;
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            if (label->text().isEmpty() || label->wordWrap())
                continue;
            text = label->text();
            const QSize size = labelTextSize(label);
            needed = size.width();
            neededHeight = size.height();
            const int margin = label->margin();
            area = label->contentsRect().adjusted(margin, margin, -margin, -margin);
        } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
            if (button->text().isEmpty())
                continue;
            text = button->text().remove(QLatin1Char('&'));
            needed = button->fontMetrics().horizontalAdvance(text);
            if (!button->icon().isNull())
                needed += button->iconSize().width() + 4;
            neededHeight = button->fontMetrics().height();
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            area = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button)
                       .intersected(button->contentsRect());
        } else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            QStringList samples{WidestAddress};
            for (int i = 0; i < combo->count(); ++i)
                samples << combo->itemText(i);
            for (const QString &sample : qAsConst(samples)) {
                const int width = combo->fontMetrics().horizontalAdvance(sample);
                if (width > needed) {
                    needed = width;
                    text = sample;
                }
            }
            neededHeight = combo->fontMetrics().height();
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.editable = combo->isEditable();
            option.frame = combo->hasFrame();
            option.subControls = QStyle::SC_All;
            area = combo->style()
                       ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
                       .intersected(combo->contentsRect());
        }
        if (needed > area.width() || neededHeight > area.height()) {
            problems << QStringLiteral("%1: \"%2\" needs %3x%4, has %5x%6")
                            .arg(describe(widget), text)
                            .arg(needed)
                            .arg(neededHeight)
                            .arg(area.width())
                            .arg(area.height());
        }
    }
    return problems;
}

QVector<QRect> visibleButtons(QWidget *window)
{
    QVector<QRect> areas;
    const QList<QAbstractButton *> buttons = window->findChildren<QAbstractButton *>();
    for (QAbstractButton *button : buttons) {
        if (button->window() == window && button->isVisibleTo(window))
            areas << QRect(button->mapTo(window, QPoint(0, 0)), button->size());
    }
    return areas;
}

// Shows text in window's own toast; problems gets what is wrong with the
// place the toast rises to.
void checkToast(QWidget *window, const QString &text, QStringList *problems)
{
    My_Warning *toast = My_Warning::showMessage(window, text, My_Warning::failureStyle());
    auto *slide = toast->findChild<QSequentialAnimationGroup *>();
    if (!slide) {
        *problems << QStringLiteral("the toast has no slide animation");
        return;
    }
    slide->setCurrentTime(My_Warning::SlideMs);
    const QRect shown = toast->geometry();
    const QString where = QStringLiteral("toast \"%1\" at %2").arg(text, rectText(shown));
    if (!window->rect().contains(shown))
        *problems << where + QStringLiteral(" reaches outside the window");
    for (const QRect &button : visibleButtons(window)) {
        if (shown.intersects(button))
            *problems << where + QStringLiteral(" covers a button at ") + rectText(button);
    }
    QLabel *label = toast->label();
    const QRect needed =
        label->fontMetrics().boundingRect(label->contentsRect(), Qt::AlignCenter | (label->wordWrap() ? Qt::TextWordWrap : 0), text);
    if (!label->contentsRect().contains(needed))
        *problems << where + QStringLiteral(" cuts its text");
    slide->stop();
    toast->hide();
}

double luminance(const QColor &colour)
{
    const auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : qPow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

} // namespace

class tst_DialogLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void connectionDialogFitsOverLogin_data();
    void connectionDialogFitsOverLogin();
    void modifyUserFits_data();
    void modifyUserFits();
    void toastsLeaveButtonsFree_data();
    void toastsLeaveButtonsFree();
    void placeholderIsMuted();

private:
    void addLanguages();
    Login_Interface *showLogin(const QString &language);

    QScopedPointer<QTemporaryDir> m_dir;
    QScopedPointer<NetFakeDiscovery> m_discovery;
    QPointer<Login_Interface> m_login;
    QFont m_applicationFont;
};

void tst_DialogLayout::initTestCase()
{
    // The module search stays on loopback.
    qputenv("TRIVANE_LAB", "1");
    Trivane::initResources();
    // What the program sets at start for the text fields.
    Theme::applyPalette();
    m_applicationFont = QApplication::font();
}

void tst_DialogLayout::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    CommonlyUsed::setApplicationDirOverride(m_dir->path());
    Platform::setLanguageStoreOverride(m_dir->filePath(QStringLiteral("language.ini")));
    // A device type with both the TCP/IP and the serial page; the login
    // dialog reads it from its file.
    LoginFiles::setDeviceTypeIndex(2);

    m_discovery.reset(new NetFakeDiscovery);
    // The longest address a module can report.
    m_discovery->setReplies({netModuleReply(QByteArray::fromHex("0011223344aa"), QByteArray::fromHex("c0a864c8"), "M", 1)});
    m_discovery->start();
    QTRY_VERIFY(m_discovery->port() != 0);
    UdpCommunication::getInstance()->setLocalPort(0);
    UdpCommunication::getInstance()->setDestinationPort(m_discovery->port());
    Connection_Settings::setPortLister([] {
        return QList<LoginRules::PortDescription>{{QStringLiteral("ttyUSB0"), QStringLiteral("USB Serial")}};
    });
}

void tst_DialogLayout::cleanup()
{
    delete m_login;
    m_discovery.reset();
    UdpCommunication::getInstance()->udpClose();
    Connection_Settings::setPortLister({});
    // English sets its own application font.
    QApplication::setFont(m_applicationFont);
}

void tst_DialogLayout::addLanguages()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("Simplified Chinese") << QStringLiteral("zh_CN");
    QTest::newRow("English") << QStringLiteral("en_US");
    QTest::newRow("Traditional Chinese") << QStringLiteral("zh_TW");
}

Login_Interface *tst_DialogLayout::showLogin(const QString &language)
{
    Platform::setLanguageValue(language);
    m_login = Login_Interface::getInstance();
    m_login->show();
    if (!QTest::qWaitForWindowExposed(m_login))
        return nullptr;
    return m_login;
}

void tst_DialogLayout::connectionDialogFitsOverLogin_data()
{
    addLanguages();
}

void tst_DialogLayout::connectionDialogFitsOverLogin()
{
    QFETCH(QString, language);
    Login_Interface *login = showLogin(language);
    QVERIFY(login);
    auto *open = login->findChild<QPushButton *>(QStringLiteral("pushButton_Connections_SettingUp"));
    QVERIFY(open);

    // The dialog runs modally: look at it from inside its event loop.
    QStringList problems;
    QSize dialogSize;
    QStringList found;
    QElapsedTimer waited;
    waited.start();
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        auto *dialog = qobject_cast<Connection_Settings *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        auto *devices = dialog->findChild<QComboBox *>(QStringLiteral("comboBox_desIP"));
        auto *ports = dialog->findChild<QComboBox *>(QStringLiteral("comboBox_SerialPort"));
        if ((devices->count() == 0 || ports->count() == 0) && waited.elapsed() < 5000)
            return;
        poll.stop();
        for (int i = 0; i < devices->count(); ++i)
            found << devices->itemText(i);
        dialogSize = dialog->size();
        auto *pages = dialog->findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            problems << cutTexts(dialog);
        }
        dialog->reject();
    });
    poll.start(20);
    open->click();

    QCOMPARE(found, QStringList{QStringLiteral("192.168.100.200")});
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    QVERIFY2(dialogSize.width() >= login->width() && dialogSize.height() >= login->height(),
             qPrintable(QStringLiteral("connection %1x%2, login %3x%4")
                            .arg(dialogSize.width())
                            .arg(dialogSize.height())
                            .arg(login->width())
                            .arg(login->height())));
    // The login dialog itself keeps its texts whole.
    const QStringList loginProblems = cutTexts(login);
    QVERIFY2(loginProblems.isEmpty(), qPrintable(loginProblems.join(QLatin1Char('\n'))));
}

void tst_DialogLayout::modifyUserFits_data()
{
    addLanguages();
}

void tst_DialogLayout::modifyUserFits()
{
    QFETCH(QString, language);
    QVERIFY(showLogin(language));
    for (const QString &group : {QStringLiteral("管理员"), QStringLiteral("普通用户")}) {
        Modify_User dialog;
        dialog.Get_Data(group, group == QStringLiteral("管理员") ? QStringLiteral("admin") : QStringLiteral("user"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QStringList problems = cutTexts(&dialog);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }
}

void tst_DialogLayout::toastsLeaveButtonsFree_data()
{
    addLanguages();
}

void tst_DialogLayout::toastsLeaveButtonsFree()
{
    QFETCH(QString, language);
    Login_Interface *login = showLogin(language);
    QVERIFY(login);
    QStringList problems;
    // The shortest and the longest message of each dialog.
    for (const char *text : {"账号不能为空！", "串口打开失败(被占用)", "请设置连接方式！"})
        checkToast(login, QCoreApplication::translate("Login_Interface", text), &problems);

    Modify_User dialog;
    dialog.Get_Data(QStringLiteral("管理员"), QStringLiteral("admin"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (const char *text : {"原密码错误！", "确认密码和新密码不一样！", "确认密码输入不能为空！"})
        checkToast(&dialog, QCoreApplication::translate("Modify_User", text), &problems);
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

void tst_DialogLayout::placeholderIsMuted()
{
    // First start: the fields hold the default-account hints, which must not
    // look typed (a style-sheet colour would paint them as typed text).
    Login_Interface *login = showLogin(QStringLiteral("en_US"));
    QVERIFY(login);
    auto *name = login->findChild<QLineEdit *>(QStringLiteral("lineEdit_UserName"));
    QVERIFY(name->text().isEmpty());
    QVERIFY(!name->placeholderText().isEmpty());

    const QPalette palette = name->palette();
    const QColor base = palette.color(QPalette::Base);
    const QColor placeholder = palette.color(QPalette::PlaceholderText);
    const QColor text = palette.color(QPalette::Text);
    QVERIFY2(contrast(placeholder, base) >= 4.5, qPrintable(placeholder.name() + QStringLiteral(" on ") + base.name()));
    QVERIFY2(contrast(text, base) > contrast(placeholder, base) + 1.0,
             qPrintable(text.name() + QStringLiteral(" and ") + placeholder.name()));
}

QTEST_MAIN(tst_DialogLayout)
#include "tst_dialog_layout.moc"
