#include "mainwindow/cec/cecpage.h"

#include "link/protocol/protocol.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/naming/buttontext.h"
#include "ui_cecpage.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

namespace {

constexpr int CecPageIndex = 2;
constexpr int PanelColumns = 4;
constexpr int ControlMinWidth = 72;
constexpr int ControlMinHeight = 44;
// Room the style sheet's padding takes from a control button's text.
constexpr int ControlTextMargin = 36;
constexpr int PortButtonMinWidth = 76;
constexpr int RowNumberWidth = 40;
constexpr int FeatureStretch = 2;
constexpr int OrderStretch = 3;

const char OrderProperty[] = "Order";
const char RowProperty[] = "cecRow";
const QString InvalidFieldStyle = QStringLiteral("QLineEdit { border: 1px solid rgb(204, 0, 0); }");

QString rowList(const QVector<int> &rows)
{
    QStringList numbers;
    for (int row : rows)
        numbers << QString::number(row);
    return numbers.join(QStringLiteral(", "));
}

} // namespace

CecPage::CecPage(MainWindow *window, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::CecPage)
    , m_window(window)
    , m_captions(Cec::RowCount)
{
    ui->setupUi(this);
    buildControls();
    buildRows();
    retranslateRows();
    connect(m_window, &MainWindow::Send_PageShown, this, [this](int page) {
        if (page == CecPageIndex)
            loadConfiguration();
    });
}

CecPage::~CecPage()
{
    delete ui;
}

// ---- construction -----------------------------------------------------------

void CecPage::buildControls()
{
    for (int row = 1; row <= Cec::RowCount; ++row) {
        auto *button = new QPushButton(ui->groupBox_Controls);
        button->setObjectName(QStringLiteral("pushButton_Controls_%1").arg(row));
        button->setProperty("Type", QStringLiteral("cecControlsBut"));
        button->setProperty(OrderProperty, QString());
        button->setProperty(RowProperty, row);
        // The caption is cut to the width the panel gives, never the reverse.
        button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
        button->setMinimumSize(ControlMinWidth, ControlMinHeight);
        button->installEventFilter(this);
        connect(button, &QPushButton::clicked, this, &CecPage::PushButton_Controls_clicked);
        ui->gridLayout_Controls->addWidget(button, (row - 1) / PanelColumns, (row - 1) % PanelColumns);
        m_controls.append(button);
        setCaption(row, Cec::defaultCaption(row));
    }
}

void CecPage::buildRows()
{
    QGridLayout *grid = ui->gridLayout_Rows;
    QWidget *host = ui->scrollAreaWidgetContents_Rows;
    ui->label_HeaderNumber->setMinimumWidth(RowNumberWidth);
    for (int row = 1; row <= Cec::RowCount; ++row) {
        auto *number = new QLabel(QString::number(row), host);
        number->setObjectName(QStringLiteral("label_Row_%1").arg(row));
        number->setAlignment(Qt::AlignCenter);
        number->setStyleSheet(QStringLiteral("color: #5B6B7F;"));

        auto *feature = new QLineEdit(Cec::defaultCaption(row), host);
        feature->setObjectName(QStringLiteral("lineEdit_Feature_%1").arg(row));

        auto *port = new QPushButton(host);
        port->setObjectName(QStringLiteral("pushButton_CecPort_%1").arg(row));
        port->setProperty("Type", QStringLiteral("CecPortBut"));
        port->setCheckable(true);
        port->setMinimumWidth(PortButtonMinWidth);
        port->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
        connect(port, &QPushButton::toggled, this, [this, row] { showPortText(row); });

        auto *order = new QLineEdit(host);
        order->setObjectName(QStringLiteral("lineEdit_order_%1").arg(row));
        connect(order, &QLineEdit::textChanged, this, [this, row] { markOrderField(row); });

        // A tall page spreads the rows evenly instead of leaving a blank below.
        grid->setRowStretch(row, 1);
        grid->addWidget(number, row, 0, Qt::AlignVCenter);
        grid->addWidget(feature, row, 1, Qt::AlignVCenter);
        grid->addWidget(port, row, 2, Qt::AlignVCenter);
        grid->addWidget(order, row, 3, Qt::AlignVCenter);
        m_features.append(feature);
        m_ports.append(port);
        m_orders.append(order);
    }
    grid->setColumnStretch(1, FeatureStretch);
    grid->setColumnStretch(3, OrderStretch);
}

void CecPage::retranslateRows()
{
    for (int row = 1; row <= Cec::RowCount; ++row) {
        showPortText(row);
        portButton(row)->setToolTip(tr("点击切换端口1/端口2"));
        featureField(row)->setPlaceholderText(Cec::defaultCaption(row));
        orderField(row)->setPlaceholderText(QStringLiteral("44,01,02"));
        markOrderField(row);
    }
}

// ---- row widgets --------------------------------------------------------------

QLineEdit *CecPage::featureField(int row) const
{
    return row >= 1 && row <= m_features.size() ? m_features.at(row - 1) : nullptr;
}

QLineEdit *CecPage::orderField(int row) const
{
    return row >= 1 && row <= m_orders.size() ? m_orders.at(row - 1) : nullptr;
}

QPushButton *CecPage::portButton(int row) const
{
    return row >= 1 && row <= m_ports.size() ? m_ports.at(row - 1) : nullptr;
}

QPushButton *CecPage::controlButton(int row) const
{
    return row >= 1 && row <= m_controls.size() ? m_controls.at(row - 1) : nullptr;
}

void CecPage::setCaption(int row, const QString &caption)
{
    m_captions[row - 1] = caption;
    controlButton(row)->setToolTip(caption);
    showCaption(row);
}

void CecPage::showCaption(int row)
{
    QPushButton *button = controlButton(row);
    const QString &caption = m_captions.at(row - 1);
    // A hidden button may not have its width yet; it is cut when shown.
    if (!button->isVisible()) {
        button->setText(ButtonText::escape(caption));
        return;
    }
    const int room = qMax(0, button->width() - ControlTextMargin);
    button->setText(ButtonText::escape(button->fontMetrics().elidedText(caption, Qt::ElideRight, room)));
}

void CecPage::showPortText(int row)
{
    QPushButton *port = portButton(row);
    port->setText(port->isChecked() ? tr("端口2") : tr("端口1"));
}

void CecPage::markOrderField(int row)
{
    QLineEdit *field = orderField(row);
    const Cec::FieldsError error = Cec::fieldsError(field->text().trimmed());
    const bool valid = error == Cec::FieldsError::None;
    // Each new style sheet re-polishes the field: only when the mark changes.
    const QString style = valid ? QString() : InvalidFieldStyle;
    if (field->styleSheet() != style)
        field->setStyleSheet(style);
    field->setToolTip(valid ? tr("以逗号分隔的字节，例如 44,01,02") : fieldsErrorText(error));
}

QString CecPage::fieldsErrorText(Cec::FieldsError error)
{
    switch (error) {
    case Cec::FieldsError::Parenthesis:
        return tr("指令不能包含括号");
    case Cec::FieldsError::Blank:
        return tr("指令不能包含空格");
    case Cec::FieldsError::Control:
        return tr("指令不能包含控制字符");
    case Cec::FieldsError::NonAscii:
        return tr("指令只能包含英文字母、数字和符号");
    case Cec::FieldsError::EmptyItem:
        return tr("指令中逗号之间不能为空");
    case Cec::FieldsError::None:
        break;
    }
    return QString();
}

// ---- operator actions --------------------------------------------------------

void CecPage::loadConfiguration()
{
    if (!m_store.load()) {
        m_window->showToast(tr("CEC配置读取失败！"), QString::fromLatin1(Protocol::FailureStyle));
        return;
    }
    for (int row = 1; row <= Cec::RowCount; ++row) {
        const Cec::Row &stored = m_store.rows().at(row - 1);
        const QString caption = ButtonText::withoutLineBreaks(stored.caption);
        if (!caption.isEmpty()) {
            setCaption(row, caption);
            featureField(row)->setText(caption);
        }
        if (stored.command.isEmpty())
            continue;
        const std::optional<Cec::StoredCommand> command = Cec::parseStoredCommand(stored.command);
        if (!command)
            continue; // the store keeps only commands that read back
        controlButton(row)->setProperty(OrderProperty, stored.command);
        if (command->type)
            portButton(row)->setChecked(*command->type == 2);
        orderField(row)->setText(command->fields);
    }
    const QVector<int> &dropped = m_store.droppedRows();
    for (int row : dropped) {
        // What it held could carry a second command: the row sends nothing.
        controlButton(row)->setProperty(OrderProperty, QString());
        orderField(row)->clear();
    }
    if (!dropped.isEmpty())
        m_window->showToast(tr("第%1行的CEC指令无效，已忽略！").arg(rowList(dropped)),
            QString::fromLatin1(Protocol::FailureStyle));
}

bool CecPage::applyRows()
{
    QVector<int> refused;
    Cec::FieldsError firstError = Cec::FieldsError::None;
    for (int row = 1; row <= Cec::RowCount; ++row) {
        const QString caption = featureField(row)->text().trimmed();
        if (!caption.isEmpty())
            setCaption(row, caption);
        const QString fields = orderField(row)->text().trimmed();
        const Cec::FieldsError error = Cec::fieldsError(fields);
        if (error != Cec::FieldsError::None) {
            // The button keeps the command it had: never half a command.
            if (refused.isEmpty())
                firstError = error;
            refused << row;
            continue;
        }
        controlButton(row)->setProperty(
            OrderProperty, Cec::buildCommand(portButton(row)->isChecked(), fields));
    }
    if (refused.isEmpty())
        return true;

    QLineEdit *first = orderField(refused.first());
    ui->scrollArea_Rows->ensureWidgetVisible(first);
    first->setFocus();
    first->selectAll();
    QString text = tr("第%1行：%2，该行未应用！").arg(refused.first()).arg(fieldsErrorText(firstError));
    if (refused.size() > 1)
        text += QLatin1Char(' ') + tr("第%1行也未应用。").arg(rowList(refused.mid(1)));
    m_window->showToast(text, QString::fromLatin1(Protocol::FailureStyle));
    return false;
}

void CecPage::on_pushButton_load_clicked()
{
    if (applyRows())
        m_window->showToast(tr("应用成功！"), QString::fromLatin1(Protocol::SuccessStyle));
}

void CecPage::on_pushButton_save_clicked()
{
    QVector<Cec::Row> rows(Cec::RowCount);
    for (int row = 1; row <= Cec::RowCount; ++row) {
        rows[row - 1].caption = m_captions.at(row - 1);
        rows[row - 1].command = controlButton(row)->property(OrderProperty).toString();
    }
    if (m_store.save(rows))
        m_window->showToast(tr("配置保存成功!"), QString::fromLatin1(Protocol::SuccessStyle));
    else
        m_window->showToast(tr("配置保存失败！"), QString::fromLatin1(Protocol::FailureStyle));
}

void CecPage::on_pushButton_default_clicked()
{
    for (int row = 1; row <= Cec::RowCount; ++row) {
        featureField(row)->setText(Cec::defaultCaption(row));
        orderField(row)->clear();
        portButton(row)->setChecked(false);
    }
    applyRows();
    on_pushButton_save_clicked();
}

void CecPage::PushButton_Controls_clicked()
{
    const auto *button = qobject_cast<const QPushButton *>(sender());
    if (!button)
        return;
    const QString order = button->property(OrderProperty).toString();
    // Only a command that reads back as one CEC command leaves the program.
    if (order.isEmpty() || !Cec::parseStoredCommand(order))
        return;
    m_window->sendData(order);
}

// ---- events --------------------------------------------------------------------

bool CecPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize || event->type() == QEvent::Show
        || event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        const int row = watched->property(RowProperty).toInt();
        if (row >= 1 && row <= m_controls.size() && watched == m_controls.at(row - 1))
            showCaption(row);
    }
    return QWidget::eventFilter(watched, event);
}

void CecPage::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslateRows();
    }
}
