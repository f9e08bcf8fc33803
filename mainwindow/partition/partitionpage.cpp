#include "mainwindow/partition/partitionpage.h"

#include "app/commonlyused.h"
#include "link/dispatch/replydispatcher.h"
#include "link/protocol/protocol.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/naming/buttontext.h"
#include "mainwindow/naming/namestore.h"
#include "mainwindow/naming/portbuttonnames.h"
#include "mainwindow/partition/partitionmodewidget.h"
#include "mainwindow/partition/splitmodebutton.h"
#include "ui_partitionpage.h"
#include "widgets/my_toolbutton.h"

#include <QDebug>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int PartitionPageIndex = 4;
constexpr int TileColumns = 4;
constexpr int TileMinWidth = 120;
constexpr int TileMinHeight = 64;
const QString InputButtonPrefix = QStringLiteral("toolButton_HDMI_Partition_");
const QString TileLabelStyle = QStringLiteral("QLabel{font-size:18px;font-weight:bold;}");
const QString HintStyle = QStringLiteral("QLabel{color:#5B6B7F;}");
// Tall enough that the input number in the upper right stays clear of the caption.
const QString WindowButtonStyle = QStringLiteral("QPushButton{min-height:56px;}");
const char *const WindowLetters[Partition::Windows] = { "A", "B", "C", "D" };

QString success()
{
    return QString::fromLatin1(Protocol::SuccessStyle);
}
QString failure()
{
    return QString::fromLatin1(Protocol::FailureStyle);
}

} // namespace

PartitionPage::PartitionPage(MainWindow *window, NameStore *names, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::PartitionPage)
    , m_window(window)
    , m_names(names)
{
    ui->setupUi(this);
    ui->label_Partition_InputHint->setStyleSheet(HintStyle);
    ui->label_Partition_Hint->setStyleSheet(HintStyle);
    for (SplitmodeButton *button : windowButtons())
        button->setStyleSheet(WindowButtonStyle);
    buildTiles();
    buildInputList();
    retranslateTiles();
    registerBranches();

    connect(m_window, &MainWindow::Send_ModelApplied, this, &PartitionPage::setPartitionMode);
    connect(m_window, &MainWindow::Send_PageShown, this, [this](int page) {
        if (page == PartitionPageIndex)
            repaintTiles();
    });
    connect(m_window, &MainWindow::Send_PortStatus, this,
        [this](const QVector<bool> &inputs, const QVector<bool> &) {
            for (int i = 0; i < inputs.size() && i < m_inputs.size(); ++i)
                m_inputs.at(i)->setSignalConnected(inputs.at(i));
        });
    connect(m_window, &MainWindow::Send_LinkLost, this, [this] {
        for (my_ToolButton *button : qAsConst(m_inputs))
            button->setSignalConnected(false);
    });
    connect(m_names, &NameStore::nameChanged, this, [this](int kind, int number) {
        if (kind == NameStore::Input && number >= 1 && number <= m_inputs.size())
            PortButtonNames::show(m_inputs.at(number - 1), *m_names, NameStore::Input, number);
    });

    setPartitionMode(CommonlyUsed::deviceType);
    showGroup();
}

PartitionPage::~PartitionPage()
{
    delete ui;
}

const Partition::GroupState &PartitionPage::groupState(int group) const
{
    static const Partition::GroupState unknown;
    return group >= 1 && group <= Partition::Groups ? m_groups[size_t(group - 1)] : unknown;
}

QList<SplitmodeButton *> PartitionPage::windowButtons() const
{
    return { ui->pushButton_ModeA, ui->pushButton_ModeB, ui->pushButton_ModeC, ui->pushButton_ModeD };
}

QList<QPushButton *> PartitionPage::groupButtons() const
{
    return { ui->pushButton_Group1, ui->pushButton_Group2, ui->pushButton_Group3, ui->pushButton_Group4 };
}

// ---- construction -----------------------------------------------------------

void PartitionPage::buildTiles()
{
    QGridLayout *grid = ui->gridLayout_Partition_Modes;
    QWidget *host = ui->groupBox_Partition_Modes;
    for (int mode = 0; mode < Partition::Modes; ++mode) {
        auto *tile = new PartitionModeWidget(mode, host);
        tile->setMinimumSize(TileMinWidth, TileMinHeight);
        connect(
            tile, &PartitionModeWidget::modifySelectedStatus, this, &PartitionPage::onModifySelectedStatus);

        auto *caption = new QLabel(host);
        caption->setObjectName(QStringLiteral("label_PartitionMode_%1").arg(mode));
        caption->setStyleSheet(TileLabelStyle);
        caption->setAlignment(Qt::AlignCenter);
        // A long translation is cut, it never widens the grid.
        caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);

        const int row = mode / TileColumns * 2;
        const int column = mode % TileColumns;
        grid->addWidget(tile, row, column);
        grid->addWidget(caption, row + 1, column);
        grid->setRowStretch(row, 1);
        m_tiles.append(tile);
    }
    for (int column = 0; column < TileColumns; ++column)
        grid->setColumnStretch(column, 1);
}

void PartitionPage::buildInputList()
{
    QWidget *host = ui->scrollAreaWidgetContents_Partition;
    auto *column = qobject_cast<QVBoxLayout *>(host->layout());
    const int inputs = Partition::Groups * Partition::InputsPerGroup;
    for (int number = 1; number <= inputs; ++number) {
        auto *button = my_ToolButton::createPortButton(host, InputButtonPrefix + QString::number(number));
        connect(button, &QToolButton::clicked, this, &PartitionPage::onPartitionInputSourceButClicked);
        PortButtonNames::storeInputRenames(button, m_names, number);
        connect(button, &my_ToolButton::sendLineEdit, m_window, &MainWindow::Get_InputButton);
        PortButtonNames::show(button, *m_names, NameStore::Input, number);
        button->hide();
        column->addWidget(button);
        m_inputs.append(button);
    }
    column->addStretch(1);
}


void PartitionPage::registerBranches()
{
    using Flow = ReplyDispatcher::Flow;
    QPointer<PartitionPage> self(this);
    m_window->dispatcher()->setBranchHandler(
        Protocol::Answer::SplitMode, [self](ReplyDispatcher::BranchCall &call) {
            if (self) {
                if (const auto answer = Partition::parseMode(call.work))
                    self->applyMode(*answer);
            }
            return Flow::Continue;
        });
    m_window->dispatcher()->setBranchHandler(
        Protocol::Answer::SplitVideo, [self](ReplyDispatcher::BranchCall &call) {
            if (self) {
                if (const auto answer = Partition::parseWindows(call.work))
                    self->applyWindows(*answer);
            }
            return Flow::Continue;
        });
}

void PartitionPage::retranslateTiles()
{
    for (int mode = 0; mode < Partition::Modes; ++mode) {
        auto *caption = findChild<QLabel *>(QStringLiteral("label_PartitionMode_%1").arg(mode));
        const QString text = mode == 0 ? tr("取消分割") : tr("分割模式%1").arg(mode);
        caption->setText(text);
        m_tiles.at(mode)->setToolTip(text);
    }
    const QList<QPushButton *> groups = groupButtons();
    for (int group = 1; group <= groups.size(); ++group) {
        const int first = Partition::absoluteInput(group, 1);
        const int last = Partition::absoluteInput(group, Partition::InputsPerGroup);
        groups.at(group - 1)->setText(tr("第%1组（输入%2-%3）").arg(group).arg(first).arg(last));
    }
    const QList<SplitmodeButton *> windows = windowButtons();
    for (int window = 0; window < windows.size(); ++window)
        windows.at(window)->setText(tr("窗口%1").arg(QLatin1String(WindowLetters[window])));
    showGroup();
}

// ---- model -------------------------------------------------------------------

void PartitionPage::setPartitionMode(const QString &model)
{
    m_groupsShown = Partition::groupsFor(model);
    const QList<QPushButton *> groups = groupButtons();
    for (int group = 1; group <= groups.size(); ++group)
        groups.at(group - 1)->setVisible(group <= m_groupsShown);
    for (int group = m_groupsShown + 1; group <= Partition::Groups; ++group)
        m_groups[size_t(group - 1)] = Partition::GroupState();
    if (m_currentGroup > m_groupsShown) {
        // The chosen group's inputs are gone with it.
        m_currentGroup = Partition::None;
        m_partitionInput = Partition::None;
        showGroupInputs();
        showGroup();
    }
    ui->scrollArea_Partition->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->scrollArea_Partition->verticalScrollBar()->setValue(0);
    // The output page is built first; the guard keeps a change of that order harmless.
    if (m_window->outputPage())
        m_window->OutputSetting_currentTextChanged(model);
}

void PartitionPage::repaintTiles()
{
    for (PartitionModeWidget *tile : qAsConst(m_tiles))
        tile->update();
}

// ---- operator actions --------------------------------------------------------

void PartitionPage::on_pushButton_Group1_clicked()
{
    chooseGroup(1);
}

void PartitionPage::on_pushButton_Group2_clicked()
{
    chooseGroup(2);
}

void PartitionPage::on_pushButton_Group3_clicked()
{
    chooseGroup(3);
}

void PartitionPage::on_pushButton_Group4_clicked()
{
    chooseGroup(4);
}

void PartitionPage::chooseGroup(int group)
{
    if (group < 1 || group > m_groupsShown) {
        showGroupInputs(); // a hidden group's button keeps no check
        return;
    }
    m_currentGroup = group;
    // An input chosen in the group left behind would land on this group's
    // windows as the input at the same position.
    m_partitionInput = Partition::None;
    showGroupInputs();
    showGroup();

    m_groupQueryRunning = true;
    bool answered = true;
    for (const QString &query : { Partition::modeQuery(group), Partition::windowQuery(group) }) {
        QString answer;
        if (m_window->sendDataDevice(query, answer))
            m_window->Data_Processing(answer);
        else
            answered = false;
    }
    // A late answer to a query that timed out must not announce a change,
    // so the flag stays until the operator chooses a mode.
    if (answered)
        m_groupQueryRunning = false;
}

void PartitionPage::onPartitionInputSourceButClicked()
{
    const QObject *button = sender();
    if (!button)
        return;
    const QString name = button->objectName();
    bool ok = false;
    const int number = name.mid(name.lastIndexOf(QLatin1Char('_')) + 1).toInt(&ok);
    const int position = ok ? Partition::inputPosition(number) : Partition::None;
    // Only the current group's inputs are offered; another group's would
    // land on this group's windows as the input at the same position.
    if (position == Partition::None || Partition::absoluteInput(m_currentGroup, position) != number)
        return;
    m_partitionInput = position;
}

void PartitionPage::onModifySelectedStatus()
{
    auto *tile = qobject_cast<PartitionModeWidget *>(sender());
    if (!tile)
        return;
    m_groupQueryRunning = false;
    const int group = m_currentGroup;
    if (group == Partition::None) {
        m_window->showToast(tr("请先选择分组!"), failure());
        return;
    }
    const int mode = tile->mode();
    for (PartitionModeWidget *other : qAsConst(m_tiles))
        other->setSelected(other == tile);

    QString answer;
    const bool sent = m_window->sendDataDevice(Partition::modeCommand(group, mode), answer);
    if (sent)
        m_window->Data_Processing(answer);
    if (!sent || groupState(group).mode != mode) {
        // The tiles go back to what the device last said.
        showGroup();
        reportFailure(tr("分割模式设置失败!"));
        return;
    }
    if (m_window->sendDataDevice(Partition::windowQuery(group), answer))
        m_window->Data_Processing(answer);
}

void PartitionPage::on_pushButton_ModeA_clicked()
{
    chooseWindow(1);
}

void PartitionPage::on_pushButton_ModeB_clicked()
{
    chooseWindow(2);
}

void PartitionPage::on_pushButton_ModeC_clicked()
{
    chooseWindow(3);
}

void PartitionPage::on_pushButton_ModeD_clicked()
{
    chooseWindow(4);
}

void PartitionPage::chooseWindow(int window)
{
    if (m_partitionInput == Partition::None) {
        m_window->showToast(tr("请先选择输入源!"), failure());
        return;
    }
    const int group = m_currentGroup;
    if (group == Partition::None)
        return;
    // Only the windows the group's layout has are offered.
    if (window < 1 || window > Partition::windowCount(groupState(group).mode))
        return;
    const int position = m_partitionInput;
    QString answer;
    const bool sent = m_window->sendDataDevice(Partition::windowCommand(group, position, window), answer);
    if (sent)
        m_window->Data_Processing(answer);
    if (!sent || groupState(group).positions[size_t(window - 1)] != position)
        reportFailure(tr("窗口输入设置失败!"));
}

void PartitionPage::reportFailure(const QString &text)
{
    // Standby and a running transfer refuse with their own message.
    if (m_window->standby || m_window->transferRunning)
        return;
    m_window->showToast(text, failure());
}

// ---- answers -----------------------------------------------------------------

void PartitionPage::applyMode(const Partition::ModeAnswer &answer)
{
    m_groups[size_t(answer.group - 1)].mode = answer.mode;
    if (answer.group == m_currentGroup)
        showGroup();
    if (m_groupQueryRunning)
        return;
    m_window->showToast(
        answer.mode == 0 ? tr("取消分割成功") : tr("分割模式%1设置成功").arg(answer.mode), success());
}

void PartitionPage::applyWindows(const Partition::WindowsAnswer &answer)
{
    m_groups[size_t(answer.group - 1)].positions = answer.positions;
    if (answer.group == m_currentGroup)
        showGroup();
}

// ---- view --------------------------------------------------------------------

void PartitionPage::showGroupInputs()
{
    const QList<QPushButton *> groups = groupButtons();
    for (int group = 1; group <= groups.size(); ++group)
        groups.at(group - 1)->setChecked(group == m_currentGroup);
    for (int i = 0; i < m_inputs.size(); ++i) {
        my_ToolButton *button = m_inputs.at(i);
        const bool inGroup
            = m_currentGroup != Partition::None && i / Partition::InputsPerGroup == m_currentGroup - 1;
        button->setVisible(inGroup);
        if (button->isChecked() && m_partitionInput == Partition::None) {
            // Exclusive buttons cannot be unchecked while exclusive.
            button->setAutoExclusive(false);
            button->setChecked(false);
            button->setAutoExclusive(true);
        }
    }
    ui->label_Partition_InputHint->setVisible(m_currentGroup == Partition::None);
    ui->scrollArea_Partition->verticalScrollBar()->setValue(0);
}

void PartitionPage::showGroup()
{
    const Partition::GroupState &state = groupState(m_currentGroup);
    for (PartitionModeWidget *tile : qAsConst(m_tiles))
        tile->setSelected(tile->mode() == state.mode);
    const int shown = Partition::windowCount(state.mode);
    const QList<SplitmodeButton *> windows = windowButtons();
    for (int window = 0; window < windows.size(); ++window) {
        SplitmodeButton *button = windows.at(window);
        button->setVisible(window < shown);
        const int input = Partition::absoluteInput(m_currentGroup, state.positions[size_t(window)]);
        button->setInputLabel(input == Partition::None ? QString() : QString::number(input));
        button->setToolTip(input == Partition::None
                ? QString()
                : tr("窗口%1：%2")
                      .arg(QLatin1String(WindowLetters[window]), m_names->name(NameStore::Input, input)));
    }
}

// ---- events ------------------------------------------------------------------

void PartitionPage::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslateTiles();
    }
}
