#include "mainwindow/output/outputpage.h"

#include "app/commonlyused.h"
#include "link/dispatch/replydispatcher.h"
#include "link/protocol/protocol.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/naming/buttontext.h"
#include "mainwindow/naming/namestore.h"
#include "mainwindow/naming/portbuttonnames.h"
#include "mainwindow/output/outputmodel.h"
#include "ui_outputpage.h"
#include "widgets/customizevolumeslider.h"
#include "widgets/my_toolbutton.h"

#include <QComboBox>
#include <QDebug>
#include <QEvent>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QStandardItemModel>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int OutputSettingPageIndex = 1;

constexpr int ControlMinimumWidth = 240;
// The slider's own 70 px give one pixel per one and a half steps; the form
// gives it the width of the combos above it, less its minus and plus buttons.
constexpr int SliderButtonsWidth = 18 + 20 + 2 * 2;
constexpr int SliderMinimumWidth = ControlMinimumWidth - SliderButtonsWidth;
constexpr QSize AudioSwitchSize(81, 35);
constexpr int CaptionSpacing = 40;
constexpr int RowSpacing = 22;

const QLatin1String ButtonPrefix("toolButton_HDMI");
const QLatin1String BrightnessPrefix("OutputBrightnessWidget");
const QLatin1String ContrastPrefix("OutputContrastRatioWidget");
const QLatin1String AudioPrefix("pushButtonAudioSwitch");
const char OutputNumberProperty[] = "outputNumber";


QLabel *caption(QWidget *page, const QString &objectName)
{
    auto *label = new QLabel(page);
    label->setObjectName(objectName);
    return label;
}

} // namespace

OutputPage::OutputPage(MainWindow *window, NameStore *names, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::OutputPage)
    , m_window(window)
    , m_names(names)
    , m_resolutions(Output::resolutions(CommonlyUsed::ver_minor))
{
    ui->setupUi(this);
    buildOutputButtons();
    m_outputs.resize(Output::MaxOutputs);
    for (int output = 1; output <= Output::MaxOutputs; ++output)
        buildSettingsPage(output);
    retranslatePages();
    for (int output = 1; output <= Output::MaxOutputs; ++output)
        showOutputName(output);
    connectWindow();
    registerBranches();
    OutputSetting_currentTextChanged(CommonlyUsed::deviceType);
    selectOutput(1);
}

OutputPage::~OutputPage()
{
    delete ui;
}

// ---- construction -----------------------------------------------------------

void OutputPage::buildOutputButtons()
{
    auto *column = qobject_cast<QVBoxLayout *>(ui->scrollAreaWidgetContents_Outputs->layout());
    for (int number = 1; number <= Output::MaxOutputs; ++number) {
        auto *button
            = my_ToolButton::createPortButton(ui->scrollAreaWidgetContents_Outputs, ButtonPrefix + QString::number(number));
        button->setProperty(OutputNumberProperty, number);
        connect(button, &QToolButton::clicked, this, &OutputPage::toolButton_OutPutHDMI_clicked);
        connect(button, &my_ToolButton::send_Input_signal, this, &OutputPage::onOutputRenamed);
        connect(button, &my_ToolButton::sendLineEdit, m_window, &MainWindow::Get_InputButton);
        column->addWidget(button);
        m_buttons.append(button);
    }
    // Few outputs stay at the top instead of spreading over the column.
    column->addStretch(1);
}

void OutputPage::buildSettingsPage(int output)
{
    const QString n = QString::number(output);
    auto *page = new QWidget(ui->stackedWidget_output_Set);
    page->setObjectName(QStringLiteral("pageOutput_") + n);
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(CaptionSpacing);
    grid->setVerticalSpacing(RowSpacing);

    OutputWidgets &w = m_outputs[output - 1];
    w.resolutionCaption = caption(page, QStringLiteral("label_resolution_ratio_") + n);
    w.formatCaption = caption(page, QStringLiteral("label_Signal_format_") + n);
    w.brightnessCaption = caption(page, QStringLiteral("label_Brightness_") + n);
    w.contrastCaption = caption(page, QStringLiteral("label_ContrastRatio_") + n);
    w.audioCaption = caption(page, QStringLiteral("OutputAudioLable") + n);

    w.resolution = new QComboBox(page);
    w.resolution->setObjectName(QStringLiteral("comboBox_resolution_ratio_") + n);
    w.resolution->addItems(m_resolutions);
    w.resolution->setMinimumWidth(ControlMinimumWidth);
    w.resolution->setMaxVisibleItems(m_resolutions.size() + 1);
    w.resolution->installEventFilter(this);
    // Only the operator's choice is sent; an answer that sets the combo is not.
    connect(w.resolution, QOverload<int>::of(&QComboBox::activated), this,
        &OutputPage::onResolutionRatioActivated);

    w.format = new QComboBox(page);
    w.format->setObjectName(QStringLiteral("comboBox_HDMI%1_Signal_format").arg(output));
    w.format->addItems(Output::formatNames());
    w.format->setMinimumWidth(ControlMinimumWidth);
    w.format->installEventFilter(this);
    connect(w.format, QOverload<int>::of(&QComboBox::activated), this, &OutputPage::onSignalFormatActivated);

    w.brightness = new CustomizeVolumeSlider(page);
    w.brightness->setObjectName(BrightnessPrefix + n);
    w.contrast = new CustomizeVolumeSlider(page);
    w.contrast->setObjectName(ContrastPrefix + n);
    for (CustomizeVolumeSlider *slider : { w.brightness, w.contrast }) {
        QSlider *bar = slider->slider();
        bar->setMinimumWidth(SliderMinimumWidth);
        bar->setMaximumWidth(QWIDGETSIZE_MAX);
        bar->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(slider, &CustomizeVolumeSlider::mouseButtonRelease, this, &OutputPage::onMouseButtonRelease);
        connect(slider, &CustomizeVolumeSlider::sliderValueChange, this, &OutputPage::onSliderValueChange);
    }

    w.audio = new QPushButton(page);
    w.audio->setObjectName(AudioPrefix + n);
    w.audio->setProperty("Type", QStringLiteral("AudioSwitchBut"));
    w.audio->setCheckable(true);
    w.audio->setFixedSize(AudioSwitchSize);
    connect(w.audio, &QPushButton::clicked, this, &OutputPage::pushButtonAudioSwitch_clicked);
    connect(w.audio, &QPushButton::toggled, this,
        [this, button = w.audio](bool on) { showAudioState(button, on); });
    // Orvex and Orvex-L have no external audio to switch.
    const bool audio = Output::hasExternalAudio(CommonlyUsed::ver_minor);
    w.audio->setVisible(audio);
    w.audioCaption->setVisible(audio);

    // Captions on the left; the combos and sliders share one column width.
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    int row = 0;
    grid->addWidget(w.resolutionCaption, row, 0, left);
    grid->addWidget(w.resolution, row++, 1);
    grid->addWidget(w.formatCaption, row, 0, left);
    grid->addWidget(w.format, row++, 1);
    grid->addWidget(w.brightnessCaption, row, 0, left);
    grid->addWidget(w.brightness, row++, 1);
    grid->addWidget(w.contrastCaption, row, 0, left);
    grid->addWidget(w.contrast, row++, 1);
    grid->addWidget(w.audioCaption, row, 0, left);
    // The style sheet's button height (polished in later) would undercut the
    // switch's own and square off its round ends: the row keeps it whole.
    grid->addWidget(w.audio, row, 1, Qt::AlignLeft);
    grid->setRowMinimumHeight(row++, AudioSwitchSize.height());
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);

    ui->stackedWidget_output_Set->addWidget(page);
}

void OutputPage::connectWindow()
{
    connect(m_window, &MainWindow::Send_PageShown, this, [this](int page) {
        if (page == OutputSettingPageIndex)
            refresh();
    });
    connect(m_window, &MainWindow::Send_ModelApplied, this, &OutputPage::OutputSetting_currentTextChanged);
    connect(m_window, &MainWindow::Send_PortStatus, this, &OutputPage::showPortStatus);
    connect(m_window, &MainWindow::Send_LinkLost, this, &OutputPage::showLinkLost);
    connect(m_names, &NameStore::nameChanged, this, &OutputPage::onNameChanged);
}

void OutputPage::registerBranches()
{
    using Flow = ReplyDispatcher::Flow;
    ReplyDispatcher *dispatcher = m_window->dispatcher();
    QPointer<OutputPage> self(this);

    dispatcher->setBranchHandler(Protocol::Answer::Brightness, [self](ReplyDispatcher::BranchCall &call) {
        if (self) {
            const auto answer = Output::parseBrightness(call.work);
            if (CustomizeVolumeSlider *slider = answer ? self->brightnessSlider(answer->output) : nullptr)
                slider->setValue(answer->value);
        }
        return Flow::Continue;
    });

    dispatcher->setBranchHandler(Protocol::Answer::Contrast, [self](ReplyDispatcher::BranchCall &call) {
        if (self) {
            const auto answer = Output::parseContrast(call.work);
            if (CustomizeVolumeSlider *slider = answer ? self->contrastSlider(answer->output) : nullptr)
                slider->setValue(answer->value);
        }
        return Flow::Continue;
    });

    dispatcher->setBranchHandler(Protocol::Answer::ExternalAudio, [self](ReplyDispatcher::BranchCall &call) {
        if (self) {
            if (const auto answer = Output::parseExternalAudio(call.work))
                self->showAudioState(self->audioSwitch(answer->output), answer->on);
        }
        return Flow::Continue;
    });

    dispatcher->setBranchHandler(
        Protocol::Answer::OutputResolution, [self](ReplyDispatcher::BranchCall &call) {
            const Output::ResolutionAnswer answer = Output::parseOutputResolutions(call.work);
            if (answer.outOfRange)
                return Flow::End;
            if (!self)
                return Flow::Continue;
            // An answer for all outputs is as true as one for a single output:
            // every combo it names shows the device's value.
            for (const Output::OutputResolution &entry : answer.entries) {
                self->showResolution(entry.output, entry.resolution);
                emit self->outputResolutionShown(entry.output, entry.resolution);
            }
            return Flow::Continue;
        });

    dispatcher->setBranchHandler(Protocol::Answer::HdcpBlocksDvi, [self](ReplyDispatcher::BranchCall &call) {
        if (!self)
            return Flow::Continue;
        const auto output = Output::parseHdcpRefusal(call.work);
        if (!output)
            return Flow::Continue;
        self->m_window->showToast(
            tr("输出%1hdcp已打开，无法切换到dvi！").arg(*output), QLatin1String(Protocol::FailureStyle));
        // The device kept HDMI.
        if (QComboBox *combo = self->formatCombo(*output))
            combo->setCurrentIndex(int(Output::Format::Hdmi));
        return Flow::Continue;
    });

    dispatcher->setBranchHandler(Protocol::Answer::OutputFormat, [self](ReplyDispatcher::BranchCall &call) {
        if (self) {
            const auto answer = Output::parseFormat(call.work);
            if (QComboBox *combo = answer ? self->formatCombo(answer->output) : nullptr)
                combo->setCurrentIndex(int(answer->format));
        }
        return Flow::Continue;
    });
}

// ---- operator actions --------------------------------------------------------

void OutputPage::refresh()
{
    // While the device polls scenes the page is locked and asks nothing.
    if (m_window->pollingRunning)
        return;
    queryOutput(m_currentOutput);
}

void OutputPage::queryOutput(int output)
{
    if (output < 1 || output > m_shownOutputs)
        return;
    // Quick clicks on several outputs read only the last one; a round that
    // runs or waits for the link picks it up.
    m_pendingQuery = output;
    if (m_queryScheduled)
        return;
    m_queryScheduled = true;
    m_window->whenLinkFree(this, [this] { runPendingQueries(); });
}

void OutputPage::runPendingQueries()
{
    QPointer<OutputPage> self(this);
    while (m_pendingQuery) {
        const int output = m_pendingQuery;
        m_pendingQuery = 0;
        for (const QString &query : Output::outputQueries(output, CommonlyUsed::ver_minor)) {
            QString answer;
            // Each exchange pumps events: the page may be gone, or another
            // output chosen, whose settings are read instead.
            const bool answered = m_window->sendDataDevice(query, answer);
            if (!self)
                return;
            if (!answered)
                break; // a silent device would hold the window once per query
            m_window->Data_Processing(answer);
            if (!self)
                return;
            if (m_pendingQuery)
                break;
        }
    }
    m_queryScheduled = false;
}

void OutputPage::toolButton_OutPutHDMI_clicked()
{
    const QObject *button = sender();
    if (!button)
        return;
    const auto output = Output::numberAfter(button->objectName(), ButtonPrefix);
    if (!output || *output > m_shownOutputs) {
        selectOutput(m_currentOutput);
        return;
    }
    selectOutput(*output);
    queryOutput(*output);
}

void OutputPage::onResolutionRatioActivated(int index)
{
    const QObject *combo = sender();
    // Past the table lies at most the device's own unlisted resolution,
    // which cannot be asked for.
    if (!combo || index < 0 || index >= m_resolutions.size())
        return;
    const auto output = Output::numberAfterLastUnderscore(combo->objectName());
    if (!output)
        return;
    const QString request = Output::resolutionRequest(*output, index + 1);
    if (!request.isEmpty())
        m_window->sendData(request);
}

void OutputPage::onSignalFormatActivated(int index)
{
    const QObject *combo = sender();
    if (!combo || index < int(Output::Format::Hdmi) || index > int(Output::Format::Dvi))
        return;
    const auto output = Output::formatComboOutput(combo->objectName());
    if (!output)
        return;
    const QString request = Output::formatRequest(*output, Output::Format(index));
    if (!request.isEmpty())
        m_window->sendData(request);
}

void OutputPage::onMouseButtonRelease(int value)
{
    sendLevel(sender(), value);
}

void OutputPage::onSliderValueChange(int value)
{
    sendLevel(sender(), value);
}

void OutputPage::sendLevel(const QObject *slider, int value)
{
    if (!slider)
        return;
    const QString name = slider->objectName();
    QString request;
    if (const auto output = Output::numberAfter(name, BrightnessPrefix))
        request = Output::brightnessRequest(*output, value);
    else if (const auto output = Output::numberAfter(name, ContrastPrefix))
        request = Output::contrastRequest(*output, value);
    if (!request.isEmpty())
        m_window->sendData(request);
}

void OutputPage::pushButtonAudioSwitch_clicked()
{
    auto *button = qobject_cast<QPushButton *>(sender());
    if (!button)
        return;
    const auto output = Output::numberAfter(button->objectName(), AudioPrefix);
    if (!output)
        return;
    const bool wanted = button->isChecked();
    // The switch shows what the device does: its answer turns it, a
    // request that goes unanswered leaves it as it was.
    showAudioState(button, !wanted);
    const QString request = Output::audioRequest(*output, wanted);
    if (!request.isEmpty())
        m_window->sendData(request);
}

void OutputPage::setPictureSliders(int firstOutput, int lastOutput, int value)
{
    for (int output = qMax(1, firstOutput); output <= qMin(int(Output::MaxOutputs), lastOutput); ++output) {
        m_outputs[output - 1].brightness->setValue(value);
        m_outputs[output - 1].contrast->setValue(value);
    }
}

// ---- layout ------------------------------------------------------------------

void OutputPage::OutputSetting_currentTextChanged(const QString &model)
{
    m_shownOutputs = Output::outputsShown(model);
    for (int i = 0; i < m_buttons.size(); ++i)
        m_buttons.at(i)->setVisible(i < m_shownOutputs);
    if (m_currentOutput <= m_shownOutputs)
        return;
    // The output no longer exists on this device.
    selectOutput(1);
    if (isVisible() && m_window->currentPage == OutputSettingPageIndex) {
        // Not from inside the answer that applied the model.
        QTimer::singleShot(0, this, &OutputPage::refresh);
    }
}

void OutputPage::selectOutput(int output)
{
    if (output < 1 || output > m_buttons.size())
        return;
    m_currentOutput = output;
    m_buttons.at(output - 1)->setChecked(true);
    ui->stackedWidget_output_Set->setCurrentIndex(output - 1);
    showOutputName(output);
}

// ---- answers -----------------------------------------------------------------

void OutputPage::showResolution(int output, const QString &resolution)
{
    QComboBox *combo = resolutionCombo(output);
    if (!combo || resolution.isEmpty())
        return;
    const int tableSize = m_resolutions.size();
    const int index = m_resolutions.indexOf(resolution);
    if (index >= 0) {
        while (combo->count() > tableSize)
            combo->removeItem(tableSize);
        combo->setCurrentIndex(index);
        return;
    }
    // A resolution this device type's table does not hold (a newer firmware,
    // a mode set on the front panel): shown as it is, but not offered.
    if (combo->count() > tableSize) {
        combo->setItemText(tableSize, resolution);
    } else {
        combo->addItem(resolution);
        if (auto *model = qobject_cast<QStandardItemModel *>(combo->model())) {
            if (QStandardItem *item = model->item(tableSize))
                item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
        }
        combo->setItemData(tableSize, tr("设备当前的分辨率（不可选择）"), Qt::ToolTipRole);
    }
    combo->setCurrentIndex(tableSize);
}

void OutputPage::showAudioState(QPushButton *button, bool on)
{
    if (!button)
        return;
    button->setChecked(on);
    button->setText(on ? tr("开启") : tr("关闭"));
}

// ---- names -------------------------------------------------------------------

void OutputPage::showOutputName(int output)
{
    if (output < 1 || output > m_buttons.size())
        return;
    PortButtonNames::show(m_buttons.at(output - 1), *m_names, NameStore::Output, output);
    const QString name = m_names->name(NameStore::Output, output);
    if (output == m_currentOutput)
        ui->groupBox_OutputSettings->setTitle(ButtonText::escape(name));
}

void OutputPage::onOutputRenamed()
{
    const auto *button = qobject_cast<const my_ToolButton *>(sender());
    if (!button)
        return;
    const int number = button->property(OutputNumberProperty).toInt();
    const bool stored = PortButtonNames::store(*button, *m_names, NameStore::Output, number);
    // The stored form of the name is what the button shows.
    showOutputName(number);
    if (!stored)
        qWarning() << "output names not stored (not read yet or the file is not writable)";
}

void OutputPage::onNameChanged(int kind, int number)
{
    if (kind == NameStore::Output)
        showOutputName(number);
}

// ---- link state --------------------------------------------------------------

void OutputPage::showPortStatus(const QVector<bool> &, const QVector<bool> &outputs)
{
    for (int i = 0; i < outputs.size() && i < m_buttons.size(); ++i)
        m_buttons.at(i)->setSignalConnected(outputs.at(i));
}

void OutputPage::showLinkLost()
{
    for (my_ToolButton *button : qAsConst(m_buttons))
        button->setSignalConnected(false);
}

// ---- widgets of an output ----------------------------------------------------

const OutputPage::OutputWidgets *OutputPage::widgetsOf(int output) const
{
    if (output < 1 || output > m_outputs.size())
        return nullptr;
    return &m_outputs.at(output - 1);
}

QComboBox *OutputPage::resolutionCombo(int output) const
{
    const OutputWidgets *w = widgetsOf(output);
    return w ? w->resolution : nullptr;
}

QComboBox *OutputPage::formatCombo(int output) const
{
    const OutputWidgets *w = widgetsOf(output);
    return w ? w->format : nullptr;
}

CustomizeVolumeSlider *OutputPage::brightnessSlider(int output) const
{
    const OutputWidgets *w = widgetsOf(output);
    return w ? w->brightness : nullptr;
}

CustomizeVolumeSlider *OutputPage::contrastSlider(int output) const
{
    const OutputWidgets *w = widgetsOf(output);
    return w ? w->contrast : nullptr;
}

QPushButton *OutputPage::audioSwitch(int output) const
{
    const OutputWidgets *w = widgetsOf(output);
    return w ? w->audio : nullptr;
}

// ---- events ------------------------------------------------------------------

bool OutputPage::eventFilter(QObject *watched, QEvent *event)
{
    // A wheel turned over a combo on its way elsewhere would change the
    // output's resolution or format once per notch.
    if (event->type() == QEvent::Wheel && qobject_cast<QComboBox *>(watched))
        return true;
    return QWidget::eventFilter(watched, event);
}

void OutputPage::retranslatePages()
{
    for (const OutputWidgets &w : qAsConst(m_outputs)) {
        w.resolutionCaption->setText(tr("输出分辨率"));
        w.formatCaption->setText(tr("信号格式"));
        w.brightnessCaption->setText(tr("亮度"));
        w.contrastCaption->setText(tr("对比度"));
        w.audioCaption->setText(tr("外置音频"));
        showAudioState(w.audio, w.audio->isChecked());
        const QString unlisted = tr("设备当前的分辨率（不可选择）");
        for (int i = m_resolutions.size(); i < w.resolution->count(); ++i)
            w.resolution->setItemData(i, unlisted, Qt::ToolTipRole);
    }
}

void OutputPage::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslatePages();
    }
}
