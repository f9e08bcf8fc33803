#include "mainwindow/naming/renamepage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include "app/commonlyused.h"
#include "link/protocol/protocol.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/naming/buttontext.h"
#include "mainwindow/switching/switchingmodel.h"
#include "ui_renamepage.h"

namespace {
constexpr int LanguageSimplified = 0;
constexpr int LanguageEnglish = 1;
constexpr int LanguageTraditional = 2;
// Inputs and outputs read down two columns, scenes down four.
constexpr int ChannelColumns = 2;
constexpr int SceneColumns = 4;
constexpr int MinChannelCount = 2;
// Wide enough for "HDMI-16" and an eight-character name without scrolling.
constexpr int EditMinimumWidth = 130;
constexpr int LabelMinimumWidth = 56;

// The scene default Clear writes in English and Traditional Chinese
// (Simplified Chinese is the translated source text).
QString sceneDefaultLiteral(int number, int language)
{
    switch (language) {
    case LanguageEnglish:
        return QStringLiteral("Scene %1").arg(number);
    case LanguageTraditional:
        return QStringLiteral("情境 %1").arg(number);
    default:
        return QStringLiteral("场景 %1").arg(number);
    }
}
} // namespace

RenamePage::RenamePage(MainWindow *window, NameStore *names, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::RenamePage)
    , m_window(window)
    , m_names(names)
{
    Q_ASSERT(m_window && m_names);
    ui->setupUi(this);

    m_groups[NameStore::Input]
        = { NameStore::Input, ui->gridLayout_Input, &m_inputLabels, &m_inputEdits, ChannelColumns, 0 };
    m_groups[NameStore::Output]
        = { NameStore::Output, ui->gridLayout_Output, &m_outputLabels, &m_outputEdits, ChannelColumns, 0 };
    m_groups[NameStore::Scene]
        = { NameStore::Scene, ui->gridLayout_Scene, &m_sceneLabels, &m_sceneEdits, SceneColumns, 0 };
    buildRows(m_groups[NameStore::Input], QStringLiteral("Input"));
    buildRows(m_groups[NameStore::Output], QStringLiteral("Output"));
    buildRows(m_groups[NameStore::Scene], QStringLiteral("Scene"));
    layoutRows(m_groups[NameStore::Scene], NameStore::SceneCount);
    retranslateRows();

    // The operator starts from the names in use.
    for (NameStore::Kind kind : { NameStore::Input, NameStore::Output, NameStore::Scene })
        loadGroup(kind);
    applyModel(CommonlyUsed::deviceType);

    // A name changed elsewhere (in-place rename, factory names) shows here too.
    connect(m_names, &NameStore::nameChanged, this, &RenamePage::onNameChanged);
    connect(m_window, &MainWindow::Send_ModelApplied, this, &RenamePage::applyModel);
    connect(m_window, &MainWindow::Send_LanguageChanged, this, &RenamePage::onLanguageChanged);
}

RenamePage::~RenamePage()
{
    delete ui;
}

int RenamePage::lengthLimit(NameStore::Kind kind, int language)
{
    if (kind == NameStore::Scene)
        return ButtonText::SceneMaxLength;
    return language == LanguageEnglish ? ButtonText::InputMaxLengthEnglish : ButtonText::InputMaxLength;
}

int RenamePage::saveCount(NameStore::Kind kind, const QString &model)
{
    if (kind == NameStore::Scene)
        return NameStore::SceneCount;
    int count = kind == NameStore::Input ? Switching::inputCount(model) : Switching::outputCount(model);
    if (count < MinChannelCount || count > NameStore::ChannelCount) {
        const Switching::ModelLayout layout = Switching::layoutFor(model);
        count = kind == NameStore::Input ? layout.inputs : layout.outputs;
    }
    return count;
}

RenamePage::Group &RenamePage::group(NameStore::Kind kind)
{
    return m_groups[kind];
}

void RenamePage::buildRows(Group &g, const QString &name)
{
    QWidget *box = g.grid->parentWidget();
    for (int number = 1; number <= NameStore::count(g.kind); ++number) {
        auto *label = new QLabel(box);
        label->setObjectName(QStringLiteral("label_%1_%2").arg(name).arg(number));
        label->setMinimumWidth(LabelMinimumWidth);
        auto *edit = new QLineEdit(box);
        edit->setObjectName(QStringLiteral("lineEdit_%1_%2").arg(name).arg(number));
        edit->setMinimumWidth(EditMinimumWidth);
        label->setBuddy(edit);
        g.labels->append(label);
        g.edits->append(edit);
    }
    for (int column = 0; column < g.columns; ++column)
        g.grid->setColumnStretch(2 * column + 1, 1);
}

void RenamePage::layoutRows(Group &g, int shown)
{
    shown = qBound(0, shown, g.edits->size());
    g.shown = shown;
    for (int i = 0; i < g.edits->size(); ++i) {
        g.grid->removeWidget(g.labels->at(i));
        g.grid->removeWidget(g.edits->at(i));
    }
    // Numbers run down each column; a small matrix fills fewer rows rather
    // than leaving a column of gaps.
    const int rows = qMax(1, (shown + g.columns - 1) / g.columns);
    for (int i = 0; i < g.edits->size(); ++i) {
        const bool visible = i < shown;
        g.labels->at(i)->setVisible(visible);
        g.edits->at(i)->setVisible(visible);
        if (!visible)
            continue;
        const int column = 2 * (i / rows);
        g.grid->addWidget(g.labels->at(i), i % rows, column);
        g.grid->addWidget(g.edits->at(i), i % rows, column + 1);
    }
}

void RenamePage::applyModel(const QString &model)
{
    const Switching::ModelLayout layout = Switching::layoutFor(model);
    layoutRows(group(NameStore::Input), layout.inputs);
    layoutRows(group(NameStore::Output), layout.outputs);
    arrangeChannelGroups();
}

void RenamePage::retranslateRows()
{
    for (int i = 0; i < m_inputLabels.size(); ++i)
        m_inputLabels[i]->setText(tr("输入%1").arg(i + 1));
    for (int i = 0; i < m_outputLabels.size(); ++i)
        m_outputLabels[i]->setText(tr("输出%1").arg(i + 1));
    for (int i = 0; i < m_sceneLabels.size(); ++i)
        m_sceneLabels[i]->setText(tr("场景%1").arg(i + 1));
}

void RenamePage::applyLimits()
{
    const int language = CommonlyUsed::getLanguageIndex();
    for (const Group &g : m_groups) {
        const int limit = lengthLimit(g.kind, language);
        for (QLineEdit *edit : *g.edits)
            edit->setMaxLength(qMax(limit, edit->text().size()));
    }
}

void RenamePage::putText(NameStore::Kind kind, int number, const QString &text)
{
    QLineEdit *edit = group(kind).edits->at(number - 1);
    // The limit first: setMaxLength cuts what the field already holds.
    edit->setMaxLength(qMax(lengthLimit(kind, CommonlyUsed::getLanguageIndex()), text.size()));
    edit->setText(text);
    edit->setCursorPosition(0);
}

void RenamePage::loadFromStore(NameStore::Kind kind, int number)
{
    const QString name = m_names->name(kind, number);
    putText(kind, number, name);
    QLineEdit *edit = group(kind).edits->at(number - 1);
    // An emptied field keeps the stored name on save; say which.
    edit->setToolTip(name);
    edit->setPlaceholderText(name);
}

QString RenamePage::defaultText(NameStore::Kind kind, int number) const
{
    if (kind != NameStore::Scene)
        return QStringLiteral("HDMI-%1").arg(number);
    const int language = CommonlyUsed::getLanguageIndex();
    if (language == LanguageSimplified)
        return tr("场景 %1").arg(number);
    return sceneDefaultLiteral(number, language);
}

void RenamePage::clearGroup(NameStore::Kind kind)
{
    for (int number = 1; number <= NameStore::count(kind); ++number)
        putText(kind, number, defaultText(kind, number));
}

void RenamePage::loadGroup(NameStore::Kind kind)
{
    for (int number = 1; number <= NameStore::count(kind); ++number)
        loadFromStore(kind, number);
}

void RenamePage::saveGroup(NameStore::Kind kind)
{
    const QList<QLineEdit *> &edits = *group(kind).edits;
    const int count = qMin(saveCount(kind, CommonlyUsed::deviceType), edits.size());

    bool anyName = false;
    for (int i = 0; i < count && !anyName; ++i)
        anyName = !edits[i]->text().trimmed().isEmpty();
    if (!anyName) {
        const QString empty[]
            = { tr("输入名称全部为空！"), tr("输出名称全部为空！"), tr("场景名称全部为空！") };
        m_window->showToast(empty[kind], QLatin1String(Protocol::FailureStyle));
        return;
    }

    // Blank fields keep their stored name; the other pages follow through
    // the store's nameChanged.
    for (int i = 0; i < count; ++i) {
        const QString text = edits[i]->text();
        if (!text.trimmed().isEmpty())
            m_names->setName(kind, i + 1, text);
    }
    const bool saved = m_names->save(kind);
    // The fields show what the store now holds (trimmed, blanks refilled).
    loadGroup(kind);

    if (!saved) {
        m_window->showToast(tr("名称保存失败！"), QLatin1String(Protocol::FailureStyle));
        return;
    }
    const QString done[]
        = { tr("输入通道名称修改成功！"), tr("输出通道名称修改成功！"), tr("场景通道名称修改成功！") };
    m_window->showToast(done[kind], QLatin1String(Protocol::SuccessStyle));
}

void RenamePage::onNameChanged(int kind, int number)
{
    if (kind < NameStore::Input || kind > NameStore::Scene)
        return;
    const auto which = static_cast<NameStore::Kind>(kind);
    if (number >= 1 && number <= group(which).edits->size())
        loadFromStore(which, number);
}

void RenamePage::onLanguageChanged()
{
    // Scene fields that show a default follow the language through the
    // store's nameChanged; here only the page's own texts and limits.
    ui->retranslateUi(this);
    retranslateRows();
    applyLimits();
    arrangeChannelGroups();
}

void RenamePage::arrangeChannelGroups()
{
    // Inputs and outputs side by side when both fit, one above the other
    // otherwise, so neither is squeezed.
    const QMargins margins = ui->verticalLayout_RenameContents->contentsMargins();
    const int needed = ui->groupBox_Input_channel->minimumSizeHint().width()
        + ui->groupBox_Output_channel->minimumSizeHint().width() + ui->horizontalLayout_Channels->spacing()
        + margins.left() + margins.right() + ui->scrollArea_Rename->verticalScrollBar()->sizeHint().width();
    const auto direction = width() >= needed ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (ui->horizontalLayout_Channels->direction() != direction)
        ui->horizontalLayout_Channels->setDirection(direction);
}

void RenamePage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    arrangeChannelGroups();
}

void RenamePage::on_pushButton_ClearInput_clicked()
{
    clearGroup(NameStore::Input);
}

void RenamePage::on_pushButton_ClearOutput_clicked()
{
    clearGroup(NameStore::Output);
}

void RenamePage::on_pushButton_ClearScene_clicked()
{
    clearGroup(NameStore::Scene);
}

void RenamePage::on_pushButton_LoadInput_clicked()
{
    loadGroup(NameStore::Input);
}

void RenamePage::on_pushButton_LoadOutput_clicked()
{
    loadGroup(NameStore::Output);
}

void RenamePage::on_pushButton_LoadScene_clicked()
{
    loadGroup(NameStore::Scene);
}

void RenamePage::on_pushButton_SaveInput_clicked()
{
    saveGroup(NameStore::Input);
}

void RenamePage::on_pushButton_SaveOutput_clicked()
{
    saveGroup(NameStore::Output);
}

void RenamePage::on_pushButton_SaveScene_clicked()
{
    saveGroup(NameStore::Scene);
}
