#include "mainwindow/wall/splicingpage.h"

#include "app/commonlyused.h"
#include "link/dispatch/replydispatcher.h"
#include "link/protocol/protocol.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/naming/buttontext.h"
#include "mainwindow/naming/namestore.h"
#include "mainwindow/naming/portbuttonnames.h"
#include "mainwindow/switching/switchingmodel.h"
#include "mainwindow/wall/screenwidget.h"
#include "ui_splicingpage.h"
#include "widgets/my_toolbutton.h"

#include <QDebug>
#include <QEvent>
#include <QGridLayout>
#include <QLineEdit>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

namespace {

constexpr int SplicingPageIndex = 3;
const QString InputButtonPrefix = QStringLiteral("InputSourceList_");
const QString ScreenPrefix = QStringLiteral("ScreenWidget_");

// Models whose few inputs fit the column without scrolling.
bool inputListFits(const QString &model)
{
    return model == QLatin1String("4x4") || model == QLatin1String("8x8") || model == QLatin1String("8x9");
}

// The input chosen in the list, or 0.
int chosenInput()
{
    bool ok = false;
    const int input = CommonlyUsed::InputSource.toInt(&ok);
    return ok && input >= 1 && input <= Wall::MaxPorts ? input : 0;
}

// The group number that directly follows `keyword`, if digits follow it.
std::optional<int> groupAfter(const QString &text, QLatin1String keyword)
{
    const int at = text.indexOf(keyword);
    if (at < 0)
        return std::nullopt;
    int end = at + keyword.size();
    const int begin = end;
    while (end < text.size() && end - begin < 3 && text.at(end).isDigit())
        ++end;
    bool ok = false;
    const int group = text.mid(begin, end - begin).toInt(&ok);
    return ok ? std::optional<int>(group) : std::nullopt;
}

QString successStyle()
{
    return QString::fromLatin1(Protocol::SuccessStyle);
}

QString failureStyle()
{
    return QString::fromLatin1(Protocol::FailureStyle);
}

} // namespace

SplicingPage::SplicingPage(MainWindow *window, NameStore *names, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::SplicingPage)
    , m_window(window)
    , m_names(names)
{
    ui->setupUi(this);
    m_grid = new QGridLayout(ui->widget_WallScreens);
    m_grid->setObjectName(QStringLiteral("gridLayout_WallScreens"));
    m_grid->setContentsMargins(0, 0, 0, 0);
    m_grid->setSpacing(ScreenSpacing);
    ui->widget_WallArea->installEventFilter(this);

    buildInputList();
    connectWindow();
    registerBranches();
    // Until the device has said what it is, the wall may have the default
    // number of screens.
    if (m_window->modelApplied)
        applyModel(CommonlyUsed::deviceType);
    else
        showInputList(CommonlyUsed::deviceType);
    ui->rowSpinBox->setRange(1, m_maxScreens);
    ui->colSpinBox->setRange(1, m_maxScreens);
    ui->rowSpinBox->setValue(Wall::DefaultRows);
    ui->colSpinBox->setValue(Wall::DefaultColumns);
    replaceScreens(Wall::DefaultRows, Wall::DefaultColumns);
}

SplicingPage::~SplicingPage()
{
    delete ui;
}

// ---- construction -----------------------------------------------------------

void SplicingPage::buildInputList()
{
    QWidget *host = ui->scrollAreaWidgetContents_InputSourceList;
    auto *column = qobject_cast<QVBoxLayout *>(host->layout());
    for (int number = 1; number <= Wall::MaxPorts; ++number) {
        auto *button = my_ToolButton::createPortButton(host, InputButtonPrefix + QString::number(number));
        connect(button, &QToolButton::clicked, this, &SplicingPage::onInputSourceButClicked);
        PortButtonNames::storeInputRenames(button, m_names, number);
        connect(button, &my_ToolButton::sendLineEdit, m_window, &MainWindow::Get_InputButton);
        column->addWidget(button);
        m_inputs.append(button);
        showInputName(number);
    }
    column->addStretch(1);
    // The list starts with the shared choice (input 1 unless chosen otherwise).
    int input = chosenInput();
    if (input == 0) {
        input = 1;
        CommonlyUsed::InputSource = QStringLiteral("1");
    }
    m_inputs.at(input - 1)->setChecked(true);
}

void SplicingPage::connectWindow()
{
    connect(m_window, &MainWindow::Send_PageShown, this, [this](int page) {
        if (page == SplicingPageIndex)
            refresh();
    });
    connect(m_window, &MainWindow::Send_ModelApplied, this, &SplicingPage::applyModel);
    connect(m_window, &MainWindow::Send_PortStatus, this, &SplicingPage::showPortStatus);
    connect(m_window, &MainWindow::Send_LinkLost, this, &SplicingPage::showLinkLost);
    connect(m_names, &NameStore::nameChanged, this, &SplicingPage::onNameChanged);
}

bool SplicingPage::isOwnGroup(const QString &text, QLatin1String keyword, const char *what) const
{
    const std::optional<int> group = groupAfter(text, keyword);
    if (group == Wall::Group)
        return true;
    // The page shows splicer group 1 only.
    qInfo() << what << "answer for another splicer group ignored:" << (group ? *group : -1);
    return false;
}

void SplicingPage::registerBranches()
{
    using Flow = ReplyDispatcher::Flow;
    using Call = ReplyDispatcher::BranchCall;
    ReplyDispatcher *dispatcher = m_window->dispatcher();
    QPointer<SplicingPage> self(this);

    dispatcher->setBranchHandler(Protocol::Answer::SplicerMode, [self](Call &call) {
        if (!self)
            return Flow::Continue;
        const std::optional<Wall::ModeAnswer> answer = Wall::parseMode(call.work);
        if (!answer) {
            qWarning() << "wall size answer not understood:" << call.work.left(64);
            return Flow::Continue;
        }
        if (answer->group != Wall::Group) {
            qInfo() << "wall size answer for another splicer group ignored:" << answer->group;
            return Flow::Continue;
        }
        if (Wall::checkSize(answer->rows, answer->columns, self->m_maxScreens) != Wall::SizeCheck::Ok) {
            self->showSizeRefused();
            return Flow::Continue;
        }
        self->m_splicingMode = true;
        self->ui->rowSpinBox->setValue(answer->rows);
        self->ui->colSpinBox->setValue(answer->columns);
        self->replaceScreens(answer->rows, answer->columns);
        return Flow::Continue;
    });

    dispatcher->setBranchHandler(Protocol::Answer::SplicerOk, [self](Call &) {
        if (self)
            self->m_window->showToast(tr("拼接成功!"), successStyle());
        return Flow::Continue;
    });

    dispatcher->setBranchHandler(Protocol::Answer::SplicerClear, [self](Call &call) {
        if (!self || !self->isOwnGroup(call.work, QLatin1String("splicercleargroup"), "wall clear"))
            return Flow::Continue;
        self->m_layout.clear();
        self->showLayout();
        self->m_window->showToast(tr("清除映射成功!"), successStyle());
        return Flow::Continue;
    });

    dispatcher->setBranchHandler(Protocol::Answer::SplicerBorder, [self](Call &call) {
        if (!self || !self->isOwnGroup(call.work, QLatin1String("splicerbordersetgroup"), "wall border"))
            return Flow::Continue;
        const std::optional<Wall::BorderAnswer> border = Wall::parseBorder(call.work);
        if (!border) {
            qWarning() << "wall border answer not understood:" << call.work.left(64);
            return Flow::Continue;
        }
        qInfo() << "Hparam = " << border->first;
        qInfo() << "Vparam = " << border->second;
        if (border->first < Wall::BorderLimit && border->second < Wall::BorderLimit) {
            // The boxes the set command reads, in the order it sends them.
            self->ui->VSpacingSpinBox->setValue(border->first);
            self->ui->HSpacingSpinBox->setValue(border->second);
        }
        return Flow::Continue;
    });

    dispatcher->setBranchHandler(Protocol::Answer::SplicerPosition, [self](Call &call) {
        if (!self)
            return Flow::Continue;
        for (const Wall::PositionRecord &record : Wall::parsePositions(call.work)) {
            if (record.group != Wall::Group || record.port < 1 || record.port > Wall::MaxPorts)
                continue;
            const int index = self->m_layout.indexAt(record.row, record.column);
            if (index >= 0)
                self->m_layout.bind(index, record.port);
        }
        self->showLayout();
        return Flow::Continue;
    });

    dispatcher->setBranchHandler(Protocol::Answer::SplicerSource, [self](Call &call) {
        if (!self || !self->isOwnGroup(call.work, QLatin1String("splicergroup"), "wall source"))
            return Flow::Continue;
        const std::optional<int> input = Wall::parseSource(call.work);
        if (!input || self->m_names->name(NameStore::Input, *input).isEmpty())
            return Flow::Continue;
        // The wall shows the one input; a screen bound to no output is not
        // part of it and shows nothing.
        for (int i = 0; i < self->m_layout.count(); ++i) {
            if (self->m_layout.screen(i).port > 0)
                self->m_layout.setInput(i, *input);
        }
        self->showLayout();
        return Flow::Continue;
    });
}

// ---- operator actions --------------------------------------------------------

void SplicingPage::refresh()
{
    if (m_window->pollingRunning || m_refreshing)
        return;
    m_refreshing = true;
    QTimer::singleShot(Wall::EnterPageDelayMs, this, [this] {
        m_window->whenLinkFree(this, [this] {
            if (m_window->pollingRunning) {
                m_refreshing = false;
                return;
            }
            QPointer<SplicingPage> self(this);
            MainWindow *window = m_window;
            window->heartbeatTimer->stop();
            window->showWaitingOverlay(true);
            for (const char *query : { Protocol::Command::GetSplicerMode, Protocol::Command::GetSplicerBorder,
                     Protocol::Command::GetSplicerPosition }) {
                QString answer;
                if (window->sendDataDevice(QString::fromLatin1(query), answer))
                    window->Data_Processing(answer);
            }
            QString routing;
            if (window->sendDataDevice(QString::fromLatin1(Protocol::Command::GetSwitch), routing))
                window->refreshSwitchStatus(routing);
            window->heartbeatTimer->start(MainWindow::HeartbeatPeriodMs);
            window->showWaitingOverlay(false);
            if (self)
                m_refreshing = false;
        });
    });
}

void SplicingPage::on_pushButtonOk_clicked()
{
    const int rows = ui->rowSpinBox->value();
    const int columns = ui->colSpinBox->value();
    if (Wall::checkSize(rows, columns, m_maxScreens) != Wall::SizeCheck::Ok) {
        showSizeRefused();
        return;
    }
    m_window->sendData(Wall::sizeCommand(rows, columns));
}

void SplicingPage::on_pushButtonSet_clicked()
{
    QPointer<SplicingPage> self(this);
    MainWindow *window = m_window;
    QString answer;
    const bool answered = window->sendDataDevice(
        Wall::borderCommand(ui->VSpacingSpinBox->value(), ui->HSpacingSpinBox->value()), answer);
    if (answered)
        window->Data_Processing(answer);
    if (!self)
        return;
    // Only the device's border answer confirms the values; a refusal, no
    // answer or a busy link is no success.
    if (answered && Wall::parseBorder(answer))
        window->showToast(tr("间隔设置成功!"), successStyle());
    else
        window->showToast(tr("间隔设置失败!"), failureStyle());
}

void SplicingPage::on_ScreenSplicingBut_clicked()
{
    m_splicingMode = true;
    const QString positions = Wall::positionsCommand(m_layout);
    if (positions.isEmpty()) {
        m_window->showToast(tr("请先绑定输出端口!"), failureStyle());
        return;
    }
    m_window->heartbeatTimer->stop();
    m_window->sendData(positions);
    if (CommonlyUsed::deviceType == QLatin1String("4x4")) {
        // This model takes the wall over only when told to, once the
        // positions are in.
        QTimer::singleShot(Wall::EnableDelayMs, this, [this] {
            m_window->whenLinkFree(
                this, [this] { m_window->sendData(QString::fromLatin1(Protocol::Command::SplicerEnable)); });
        });
    }
    m_window->heartbeatTimer->start(MainWindow::HeartbeatPeriodMs);
}

void SplicingPage::on_CancelSplicingBut_clicked()
{
    m_window->sendData(QString::fromLatin1(Protocol::Command::SplicerClear));
}

void SplicingPage::onInputSourceButClicked()
{
    const QObject *button = sender();
    if (!button)
        return;
    // "InputSourceList_<n>": the number after the first "_".
    const QString name = button->objectName();
    const int underscore = name.indexOf(QLatin1Char('_'));
    if (underscore < 0)
        return;
    bool ok = false;
    const int input = name.mid(underscore + 1).toInt(&ok);
    if (!ok || input < 1 || input > Wall::MaxPorts)
        return;
    CommonlyUsed::InputSource = QString::number(input);
}

void SplicingPage::onSwitchInputSource(int outNumber)
{
    Q_UNUSED(outNumber) // the chosen input goes to the whole wall
    if (!m_splicingMode)
        return;
    const int input = chosenInput();
    if (input < 1 || input > Switching::inputCount(CommonlyUsed::deviceType))
        return;
    const QString command = Wall::switchCommand(m_layout, input, CommonlyUsed::deviceType);
    if (!command.isEmpty())
        m_window->sendData(command);
}

void SplicingPage::onRemoveDuplicateMap(ScreenWidget *pSc, int outNumber)
{
    const int index = m_screens.indexOf(pSc);
    if (index < 0 || outNumber < 1 || outNumber > m_maxScreens)
        return;
    m_layout.bind(index, outNumber);
    showLayout();
}

// ---- the wall ----------------------------------------------------------------

void SplicingPage::replaceScreens(int rows, int columns)
{
    // A screen's menu or click may still be running in a nested event loop
    // (and its deferred delete may come within that loop): the screens go
    // out of sight and out of reach at once, and are deleted later.
    for (ScreenWidget *screen : qAsConst(m_screens)) {
        disconnect(screen, nullptr, this, nullptr);
        screen->setPortNames({});
        screen->setInputChosen({});
        m_grid->removeWidget(screen);
        screen->hide();
        screen->deleteLater();
    }
    m_screens.clear();

    m_layout = Wall::Layout(rows, columns);
    for (int i = 0; i < Wall::MaxPorts; ++i) {
        m_grid->setRowStretch(i, i < m_layout.rows() ? 1 : 0);
        m_grid->setColumnStretch(i, i < m_layout.columns() ? 1 : 0);
    }
    for (int i = 0; i < m_layout.count(); ++i) {
        const Wall::Screen place = m_layout.screen(i);
        auto *screen = new ScreenWidget(ui->widget_WallScreens);
        screen->setObjectName(ScreenPrefix + QString::number(i + 1));
        screen->setScreenIndex(QString::number(i + 1));
        screen->setPosition(place.position());
        screen->setPortNames([this] { return outputNames(); });
        screen->setInputChosen([] { return chosenInput() != 0; });
        connect(screen, &ScreenWidget::removeDuplicateMap, this, &SplicingPage::onRemoveDuplicateMap);
        connect(screen, &ScreenWidget::switchInputSource, this, &SplicingPage::onSwitchInputSource);
        m_grid->addWidget(screen, place.row - 1, place.column - 1);
        m_screens.append(screen);
        // No show() here: the grid shows its new widgets itself, in one
        // layout pass instead of one per screen.
    }
    showLayout();
    fitWall();
}

void SplicingPage::showLayout()
{
    for (int i = 0; i < m_screens.size(); ++i) {
        const Wall::Screen place = m_layout.screen(i);
        ScreenWidget *screen = m_screens.at(i);
        screen->setOutPortParam(place.port);
        screen->setOutputName(place.port > 0 ? m_names->name(NameStore::Output, place.port) : QString());
        screen->setInputName(place.input > 0 ? m_names->name(NameStore::Input, place.input) : QString());
        screen->setOutputConnected(place.port > 0 && place.port <= m_connectedOutputs.size()
            && m_connectedOutputs.at(place.port - 1));
    }
}

void SplicingPage::fitWall()
{
    QWidget *area = ui->widget_WallArea;
    QWidget *host = ui->widget_WallScreens;
    const int rows = qMax(1, m_layout.rows());
    const int columns = qMax(1, m_layout.columns());
    const int freeWidth = area->width() - (columns - 1) * ScreenSpacing;
    const int freeHeight = area->height() - (rows - 1) * ScreenSpacing;
    if (freeWidth < columns || freeHeight < rows) {
        host->setGeometry(area->rect());
        return;
    }
    // The largest screens of a display's shape that the area holds.
    int screenWidth = freeWidth / columns;
    int screenHeight = screenWidth * ScreenAspectHeight / ScreenAspectWidth;
    if (screenHeight * rows > freeHeight) {
        screenHeight = freeHeight / rows;
        screenWidth = screenHeight * ScreenAspectWidth / ScreenAspectHeight;
    }
    const int width = screenWidth * columns + (columns - 1) * ScreenSpacing;
    const int height = screenHeight * rows + (rows - 1) * ScreenSpacing;
    host->setGeometry((area->width() - width) / 2, (area->height() - height) / 2, width, height);
}

void SplicingPage::showSizeRefused()
{
    m_window->showToast(
        QStringLiteral("%1%2!").arg(tr("拼接行列总数不能超过")).arg(m_maxScreens), failureStyle());
}

QStringList SplicingPage::outputNames() const
{
    QStringList names;
    for (int port = 1; port <= m_maxScreens; ++port)
        names << m_names->name(NameStore::Output, port);
    return names;
}

// ---- model and link state ----------------------------------------------------

void SplicingPage::applyModel(const QString &model)
{
    m_maxScreens = Wall::maxScreensFor(model);
    ui->rowSpinBox->setRange(1, m_maxScreens);
    ui->colSpinBox->setRange(1, m_maxScreens);
    showInputList(model);
    // Outputs this device does not have are bound to no screen.
    bool changed = false;
    for (int i = 0; i < m_layout.count(); ++i) {
        if (m_layout.screen(i).port > m_maxScreens) {
            m_layout.bind(i, 0);
            changed = true;
        }
    }
    if (changed)
        showLayout();
}

void SplicingPage::showInputList(const QString &model)
{
    const int inputs = Switching::inputCount(model);
    for (int i = 0; i < m_inputs.size(); ++i)
        m_inputs.at(i)->setVisible(i < inputs);
    QScrollArea *area = ui->scrollArea_InputSourceList;
    area->setVerticalScrollBarPolicy(inputListFits(model) ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    area->verticalScrollBar()->setValue(0);
    if (chosenInput() > inputs) {
        // The chosen input does not exist on this device: back to the first.
        CommonlyUsed::InputSource = QStringLiteral("1");
        m_inputs.first()->setChecked(true);
    } else if (const int input = chosenInput()) {
        m_inputs.at(input - 1)->setChecked(true);
    }
}

void SplicingPage::showRoute(int output, int input)
{
    if (input < 1 || input > Wall::MaxPorts)
        return;
    if (m_names->name(NameStore::Input, input).isEmpty())
        return;
    // Only the screens that show this output changed.
    const QVector<int> bound = m_layout.screensBoundTo(output);
    for (int index : bound)
        m_layout.setInput(index, input);
    if (!bound.isEmpty())
        showLayout();
}

void SplicingPage::showPortStatus(const QVector<bool> &inputs, const QVector<bool> &outputs)
{
    for (int i = 0; i < inputs.size() && i < m_inputs.size(); ++i)
        m_inputs.at(i)->setSignalConnected(inputs.at(i));
    m_connectedOutputs = outputs;
    showLayout();
}

void SplicingPage::showLinkLost()
{
    for (my_ToolButton *button : qAsConst(m_inputs))
        button->setSignalConnected(false);
    m_connectedOutputs.clear();
    showLayout();
}

// ---- names -------------------------------------------------------------------

void SplicingPage::showInputName(int input)
{
    if (input < 1 || input > m_inputs.size())
        return;
    PortButtonNames::show(m_inputs.at(input - 1), *m_names, NameStore::Input, input);
}


void SplicingPage::onNameChanged(int kind, int number)
{
    if (kind == NameStore::Input)
        showInputName(number);
    if (kind == NameStore::Input || kind == NameStore::Output)
        showLayout();
}

// ---- events ------------------------------------------------------------------

bool SplicingPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->widget_WallArea && event->type() == QEvent::Resize)
        fitWall();
    return QWidget::eventFilter(watched, event);
}

void SplicingPage::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        // The screens paint their captions through the translator.
        for (ScreenWidget *screen : qAsConst(m_screens))
            screen->update();
    }
}
