#include "mainwindow/edid/edidpage.h"

#include "app/commonlyused.h"
#include "app/settingscatalogue.h"
#include "link/dispatch/replydispatcher.h"
#include "link/protocol/protocol.h"
#include "link/transfer/transferfile.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/naming/buttontext.h"
#include "mainwindow/naming/namestore.h"
#include "mainwindow/naming/portbuttonnames.h"
#include "mainwindow/switching/switchingmodel.h"
#include "mainwindow/system/firmwarepage.h"
#include "mainwindow/transfer/transferrunner.h"
#include "ui_edidpage.h"
#include "widgets/edidlineedit.h"
#include "widgets/my_toolbutton.h"

#include <QCheckBox>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

const QString InputButtonPrefix = QStringLiteral("toolButton_EDIDHDMI_");
const QString BoxPrefix = QStringLiteral("checkBox_HDMI1_");
const QString CaptionPrefix = QStringLiteral("lineEdit_HDMI1_");
const QString CellPrefix = QStringLiteral("widget_HDMI1_");
const char InputNumberProperty[] = "Data";
const char BoxProperty[] = "optionBox";
const char UploadSlotProperty[] = "uploadSlot";

// Built-in profiles, code 1 first.
constexpr int BuiltInCount = 8;
const char *const BuiltInCaptions[BuiltInCount] = {
    QT_TRANSLATE_NOOP("EdidPage", "1024x768@60Hz PCM 2CH"),
    QT_TRANSLATE_NOOP("EdidPage", "1280x720@60Hz PCM 2CH"),
    QT_TRANSLATE_NOOP("EdidPage", "1360x768@60Hz PCM 2CH"),
    QT_TRANSLATE_NOOP("EdidPage", "1920x1200@60Hz PCM 2CH"),
    QT_TRANSLATE_NOOP("EdidPage", "1600x1200@60Hz PCM 2CH"),
    QT_TRANSLATE_NOOP("EdidPage", "1920x1080@60Hz PCM 2CH"),
    QT_TRANSLATE_NOOP("EdidPage", "3840 x 2160P@30Hz"),
    QT_TRANSLATE_NOOP("EdidPage", "3840 x 2160P@60Hz"),
};
// What an older copy of the program stored for an unnamed slot.
const QString LegacySlotText = QStringLiteral("自定义EDID%1");

// Room beside a caption's text: padding and frame of the field.
constexpr int CaptionTextMargin = 24;
constexpr int SlotFieldMinWidth = 120;


bool isUserCode(int code)
{
    return code >= Edid::FirstUserCode && code < Edid::FirstUserCode + Edid::UserSlots;
}

int rowsFor(int items, int columns)
{
    return (items + columns - 1) / columns;
}

} // namespace

EdidPage::EdidPage(MainWindow *window, NameStore *names, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::EdidPage)
    , m_window(window)
    , m_names(names)
{
    ui->setupUi(this);
    buildInputButtons();
    buildOptions();
    m_slotNames.load();
    showCaptions();
    for (int number = 1; number <= Edid::MaxInputs; ++number)
        showInputName(number);
    connectWindow();
    registerBranches();
    Route_selection_EDID_currentTextChanged(CommonlyUsed::deviceType);

    showTransfer(false);
    // A long path, chosen or typed, reads in full on the field's tooltip.
    connect(ui->lineEdit_Load_EDID_File, &QLineEdit::textChanged, ui->lineEdit_Load_EDID_File,
        &QLineEdit::setToolTip);
    // Read when the operator is done with the path, not on every keystroke.
    connect(ui->lineEdit_Load_EDID_File, &QLineEdit::editingFinished, this, &EdidPage::readFileInfo);
    for (int slot = 1; slot <= Edid::UserSlots; ++slot) {
        // A click on a slot's name chooses the slot, as on its box.
        uploadSlotName(slot)->setProperty(UploadSlotProperty, slot);
        uploadSlotName(slot)->installEventFilter(this);
    }
    connect(ui->pushButton_EDID_UploadView, &QPushButton::clicked, this, [this] { showUploadView(true); });
    connect(ui->pushButton_EDID_Back, &QPushButton::clicked, this, [this] { showUploadView(false); });
    connectRunner();
    showUploadView(false);
    showUploadSlotNames();
    showFileInfo();
}

EdidPage::~EdidPage()
{
    delete ui;
}

QCheckBox *EdidPage::optionBox(int box) const
{
    return box >= 1 && box <= m_boxes.size() ? m_boxes.at(box - 1) : nullptr;
}

// ---- construction -----------------------------------------------------------

void EdidPage::buildInputButtons()
{
    QWidget *host = ui->scrollAreaWidgetContents_EDID_Inputs;
    auto *column = qobject_cast<QVBoxLayout *>(host->layout());
    for (int number = 1; number <= Edid::MaxInputs; ++number) {
        auto *button = my_ToolButton::createPortButton(host, InputButtonPrefix + QString::number(number));
        button->setProperty(InputNumberProperty, number);
        connect(button, &QToolButton::clicked, this, &EdidPage::toolButton_EDIDHDMI_clicked);
        PortButtonNames::storeInputRenames(button, m_names, number);
        connect(button, &my_ToolButton::sendLineEdit, m_window, &MainWindow::Get_InputButton);
        column->addWidget(button);
        m_inputs.append(button);
    }
    column->addStretch(1);
}

void EdidPage::buildOptions()
{
    m_boxes.fill(nullptr, Edid::ProfileCount);
    m_captions.fill(nullptr, Edid::ProfileCount);
    m_cells.fill(nullptr, Edid::ProfileCount);
    m_slotFields.fill(nullptr, Edid::UserSlots);

    for (int code = 1; code <= Edid::ProfileCount; ++code) {
        const int box = Edid::boxForCode(code);
        QWidget *group = code <= BuiltInCount ? ui->groupBox_EDID_BuiltIn
            : isUserCode(code)                ? ui->groupBox_EDID_Custom
                                              : ui->groupBox_EDID_Copy;
        auto *cell = new QWidget(group);
        cell->setObjectName(CellPrefix + QString::number(box));
        cell->setMinimumHeight(OptionMinHeight);
        cell->setMaximumHeight(OptionMaxHeight);
        auto *row = new QHBoxLayout(cell);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(8);

        auto *check = new QCheckBox(cell);
        check->setObjectName(BoxPrefix + QString::number(box));
        check->setProperty(BoxProperty, box);
        connect(check, &QCheckBox::clicked, this, &EdidPage::CheckBox_Single_choice);
        row->addWidget(check);

        QLineEdit *caption = nullptr;
        if (isUserCode(code)) {
            const int slot = code - Edid::FirstUserCode + 1;
            auto *field = new EdidLineEdit(cell);
            field->setMaxLength(Edid::MaxSlotNameLength);
            field->setMinimumWidth(SlotFieldMinWidth);
            connect(field, &EdidLineEdit::lineEditPressed, this, &EdidPage::onLineEditPressed);
            connect(field, &QLineEdit::editingFinished, this, [this, slot] { storeSlotName(slot); });
            m_slotBoxes.insert(field, check);
            m_slotFields[slot - 1] = field;
            caption = field;
        } else {
            caption = new QLineEdit(cell);
            caption->setReadOnly(true);
            caption->setFocusPolicy(Qt::NoFocus);
            caption->setCursor(Qt::ArrowCursor);
            caption->setProperty("Type", QStringLiteral("EdidCaption"));
            caption->installEventFilter(this);
        }
        caption->setObjectName(CaptionPrefix + QString::number(box));
        caption->setProperty(BoxProperty, box);
        caption->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        row->addWidget(caption, 1);

        m_boxes[box - 1] = check;
        m_captions[box - 1] = caption;
        m_cells[box - 1] = cell;
    }
    for (QGridLayout *grid :
        { ui->gridLayout_EDID_BuiltIn, ui->gridLayout_EDID_Custom, ui->gridLayout_EDID_Copy }) {
        for (int i = 1; i < MaxOptionColumns; ++i) {
            auto *filler = new QWidget(grid->parentWidget());
            filler->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
            filler->hide();
            m_fillers[grid].append(filler);
        }
    }
    ui->scrollArea_EDID_Options->viewport()->installEventFilter(this);
    layoutOptions();
}

void EdidPage::connectWindow()
{
    connect(
        m_window, &MainWindow::Send_ModelApplied, this, &EdidPage::Route_selection_EDID_currentTextChanged);
    connect(m_window, &MainWindow::Send_PortStatus, this,
        [this](const QVector<bool> &inputs, const QVector<bool> &) { showPortStatus(inputs); });
    connect(m_window, &MainWindow::Send_LinkLost, this, &EdidPage::showLinkLost);
    connect(m_names, &NameStore::nameChanged, this, [this](int kind, int number) {
        if (kind == NameStore::Input)
            showInputName(number);
    });
}

void EdidPage::registerBranches()
{
    QPointer<EdidPage> self(this);
    m_window->dispatcher()->setBranchHandler(
        Protocol::Answer::InputEdid, [self](ReplyDispatcher::BranchCall &call) {
            if (self)
                self->applyAnswers(call.work);
            return ReplyDispatcher::Flow::Continue;
        });
}

// ---- operator actions --------------------------------------------------------

void EdidPage::toolButton_EDIDHDMI_clicked()
{
    const auto *button = qobject_cast<const my_ToolButton *>(sender());
    if (!button)
        return;
    const int number = button->property(InputNumberProperty).toInt();
    if (number < 1 || number > Edid::MaxInputs)
        return;
    m_edidInput = number;
    // A set still waiting belongs to the input left behind.
    m_tracker.clear();
    // Nothing is shown until the device says what this input uses.
    selectBox(0);
    m_window->sendData(Edid::queryRequest(number));
}

void EdidPage::on_pushButton_EDID_Set_clicked()
{
    const QString failure = QString::fromLatin1(Protocol::FailureStyle);
    if (m_edidInput == 0) {
        m_window->showToast(tr("请选中输入端口！"), failure);
        return;
    }
    int code = 0;
    for (int box : Edid::boxesInCodeOrder()) {
        if (m_boxes.at(box - 1)->isChecked() && !m_cells.at(box - 1)->isHidden()) {
            code = Edid::codeForBox(box);
            break;
        }
    }
    if (code == 0) {
        m_window->showToast(tr("请选中要设置的选项！"), failure);
        return;
    }
    // Before sending: the answer may be handled while the request is out.
    m_tracker.sent(m_edidInput, code);
    m_window->sendData(Edid::setRequest(m_edidInput, code));
}

void EdidPage::onLineEditPressed(EdidLineEdit *lineEdit)
{
    QCheckBox *box = m_slotBoxes.value(lineEdit);
    if (box)
        selectBox(box->property(BoxProperty).toInt());
}

void EdidPage::CheckBox_Single_choice()
{
    auto *box = qobject_cast<QCheckBox *>(sender());
    if (!box)
        return;
    // One profile per input, as with radio buttons: clicking the chosen one
    // again keeps it chosen rather than leaving the input without a choice.
    selectBox(box->property(BoxProperty).toInt());
}

void EdidPage::selectBox(int box)
{
    for (int i = 0; i < m_boxes.size(); ++i)
        m_boxes.at(i)->setChecked(i + 1 == box);
}

// ---- answers -----------------------------------------------------------------

void EdidPage::applyAnswers(const QString &reply)
{
    for (const Edid::InputEdid &edid : Edid::parseInputEdids(reply)) {
        switch (m_tracker.answer(edid)) {
        case Edid::SetTracker::Outcome::Confirmed:
            selectBox(Edid::boxForCode(edid.code));
            m_window->showToast(tr("EDID设置成功！"), QString::fromLatin1(Protocol::SuccessStyle));
            break;
        case Edid::SetTracker::Outcome::Refused:
            // The device kept its own profile: show that one, not the wish.
            selectBox(Edid::boxForCode(edid.code));
            m_window->showToast(tr("EDID设置失败！"), QString::fromLatin1(Protocol::FailureStyle));
            break;
        case Edid::SetTracker::Outcome::None:
            if (!m_tracker.pending() && edid.input == m_edidInput)
                selectBox(Edid::boxForCode(edid.code));
            break;
        }
    }
}

// ---- layout ------------------------------------------------------------------

void EdidPage::Route_selection_EDID_currentTextChanged(const QString &model)
{
    const Switching::ModelLayout layout = Switching::layoutFor(model);
    for (int i = 0; i < m_inputs.size(); ++i)
        m_inputs.at(i)->setVisible(i < layout.inputs);
    ui->scrollArea_EDID_Inputs->verticalScrollBar()->setValue(0);
    if (m_edidInput > layout.inputs)
        forgetInput();
    m_outputs = layout.outputs;
    for (int code = Edid::FirstCopyCode; code <= Edid::ProfileCount; ++code) {
        // An output the device does not have cannot be copied.
        if (Edid::copiedOutput(code) > m_outputs)
            m_boxes.at(Edid::boxForCode(code) - 1)->setChecked(false);
    }
    layoutOptions();
}

void EdidPage::layoutOptions()
{
    struct Group
    {
        QGridLayout *grid;
        int firstCode;
        int lastCode;
        int lastShown; // copies beyond the device's outputs are hidden
    };
    const Group groups[] = {
        { ui->gridLayout_EDID_BuiltIn, 1, BuiltInCount, BuiltInCount },
        { ui->gridLayout_EDID_Custom, Edid::FirstUserCode, Edid::FirstCopyCode - 1, Edid::FirstCopyCode - 1 },
        { ui->gridLayout_EDID_Copy, Edid::FirstCopyCode, Edid::ProfileCount,
            Edid::FirstCopyCode + m_outputs - 1 },
    };
    const int columns = m_columns;
    int index = 0;
    for (const Group &group : groups) {
        QGridLayout *grid = group.grid;
        const QVector<QWidget *> fillers = m_fillers.value(grid);
        for (QWidget *filler : fillers)
            grid->removeWidget(filler);
        for (int column = 0; column < MaxOptionColumns; ++column) {
            grid->setColumnStretch(column, column < columns ? 1 : 0);
            grid->setColumnMinimumWidth(column, column < columns ? m_cellWidth : 0);
        }
        int shown = 0;
        for (int code = group.firstCode; code <= group.lastCode; ++code) {
            QWidget *cell = m_cells.at(Edid::boxForCode(code) - 1);
            // Hidden cells leave the grid, so they leave no gap either.
            grid->removeWidget(cell);
            cell->setHidden(code > group.lastShown);
            if (code <= group.lastShown) {
                grid->addWidget(cell, shown / columns, shown % columns);
                ++shown;
            }
        }
        // Empty cells of a short first row keep their column's spacing, so a
        // few options stay under the columns above.
        for (int i = 0; i < fillers.size(); ++i) {
            const int column = shown + i;
            fillers.at(i)->setHidden(column >= columns);
            if (column < columns)
                grid->addWidget(fillers.at(i), 0, column);
        }
        // The groups share the height by their rows (plus one for the
        // heading and frame), so every group's rows stand about as far apart.
        ui->verticalLayout_EDID_Groups->setStretch(index++, rowsFor(shown, columns) + 1);
    }
}

void EdidPage::fitColumns()
{
    // As many columns as the width takes without cutting a caption.
    QGroupBox *group = ui->groupBox_EDID_BuiltIn;
    const QMargins inner = ui->gridLayout_EDID_BuiltIn->contentsMargins();
    const QMargins outer = ui->verticalLayout_EDID_Groups->contentsMargins();
    const int frame = group->width() - group->contentsRect().width() + inner.left() + inner.right()
        + outer.left() + outer.right();
    const int spacing = ui->gridLayout_EDID_BuiltIn->horizontalSpacing();
    const int available = ui->scrollArea_EDID_Options->viewport()->width() - frame;
    int columns = MaxOptionColumns;
    while (columns > MinOptionColumns && columns * m_cellWidth + (columns - 1) * spacing > available)
        --columns;
    if (columns != m_columns) {
        m_columns = columns;
        layoutOptions();
    }
}

void EdidPage::forgetInput()
{
    if (m_edidInput >= 1 && m_edidInput <= m_inputs.size()) {
        my_ToolButton *chosen = m_inputs.at(m_edidInput - 1);
        chosen->setAutoExclusive(false);
        chosen->setChecked(false);
        chosen->setAutoExclusive(true);
    }
    m_edidInput = 0;
    m_tracker.clear();
    selectBox(0);
}

// ---- captions and slot names -------------------------------------------------

QString EdidPage::slotCaption(int slot) const
{
    const QString stored = m_slotNames.name(slot);
    return stored.isEmpty() || isDefaultSlotText(slot, stored) ? tr("自定义EDID%1").arg(slot) : stored;
}

bool EdidPage::isDefaultSlotText(int slot, const QString &text) const
{
    // The built-in caption is no name: it follows the language instead.
    return text == tr("自定义EDID%1").arg(slot) || text == LegacySlotText.arg(slot);
}

void EdidPage::showCaptions()
{
    if (m_captions.size() != Edid::ProfileCount)
        return;
    for (int code = 1; code <= Edid::ProfileCount; ++code) {
        const int box = Edid::boxForCode(code);
        QLineEdit *caption = m_captions.at(box - 1);
        if (isUserCode(code)) {
            const int slot = code - Edid::FirstUserCode + 1;
            // Typing in progress is the operator's, not the translator's.
            if (caption->hasFocus() && caption->isModified())
                continue;
            caption->setText(slotCaption(slot));
            caption->setToolTip(caption->text());
            caption->setCursorPosition(0);
            continue;
        }
        const QString text = code <= BuiltInCount ? tr(BuiltInCaptions[code - 1])
                                                  : tr("复制输出%1").arg(Edid::copiedOutput(code));
        caption->setText(text);
        caption->setToolTip(text);
        caption->setCursorPosition(0);
        // The whole caption always shows; a narrow window scrolls instead.
        // Measured in the style sheet's font.
        caption->ensurePolished();
        caption->setMinimumWidth(caption->fontMetrics().horizontalAdvance(text) + CaptionTextMargin);
    }
    // Equal columns in every group, however few options a group shows, so
    // the three groups line up.
    int widest = 0;
    for (QWidget *cell : qAsConst(m_cells)) {
        // Measured as shown: style sheet applied, the captions' new widths in.
        cell->ensurePolished();
        cell->layout()->invalidate();
        widest = qMax(widest, cell->minimumSizeHint().width());
    }
    m_cellWidth = widest;
    layoutOptions();
    fitColumns();
    showUploadSlotNames();
}

void EdidPage::storeSlotName(int slot)
{
    EdidLineEdit *field = m_slotFields.value(slot - 1);
    if (!field)
        return;
    QString name = Edid::SlotNames::cleaned(field->text());
    if (isDefaultSlotText(slot, name))
        name.clear();
    if (name != m_slotNames.name(slot) && !m_slotNames.store(slot, name)) {
        // The typed name stays in the field, so the operator can try again.
        m_window->showToast(tr("自定义EDID名称保存失败！"), QString::fromLatin1(Protocol::FailureStyle));
        return;
    }
    field->setText(slotCaption(slot));
    field->setToolTip(field->text());
    field->setCursorPosition(0);
    showUploadSlotNames();
}

// ---- names and link state ----------------------------------------------------

void EdidPage::showInputName(int input)
{
    if (input < 1 || input > m_inputs.size())
        return;
    PortButtonNames::show(m_inputs.at(input - 1), *m_names, NameStore::Input, input);
}


void EdidPage::showPortStatus(const QVector<bool> &inputs)
{
    for (int i = 0; i < inputs.size() && i < m_inputs.size(); ++i)
        m_inputs.at(i)->setSignalConnected(inputs.at(i));
}

void EdidPage::showLinkLost()
{
    for (my_ToolButton *button : qAsConst(m_inputs))
        button->setSignalConnected(false);
}

// ---- upload view -------------------------------------------------------------

void EdidPage::showUploadView(bool upload)
{
    ui->stackedWidget_EDID_Set->setCurrentWidget(upload ? ui->page_EDID_2 : ui->page_EDID_1);
    if (upload) {
        // The file may have been rebuilt since it was read.
        if (!m_transferShown)
            readFileInfo();
    }
}

void EdidPage::setEdidFile(const QString &path)
{
    ui->lineEdit_Load_EDID_File->setText(QDir::toNativeSeparators(path));
    readFileInfo();
}

void EdidPage::on_pushButton_Load_EDID_File_clicked()
{
    const QString path
        = FirmwarePage::chooseUpgradeFile(this, m_window, SettingsCatalogue::Keys::EdidUpgradeFilePath);
    if (!path.isEmpty())
        setEdidFile(path);
}

void EdidPage::on_checkBox_EDID1_clicked()
{
    chooseUploadSlot(1);
}

void EdidPage::on_checkBox_EDID2_clicked()
{
    chooseUploadSlot(2);
}

void EdidPage::on_checkBox_EDID3_clicked()
{
    chooseUploadSlot(3);
}

void EdidPage::on_checkBox_EDID4_clicked()
{
    chooseUploadSlot(4);
}

void EdidPage::on_pushButton_upload_clicked()
{
    const QString failure = QString::fromLatin1(Protocol::FailureStyle);
    if (m_window->refuseDuringTransfer())
        return;
    QString slot;
    for (int n = 1; n <= Edid::UserSlots && slot.isEmpty(); ++n) {
        if (uploadSlotBox(n)->isChecked())
            slot = QString::number(n);
    }
    if (slot.isEmpty()) {
        m_window->showToast(tr("请勾选EDID类型！"), failure);
        return;
    }
    // The field's path counts whether it was chosen, typed or dropped.
    const QString path = ui->lineEdit_Load_EDID_File->text().trimmed();
    const FileTransfer::FileRead read = FileTransfer::readFile(path);
    // The card shows the file exactly as the button judged it.
    noteFile(path, read);
    if (read.problem != FileTransfer::Problem::None) {
        m_window->showToast(TransferRunner::problemText(read.problem, TransferRunner::Kind::Edid), failure);
        if (read.problem == FileTransfer::Problem::Missing || read.problem == FileTransfer::Problem::Empty)
            ui->lineEdit_Load_EDID_File->setFocus();
        return;
    }
    TransferRunner::lockButton(ui->pushButton_upload);
    m_uploadSlot = slot;
    m_transferTotal = read.bytes.size();
    m_window->transferRunner()->armEdid(read.bytes, slot);
    m_window->sendData(QString::fromLatin1(Protocol::Command::UpdateEdid).arg(slot));
}

QCheckBox *EdidPage::uploadSlotBox(int slot) const
{
    switch (slot) {
    case 1:
        return ui->checkBox_EDID1;
    case 2:
        return ui->checkBox_EDID2;
    case 3:
        return ui->checkBox_EDID3;
    case 4:
        return ui->checkBox_EDID4;
    default:
        return nullptr;
    }
}

void EdidPage::chooseUploadSlot(int slot)
{
    // As with the profiles: clicking the chosen slot again keeps it chosen.
    for (int n = 1; n <= Edid::UserSlots; ++n)
        uploadSlotBox(n)->setChecked(n == slot);
    showUploadSlotNames();
}

void EdidPage::showUploadSlotNames()
{
    // The boxes keep their fixed texts; the name the operator gave a slot on
    // the profile view, under each, tells what an upload overwrites.
    for (int slot = 1; slot <= Edid::UserSlots; ++slot) {
        const QString stored = m_slotNames.name(slot);
        const bool named = !stored.isEmpty() && !isDefaultSlotText(slot, stored);
        uploadSlotBox(slot)->setToolTip(slotCaption(slot));
        QLabel *label = uploadSlotName(slot);
        label->setText(named ? stored : tr("未命名"));
        label->setToolTip(named ? stored : QString());
        const QString style = uploadSlotBox(slot)->isChecked()
            ? QStringLiteral("color: #1F2D3D; font-weight: bold;")
            : QStringLiteral("color: #5B6B7F;");
        if (label->styleSheet() != style)
            label->setStyleSheet(style);
    }
}

QLabel *EdidPage::uploadSlotName(int slot) const
{
    switch (slot) {
    case 1:
        return ui->label_EdidSlot_Name1;
    case 2:
        return ui->label_EdidSlot_Name2;
    case 3:
        return ui->label_EdidSlot_Name3;
    case 4:
        return ui->label_EdidSlot_Name4;
    default:
        return nullptr;
    }
}

void EdidPage::connectRunner()
{
    // The window makes its runner before the pages.
    TransferRunner *runner = m_window->transferRunner();
    connect(runner, &TransferRunner::Send_TransferShown, this, [this](TransferRunner::Kind kind, bool visible) {
        if (kind == TransferRunner::Kind::Edid)
            showTransfer(visible);
    });
    connect(runner, &TransferRunner::Send_TransferProgress, this, [this](TransferRunner::Kind kind, int percent) {
        if (kind == TransferRunner::Kind::Edid)
            showProgress(percent);
    });
    connect(runner, &TransferRunner::Send_TransferFinished, this, [this](TransferRunner::Kind kind, bool ok) {
        if (kind != TransferRunner::Kind::Edid)
            return;
        setUploadChoiceEnabled(true);
        m_lastTransfer = m_window->transferRunner()->lastFigures();
        m_lastSucceeded = ok;
        m_lastSlot = m_uploadSlot;
        readFileInfo();
    });
}

void EdidPage::showTransfer(bool visible)
{
    m_transferShown = visible;
    setUploadChoiceEnabled(!visible);
    showProgress(0);
    ui->label_EDID_upgrade->setVisible(visible);
    ui->progressBar_EDID_Upgrade->setVisible(visible);
}

void EdidPage::showProgress(int percent)
{
    m_percent = qBound(0, percent, 100);
    ui->progressBar_EDID_Upgrade->setValue(m_percent);
    ui->label_EDID_upgrade->setText(
        tr("正在上传EDID%1，请勿断开设备… %2%").arg(m_uploadSlot, QString::number(m_percent)));
    showLastTransfer();
}

void EdidPage::setUploadChoiceEnabled(bool enabled)
{
    // The file and slot of a running upload are already on their way.
    for (int slot = 1; slot <= Edid::UserSlots; ++slot)
        uploadSlotBox(slot)->setEnabled(enabled);
    ui->lineEdit_Load_EDID_File->setEnabled(enabled);
    ui->pushButton_Load_EDID_File->setEnabled(enabled);
}

// ---- events ------------------------------------------------------------------

bool EdidPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->scrollArea_EDID_Options->viewport() && event->type() == QEvent::Resize) {
        fitColumns();
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress && watched->property(UploadSlotProperty).isValid()) {
        const auto *press = static_cast<QMouseEvent *>(event);
        const int slot = watched->property(UploadSlotProperty).toInt();
        if (press->button() == Qt::LeftButton && uploadSlotBox(slot) && uploadSlotBox(slot)->isEnabled()) {
            chooseUploadSlot(slot);
            return true;
        }
        return false;
    }
    // A click on a fixed caption chooses its profile, as a label would.
    if (event->type() == QEvent::MouseButtonPress) {
        auto *caption = qobject_cast<QLineEdit *>(watched);
        const auto *press = static_cast<QMouseEvent *>(event);
        if (caption && caption->isReadOnly() && press->button() == Qt::LeftButton && caption->isEnabled()) {
            selectBox(caption->property(BoxProperty).toInt());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void EdidPage::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        showCaptions();
        showProgress(m_percent);
        showFileInfo();
    } else if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange) {
        // The window's style sheet arrives after the page is built: the
        // captions are measured again in its font.
        showCaptions();
    }
}

// ---- file information card ---------------------------------------------------

void EdidPage::readFileInfo()
{
    const QString path = ui->lineEdit_Load_EDID_File->text().trimmed();
    noteFile(path, FileTransfer::readFile(path));
}

void EdidPage::noteFile(const QString &path, const FileTransfer::FileRead &read)
{
    m_filePath = path;
    m_fileProblem = read.problem;
    m_summary = FileTransfer::summarizeEdid(read.bytes);
    showFileInfo();
}

void EdidPage::showFileInfo()
{
    using FileTransfer::EdidIssue;
    using FileTransfer::Problem;
    using Tone = FirmwarePage::Tone;
    FirmwarePage::showValue(ui->label_EdidInfo_FileValue,
        m_filePath.isEmpty() ? FirmwarePage::tr("未选择文件") : FirmwarePage::fileText(m_filePath));
    showLastTransfer();
    if (m_fileProblem == Problem::NoPath) {
        for (QLabel *label :
            { ui->label_EdidInfo_SizeValue, ui->label_EdidInfo_BlocksValue, ui->label_EdidInfo_FormatValue })
            FirmwarePage::showValue(label, QString());
        return;
    }
    const QString problem = FirmwarePage::problemNote(m_fileProblem, TransferRunner::Kind::Edid, m_filePath);
    if (m_fileProblem != Problem::None && m_fileProblem != Problem::Empty) {
        // Not read: a file too large to read still has a size worth showing.
        const QFileInfo info(m_filePath);
        FirmwarePage::showValue(
            ui->label_EdidInfo_SizeValue, info.isFile() ? FirmwarePage::sizeText(info.size()) : QString());
        FirmwarePage::showValue(ui->label_EdidInfo_BlocksValue, QString());
        FirmwarePage::showValue(ui->label_EdidInfo_FormatValue, problem, Tone::Bad);
        return;
    }

    const FileTransfer::EdidSummary &summary = m_summary;
    FirmwarePage::showValue(ui->label_EdidInfo_SizeValue, FirmwarePage::sizeText(summary.fileBytes));
    QString blocks;
    if (summary.extraBytes > 0)
        blocks = tr("%1 个完整块，另余 %2 字节").arg(summary.wholeBlocks).arg(summary.extraBytes);
    else if (summary.wholeBlocks > 0)
        blocks = tr("%1 块（每块 %2 字节）").arg(summary.wholeBlocks).arg(FileTransfer::EdidBlockBytes);
    FirmwarePage::showValue(ui->label_EdidInfo_BlocksValue, blocks);

    QString reason;
    switch (summary.issue) {
    case EdidIssue::None:
        FirmwarePage::showValue(ui->label_EdidInfo_FormatValue, tr("标准EDID"), Tone::Good);
        return;
    case EdidIssue::Empty:
        // Nothing to send: the upload button refuses it.
        FirmwarePage::showValue(ui->label_EdidInfo_FormatValue, problem, Tone::Bad);
        return;
    case EdidIssue::NotWholeBlocks:
        reason = tr("大小不是%1字节的整数倍").arg(FileTransfer::EdidBlockBytes);
        break;
    case EdidIssue::BadHeader:
        reason = tr("文件头不是 00 FF FF FF FF FF FF 00");
        break;
    case EdidIssue::BadChecksum:
        reason = tr("第%1块校验和不为0").arg(summary.badBlock);
        break;
    }
    // Information only: the device stores any non-empty file.
    FirmwarePage::showValue(ui->label_EdidInfo_FormatValue,
        tr("不是标准EDID格式（%1），设备仍会接收").arg(reason), Tone::Caution);
}

void EdidPage::showLastTransfer()
{
    using Tone = FirmwarePage::Tone;
    if (m_transferShown) {
        ui->label_EdidInfo_Last->setText(tr("本次上传："));
        FirmwarePage::showValue(ui->label_EdidInfo_LastValue,
            tr("EDID%1，%2").arg(m_uploadSlot, FirmwarePage::liveText(m_transferTotal, m_percent)));
        return;
    }
    ui->label_EdidInfo_Last->setText(tr("上次上传："));
    if (!m_lastTransfer) {
        FirmwarePage::showValue(ui->label_EdidInfo_LastValue, QString());
        return;
    }
    const TransferRunner::Figures &last = *m_lastTransfer;
    const QString seconds = FileTransfer::secondsText(last.elapsedMs);
    if (m_lastSucceeded) {
        FirmwarePage::showValue(ui->label_EdidInfo_LastValue,
            tr("成功：EDID%1，用时 %2 秒").arg(m_lastSlot, seconds), Tone::Good);
        return;
    }
    const QString why = FirmwarePage::outcomeText(last.outcome);
    if (last.outcome == FileTransfer::Outcome::Unconfirmed) {
        // Sent whole; the device may still confirm it later.
        FirmwarePage::showValue(
            ui->label_EdidInfo_LastValue, tr("EDID%1已发出，%2").arg(m_lastSlot, why), Tone::Caution);
        return;
    }
    FirmwarePage::showValue(
        ui->label_EdidInfo_LastValue, tr("失败：EDID%1，%2").arg(m_lastSlot, why), Tone::Bad);
}
