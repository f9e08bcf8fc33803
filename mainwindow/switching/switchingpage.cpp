#include "mainwindow/switching/switchingpage.h"

#include "app/commonlyused.h"
#include "link/dispatch/replydispatcher.h"
#include "link/protocol/protocol.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/naming/buttontext.h"
#include "mainwindow/naming/namestore.h"
#include "mainwindow/naming/portbuttonnames.h"
#include "mainwindow/switching/switchingmodel.h"
#include "ui_switchingpage.h"
#include "widgets/my_toolbutton.h"
#include "widgets/signalswitchbut.h"

#include <QDebug>
#include <QEvent>
#include <QGridLayout>
#include <QIcon>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int SwitchingPageIndex = 0;
constexpr int AllInputs = 0;

const QString InputButtonPrefix = QStringLiteral("toolButton_HDMI_0");
const QString TilePrefix = QStringLiteral("pushButton_HDMI_");
const char InputNumberProperty[] = "inputNumber";


QString resolutionQuery(int input)
{
    return Protocol::build(Protocol::Command::GetInputResolution, { input });
}

} // namespace

SwitchingPage::SwitchingPage(MainWindow *window, NameStore *names, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::SwitchingPage)
    , m_window(window)
    , m_names(names)
{
    ui->setupUi(this);
    buildInputButtons();
    buildTiles();
    showAllNames();
    connectWindow();
    registerBranches();
    Route_selection_currentTextChanged(CommonlyUsed::deviceType);
}

SwitchingPage::~SwitchingPage()
{
    delete ui;
}

QWidget *SwitchingPage::scenePanelHost() const
{
    return ui->widget_ScenePanel;
}

// ---- construction -----------------------------------------------------------

void SwitchingPage::buildInputButtons()
{
    auto *column = qobject_cast<QVBoxLayout *>(ui->scrollAreaWidgetContents->layout());
    for (int number = 1; number <= Switching::MaxPorts; ++number) {
        auto *button
            = my_ToolButton::createPortButton(ui->scrollAreaWidgetContents, InputButtonPrefix + QString::number(number));
        button->setProperty(InputNumberProperty, number);
        connect(button, &QToolButton::clicked, this, &SwitchingPage::ToolButton_HDMI_clicked);
        connect(button, &my_ToolButton::send_Input_signal, this, &SwitchingPage::onInputRenamed);
        connect(button, &my_ToolButton::sendLineEdit, m_window, &MainWindow::Get_InputButton);
        column->addWidget(button);
        m_inputs.append(button);
    }
    // Few inputs stay at the top instead of spreading over the column.
    column->addStretch(1);
}

void SwitchingPage::buildTiles()
{
    m_grid = new QGridLayout(ui->widget_signal_Change);
    m_grid->setObjectName(QStringLiteral("gridLayout_signal_Change"));
    m_grid->setSpacing(GridSpacing);
    m_grid->setContentsMargins(GridMargin, GridMargin, GridMargin, GridMargin);
    for (int number = 1; number <= Switching::MaxPorts; ++number) {
        auto *tile = new SignalSwitchBut(ui->widget_signal_Change);
        tile->setObjectName(TilePrefix + QString::number(number));
        tile->setOutputNumber(number);
        connect(tile, &SignalSwitchBut::changeInputSource, this, &SwitchingPage::onChangeInputSource);
        m_tiles.append(tile);
    }
}

void SwitchingPage::connectWindow()
{
    connect(m_window, &MainWindow::Send_PageShown, this, [this](int page) {
        if (page == SwitchingPageIndex)
            refresh();
    });
    connect(m_window, &MainWindow::Send_SwitchStatus, this, &SwitchingPage::refreshSwitchStatus);
    connect(m_window, &MainWindow::Send_ModelApplied, this, [this](const QString &model) {
        Route_selection_currentTextChanged(model);
        // The names may have been read before the model was known.
        showAllNames();
        // The window opens on this page: once the device has said what it
        // is, the tiles show its routing without waiting for a click.
        if (!m_shownOnce && m_window->isVisible() && m_window->currentPage == SwitchingPageIndex)
            QTimer::singleShot(0, this, [this] { m_window->whenLinkFree(this, [this] { refresh(); }); });
    });
    connect(m_window, &MainWindow::Send_PortStatus, this, &SwitchingPage::showPortStatus);
    connect(m_window, &MainWindow::Send_LinkLost, this, &SwitchingPage::showLinkLost);
    connect(m_window, &MainWindow::Send_PollingChanged, this, &SwitchingPage::onPollingChanged);
    connect(m_names, &NameStore::nameChanged, this, &SwitchingPage::onNameChanged);
}

void SwitchingPage::registerBranches()
{
    using Flow = ReplyDispatcher::Flow;
    ReplyDispatcher *dispatcher = m_window->dispatcher();
    QPointer<SwitchingPage> self(this);

    dispatcher->setBranchHandler(Protocol::Answer::Routing, [self](ReplyDispatcher::BranchCall &call) {
        if (!self)
            return Flow::Continue;
        const Switching::RoutingAnswer answer = Switching::parseRouting(call.work);
        if (answer.outOfRange)
            return Flow::End;
        self->applyRouting(answer);
        if (answer.routes.isEmpty())
            return Flow::Continue;
        MainWindow *window = self->m_window;
        const QString model = CommonlyUsed::deviceType;
        if (!answer.wholeTable) {
            // The device switched on its own (front panel, another client):
            // its new input's resolution follows once the output settled.
            const QString query = resolutionQuery(answer.routes.first().input);
            QTimer::singleShot(Switching::singleResolutionDelayMs(model), self.data(), [self, window, query] {
                window->whenLinkFree(self.data(), [window, query] { window->sendData(query); });
            });
        } else if (window->currentPage == SwitchingPageIndex) {
            const auto link = window->connectionType == DeviceLink::TcpConnection
                ? Switching::LinkKind::Tcp
                : Switching::LinkKind::Serial;
            const int delay = Switching::tableResolutionDelayMs(link, window->baudRate.toInt(), model);
            QTimer::singleShot(delay, self.data(), [self, window] {
                window->whenLinkFree(self.data(), [window] { window->sendData(resolutionQuery(AllInputs)); });
            });
        }
        return Flow::Continue;
    });

    dispatcher->setBranchHandler(
        Protocol::Answer::InputResolution, [self](ReplyDispatcher::BranchCall &call) {
            if (!self)
                return Flow::Continue;
            const Switching::ResolutionAnswer answer = Switching::parseInputResolutions(call.work);
            if (answer.outOfRange)
                return Flow::End;
            self->applyResolutions(answer);
            return Flow::Continue;
        });
}

// ---- operator actions --------------------------------------------------------

void SwitchingPage::refresh()
{
    if (m_window->pollingRunning || m_refreshing)
        return;
    m_refreshing = true;
    m_shownOnce = true;
    // The overlay goes up first, so that its paint falls into the pause the
    // page takes before asking instead of adding to the wait. It covers the
    // whole window and takes every click, and the exchanges hold keys until
    // their answer is in; greying the window out beneath it as well would
    // repaint the whole window twice for nothing anyone sees.
    m_window->showWaitingOverlay(true);
    CommonlyUsed::Delay_MSec(Switching::EnterPageDelayMs);
    // Under the overlay the tiles are painted once, with routes and
    // resolutions both in, when it lifts.
    ui->widget_signal_Change->setUpdatesEnabled(false);

    if (!m_names->saveAll(false))
        qWarning() << "channel names not stored (not read yet or the file is not writable)";
    QString answer;
    if (m_window->sendDataDevice(QString::fromLatin1(Protocol::Command::GetSwitch), answer))
        refreshSwitchStatus(answer);
    queryResolutions(AllInputs);

    ui->widget_signal_Change->setUpdatesEnabled(true);
    m_window->showWaitingOverlay(false);
    m_refreshing = false;
}

void SwitchingPage::ToolButton_HDMI_clicked()
{
    const auto *button = qobject_cast<const my_ToolButton *>(sender());
    if (!button)
        return;
    const int number = button->property(InputNumberProperty).toInt();
    if (number >= 1 && number <= Switching::MaxPorts)
        m_currentInput = number;
}

void SwitchingPage::onChangeInputSource(int outNumber)
{
    const QString model = CommonlyUsed::deviceType;
    const int input = m_currentInput;
    if (input < 1 || input > Switching::inputCount(model) || outNumber < 1
        || outNumber > Switching::outputCount(model))
        return;

    QString answer;
    if (!m_window->sendDataDevice(
            Protocol::build(Protocol::Command::SwitchOne, { input, outNumber }), answer))
        return; // nothing changed that a resolution could be shown for
    refreshSwitchStatus(answer);
    QTimer::singleShot(Switching::SwitchResolutionDelayMs, this,
                       [this, input] { m_window->whenLinkFree(this, [this, input] { queryResolutions(input); }); });
}

void SwitchingPage::on_pushButton_Input_All_clicked()
{
    const int input = m_currentInput;
    if (m_allSwitchPending || input < 1 || input > Switching::inputCount(CommonlyUsed::deviceType))
        return;

    m_allSwitchPending = 1;
    m_window->setEnabled(false);
    QString answer;
    const bool switched
        = m_window->sendDataDevice(Protocol::build(Protocol::Command::SwitchAll, { input }), answer);
    if (switched)
        refreshSwitchStatus(answer);
    // Every output re-locks on the new source; the resolutions are read once
    // they are stable, and the window stays locked until then.
    QTimer::singleShot(Switching::AllSwitchResolutionDelayMs, this, [this, switched] {
        m_window->whenLinkFree(this, [this, switched] {
            if (switched)
                queryResolutions(AllInputs);
            m_allSwitchPending = 0;
            m_window->setEnabled(true);
        });
    });
}

// ---- layout ------------------------------------------------------------------

void SwitchingPage::Route_selection_currentTextChanged(const QString &model)
{
    const Switching::ModelLayout layout = Switching::layoutFor(model);

    ui->scrollArea->verticalScrollBar()->setValue(0);
    for (int i = 0; i < m_inputs.size(); ++i)
        m_inputs.at(i)->setVisible(i < layout.inputs);
    if (m_currentInput > layout.inputs) {
        // The chosen input no longer exists on this device.
        my_ToolButton *chosen = m_inputs.at(m_currentInput - 1);
        chosen->setAutoExclusive(false);
        chosen->setChecked(false);
        chosen->setAutoExclusive(true);
        m_currentInput = 0;
    }

    // Hidden tiles leave the grid, so their cells take no room.
    for (SignalSwitchBut *tile : qAsConst(m_tiles))
        m_grid->removeWidget(tile);
    for (int i = 0; i < Switching::MaxPorts; ++i) {
        m_grid->setRowStretch(i, i < layout.rows ? 1 : 0);
        m_grid->setColumnStretch(i, i < layout.columns ? 1 : 0);
    }
    for (int i = 0; i < m_tiles.size(); ++i) {
        SignalSwitchBut *tile = m_tiles.at(i);
        if (i < layout.outputs) {
            m_grid->addWidget(tile, i / layout.columns, i % layout.columns);
            tile->show();
        } else {
            tile->hide();
        }
    }
}

// ---- answers -----------------------------------------------------------------

void SwitchingPage::refreshSwitchStatus(const QString &reply)
{
    applyRouting(Switching::parseRouting(reply));
}

void SwitchingPage::applyRouting(const Switching::RoutingAnswer &answer)
{
    if (answer.pollingStopped)
        m_window->setPollingRunning(false);
    for (const Switching::Route &route : answer.routes) {
        emit routeShown(route.output, route.input);
        SignalSwitchBut *tile = tileFor(route.output);
        if (!tile)
            continue;
        if (tile->routedInput() != route.input) {
            // The old input's resolution would be wrong under the new name;
            // the new one follows with the next resolution answer.
            tile->setResolution(QString());
            tile->setRoutedInput(route.input);
        }
        tile->setInputName(m_names->name(NameStore::Input, route.input));
    }
}

void SwitchingPage::applyResolutions(const Switching::ResolutionAnswer &answer)
{
    if (!answer.allInputs) {
        if (answer.entries.isEmpty())
            return;
        const Switching::InputResolution &entry = answer.entries.first();
        // After a one-to-all switch every output shows the one input.
        const bool everyTile = m_allSwitchPending != 0;
        m_allSwitchPending = 0;
        for (SignalSwitchBut *tile : qAsConst(m_tiles)) {
            if (everyTile || tile->routedInput() == entry.input)
                tile->setResolution(entry.resolution);
        }
        emit inputResolutionShown(entry.input, entry.resolution);
        return;
    }
    for (const Switching::InputResolution &entry : answer.entries) {
        for (SignalSwitchBut *tile : qAsConst(m_tiles)) {
            if (tile->routedInput() == entry.input)
                tile->setResolution(entry.resolution);
        }
        if (entry.atOwnPosition)
            emit inputResolutionShown(entry.input, entry.resolution);
    }
}

void SwitchingPage::queryResolutions(int input)
{
    QString answer;
    if (m_window->sendDataDevice(resolutionQuery(input), answer))
        m_window->Data_Processing(answer);
}

SignalSwitchBut *SwitchingPage::tileFor(int output) const
{
    for (SignalSwitchBut *tile : m_tiles) {
        if (tile->outputNumber() == output)
            return tile;
    }
    return nullptr;
}

// ---- names -------------------------------------------------------------------

void SwitchingPage::showInputName(int input)
{
    if (input < 1 || input > m_inputs.size())
        return;
    PortButtonNames::show(m_inputs.at(input - 1), *m_names, NameStore::Input, input);
    const QString name = m_names->name(NameStore::Input, input);
    for (SignalSwitchBut *tile : qAsConst(m_tiles)) {
        if (tile->routedInput() == input)
            tile->setInputName(name);
    }
}

void SwitchingPage::showOutputName(int output)
{
    SignalSwitchBut *tile = tileFor(output);
    if (!tile)
        return;
    // Without a name of its own the tile shows "HDMI-<n>".
    tile->setOutputName(
        m_names->hasName(NameStore::Output, output) ? m_names->name(NameStore::Output, output) : QString());
}

void SwitchingPage::showAllNames()
{
    for (int number = 1; number <= Switching::MaxPorts; ++number) {
        showInputName(number);
        showOutputName(number);
    }
}

void SwitchingPage::onInputRenamed()
{
    const auto *button = qobject_cast<const my_ToolButton *>(sender());
    if (!button)
        return;
    const int number = button->property(InputNumberProperty).toInt();
    m_names->setName(
        NameStore::Input, number, ButtonText::withoutLineBreaks(ButtonText::unescape(button->text())));
    refresh();
}

void SwitchingPage::onNameChanged(int kind, int number)
{
    if (kind == NameStore::Input)
        showInputName(number);
    else if (kind == NameStore::Output)
        showOutputName(number);
}

// ---- link state --------------------------------------------------------------

void SwitchingPage::showPortStatus(const QVector<bool> &inputs, const QVector<bool> &outputs)
{
    for (int i = 0; i < inputs.size() && i < m_inputs.size(); ++i)
        m_inputs.at(i)->setSignalConnected(inputs.at(i));
    for (int i = 0; i < outputs.size() && i < m_tiles.size(); ++i)
        m_tiles.at(i)->setOutputConnected(outputs.at(i));
}

void SwitchingPage::showLinkLost()
{
    for (my_ToolButton *button : qAsConst(m_inputs))
        button->setSignalConnected(false);
    for (SignalSwitchBut *tile : qAsConst(m_tiles))
        tile->setOutputConnected(false);
}

void SwitchingPage::onPollingChanged(bool running)
{
    // While the device cycles scenes a route would stop its polling.
    for (my_ToolButton *button : qAsConst(m_inputs))
        button->setEnabled(!running);
    ui->pushButton_Input_All->setEnabled(!running);
}

void SwitchingPage::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
