#include "mainwindow/portstatus/portstatuspage.h"

#include "app/commonlyused.h"
#include "link/protocol/protocol.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/naming/namestore.h"
#include "mainwindow/switching/switchingmodel.h"
#include "ui_portstatuspage.h"
#include "widgets/portstatuslable.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QPointer>

namespace {

constexpr int MaxPorts = Switching::MaxPorts;
const QString InputLabelPrefix = QStringLiteral("label_Port_input_status_");
const QString OutputLabelPrefix = QStringLiteral("label_Port_output_status_");
const QString NoResolution = QStringLiteral("0x0@0Hz");

// Cards grow with the page up to this; beyond it the page keeps them
// together at the top instead of blowing three lines of text up.
constexpr QSize CardMaximum(320, 180);

// Rows of both grids, for the larger port count: the groups then take as
// many columns as their ports need, and every card has one size.
int rowsFor(int ports)
{
    if (ports > 9)
        return 4;
    if (ports == 9)
        return 3;
    if (ports == 8)
        return 4;
    return 2;
}

int columnsFor(int ports, int rows)
{
    return qMax(1, (ports + rows - 1) / rows);
}

// A column of a typical card and its spacing, and the frame of a group, in
// pixels: the groups share the width in this proportion.
constexpr int ColumnUnit = 188;
constexpr int FrameUnit = 28;

int groupStretch(int columns)
{
    return columns * ColumnUnit + FrameUnit;
}

void clearGrid(QGridLayout *grid)
{
    while (QLayoutItem *item = grid->takeAt(0))
        delete item; // the widget item only; the widgets stay ours
    for (int i = 0; i < MaxPorts; ++i) {
        grid->setRowStretch(i, 0);
        grid->setColumnStretch(i, 0);
    }
}

} // namespace

PortStatusPage::PortStatusPage(MainWindow *window, NameStore *names, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::PortStatusPage)
    , m_window(window)
    , m_names(names)
{
    ui->setupUi(this);
    // The cards take the height and the width; what they leave goes below
    // and to both sides, so that few cards stay together with their button.
    ui->horizontalLayout_PortStatusPage->setStretch(1, 1);
    ui->verticalLayout_port_status_body->setStretch(0, 1);

    m_inputs = buildCards(ui->groupBox_input_status, InputLabelPrefix, NameStore::Input, &m_inputFillers);
    m_outputs = buildCards(ui->groupBox_output_status, OutputLabelPrefix, NameStore::Output, &m_outputFillers);

    connect(m_window, &MainWindow::Send_ModelApplied, this, &PortStatusPage::applyModel);
    connect(m_window, &MainWindow::Send_PortStatus, this, &PortStatusPage::showPortStatus);
    connect(m_window, &MainWindow::Send_LinkLost, this, &PortStatusPage::showLinkLost);
    connect(m_names, &NameStore::nameChanged, this, &PortStatusPage::onNameChanged);

    applyModel(CommonlyUsed::deviceType);
}

PortStatusPage::~PortStatusPage()
{
    delete ui;
}

QList<PortStatusLable *> PortStatusPage::buildCards(
    QWidget *group, const QString &prefix, int kind, QList<QWidget *> *fillers)
{
    QList<PortStatusLable *> cards;
    for (int number = 1; number <= MaxPorts; ++number) {
        auto *card = new PortStatusLable(group);
        card->setObjectName(prefix + QString::number(number));
        card->setMaximumSize(CardMaximum);
        card->setPortName(m_names->name(static_cast<NameStore::Kind>(kind), number));
        card->setConnected(false);
        card->setResolution(NoResolution);
        cards.append(card);

        // Keeps a row of the smaller group as high as the other group's, so
        // that input and output cards have one size.
        auto *filler = new QWidget(group);
        filler->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        filler->setMaximumSize(CardMaximum);
        filler->hide();
        fillers->append(filler);
    }
    return cards;
}

// ---- operator actions --------------------------------------------------------

void PortStatusPage::on_pushButton_Refresh_port_status_clicked()
{
    refresh();
}

void PortStatusPage::refresh()
{
    // While the device cycles through scenes it is left alone.
    if (m_window->pollingRunning || m_refreshing)
        return;
    m_refreshing = true;
    m_window->setEnabled(false);
    m_window->showWaitingOverlay(true);

    const QString requests[] = {
        QString::fromLatin1(Protocol::Command::InfoLink),
        Protocol::build(Protocol::Command::GetInputResolution, { 0 }),
        Protocol::build(Protocol::Command::GetOutputResolution, { 0 }),
    };
    QPointer<PortStatusPage> self(this);
    QPointer<MainWindow> window(m_window);
    for (const QString &request : requests) {
        QString answer;
        QString received;
        const bool answered = window->sendDataDevice(request, answer, received);
        if (!window)
            return; // the window went away while the exchange waited
        if (!self) {
            window->showWaitingOverlay(false);
            window->setEnabled(true);
            return;
        }
        if (answered)
            window->Data_Processing(answer);
        else if (received.isEmpty())
            break; // a device that did not answer this will not answer the next either
    }

    m_window->showWaitingOverlay(false);
    m_window->setEnabled(true);
    m_refreshing = false;
}

// ---- device state ------------------------------------------------------------

void PortStatusPage::applyModel(const QString &model)
{
    const Switching::ModelLayout layout = Switching::layoutFor(model);
    const int rows = rowsFor(qMax(layout.inputs, layout.outputs));
    const int inputColumns = columnsFor(layout.inputs, rows);
    const int outputColumns = columnsFor(layout.outputs, rows);
    placeCards(ui->gridLayout_input_status, m_inputs, m_inputFillers, layout.inputs, inputColumns, rows);
    placeCards(ui->gridLayout_output_status, m_outputs, m_outputFillers, layout.outputs, outputColumns, rows);
    // Width in proportion to what the columns take, frame included: cards of
    // both groups come out (nearly) alike.
    ui->horizontalLayout_port_status_groups->setStretch(0, groupStretch(inputColumns));
    ui->horizontalLayout_port_status_groups->setStretch(1, groupStretch(outputColumns));

    // The body is as wide as the two groups can grow, the refresh button at
    // its right edge under the output cards.
    qint64 widest = ui->horizontalLayout_port_status_groups->spacing();
    for (QGroupBox *group : { ui->groupBox_input_status, ui->groupBox_output_status }) {
        group->layout()->activate();
        widest += group->maximumWidth();
    }
    ui->widget_port_status_body->setMaximumWidth(int(qMin<qint64>(widest, QWIDGETSIZE_MAX)));
}

void PortStatusPage::placeCards(QGridLayout *grid, const QList<PortStatusLable *> &cards,
    const QList<QWidget *> &fillers, int shown, int columns, int rows)
{
    clearGrid(grid);
    for (int cell = 0; cell < MaxPorts; ++cell) {
        QWidget *card = cards.at(cell);
        QWidget *filler = fillers.at(cell);
        const bool inGrid = cell < rows * columns;
        card->setVisible(cell < shown);
        filler->setVisible(inGrid && cell >= shown);
        if (inGrid)
            grid->addWidget(cell < shown ? card : filler, cell / columns, cell % columns);
    }
    for (int r = 0; r < rows; ++r)
        grid->setRowStretch(r, 1);
    for (int c = 0; c < columns; ++c)
        grid->setColumnStretch(c, 1);
}

void PortStatusPage::showPortStatus(const QVector<bool> &inputs, const QVector<bool> &outputs)
{
    for (int i = 0; i < inputs.size() && i < m_inputs.size(); ++i)
        m_inputs.at(i)->setConnected(inputs.at(i));
    for (int i = 0; i < outputs.size() && i < m_outputs.size(); ++i)
        m_outputs.at(i)->setConnected(outputs.at(i));
}

void PortStatusPage::showLinkLost()
{
    for (const QList<PortStatusLable *> *cards : { &m_inputs, &m_outputs }) {
        for (PortStatusLable *card : *cards) {
            card->setConnected(false);
            card->setResolution(NoResolution);
        }
    }
}

void PortStatusPage::showInputResolution(int input, const QString &resolution)
{
    if (PortStatusLable *card = inputLabel(input))
        card->setResolution(resolution);
}

void PortStatusPage::showOutputResolution(int output, const QString &resolution)
{
    if (PortStatusLable *card = outputLabel(output))
        card->setResolution(resolution);
}

void PortStatusPage::onNameChanged(int kind, int number)
{
    PortStatusLable *card = nullptr;
    if (kind == NameStore::Input)
        card = inputLabel(number);
    else if (kind == NameStore::Output)
        card = outputLabel(number);
    if (card)
        card->setPortName(m_names->name(static_cast<NameStore::Kind>(kind), number));
}

PortStatusLable *PortStatusPage::inputLabel(int input) const
{
    return input >= 1 && input <= m_inputs.size() ? m_inputs.at(input - 1) : nullptr;
}

PortStatusLable *PortStatusPage::outputLabel(int output) const
{
    return output >= 1 && output <= m_outputs.size() ? m_outputs.at(output - 1) : nullptr;
}

void PortStatusPage::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
