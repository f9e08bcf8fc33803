#include "netmodule/searchmodule.h"
#include "ui_searchmodule.h"

#include "app/commonlyused.h"
#include "netmodule/discoverycodec.h"
#include "netmodule/modulesearch.h"
#include "netmodule/netcfgclient.h"
#include "netmodule/netsettingscheck.h"
#include "netmodule/udpcommunication.h"
#include "widgets/my_warning.h"
#include "widgets/tipsdecor.h"
#include "widgets/titlebar.h"

#include <QDebug>
#include <QHash>
#include <QHeaderView>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTableWidgetItem>
#include <QTimer>

namespace {

const QString Ipv4Pattern =
    QStringLiteral("((2[0-4]\\d|25[0-5]|[01]?\\d\\d?)\\.){3}(2[0-4]\\d|25[0-5]|[01]?\\d\\d?)");
const QString HeaderStyle =
    QStringLiteral("QHeaderView::section {background-color:#EAEAEA;font-size:14px;color: #000000;}");
const QColor DuplicateColour(255, 0, 0);

} // namespace

SearchModule::SearchModule(QWidget *parent)
    : FBaseDialog(parent),
      ui(new Ui::SearchModule),
      m_netcfg(new NetcfgClient(this)),
      m_duplicateTimer(new QTimer(this))
{
    ui->setupUi(this);
    // The open and close animations take the window below its layout's size.
    ui->verticalLayout_main->setSizeConstraint(QLayout::SetNoConstraint);
    setWindowTitle(tr("IP搜索"));

    m_titleBar = new TitleBar(this);
    m_titleBar->setTitleIcon(TipsDecor::trayIcon());
    m_titleBar->setTitleContent(tr("IP搜索"));
    m_titleBar->setButtons(TitleBar::CloseButton);
    connect(m_titleBar, &TitleBar::send_close, this, &SearchModule::closeConnectionInterface);

    m_warning = new My_Warning(this);
    m_warning->hide();

    setupTable();
    setupFields();
    ui->frame_modifyNetwork->setVisible(m_advancedVisible);

    m_duplicateTimer->setSingleShot(true);
    m_duplicateTimer->setInterval(DuplicateCheckDelayMs);
    connect(m_duplicateTimer, &QTimer::timeout, this, &SearchModule::updatTableStatus);
    connect(UdpCommunication::getInstance(), &UdpCommunication::setReceiveData, this, &SearchModule::getReceiveData);
}

SearchModule::~SearchModule()
{
    delete ui;
}

void SearchModule::setupTable()
{
    QTableWidget *table = ui->tableWidget;
    table->setColumnCount(ColumnCount);
    table->setHorizontalHeaderLabels({tr("设备名"), tr("设备IP"), tr("设备MAC"), tr("版本")});
    table->setColumnHidden(NameColumn, true);
    table->setColumnHidden(VersionColumn, true);
    table->setColumnWidth(VersionColumn, VersionColumnWidth);
    table->verticalHeader()->setDefaultSectionSize(RowHeight);
    table->verticalHeader()->setVisible(false);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int column = NameColumn; column <= MacColumn; ++column)
        table->horizontalHeader()->setSectionResizeMode(column, QHeaderView::Stretch);
    table->horizontalHeader()->setStyleSheet(HeaderStyle);
    connect(table, &QTableWidget::cellClicked, this, &SearchModule::tableWidgetCellClicked);
}

void SearchModule::setupFields()
{
    const QRegularExpression pattern(QRegularExpression::anchoredPattern(Ipv4Pattern));
    const bool english = CommonlyUsed::getLanguageIndex() == EnglishLanguageIndex;
    for (QLineEdit *field : {ui->lineEdit_IPAddress1, ui->lineEdit_DefaultGateway1, ui->lineEdit_SubnetMask1}) {
        field->setValidator(new QRegularExpressionValidator(pattern, field));
        if (english)
            field->setFixedWidth(EnglishFieldWidth);
    }
}

void SearchModule::on_pushButtonSearch_clicked()
{
    searchIpAddress();
}

bool SearchModule::searchIpAddress()
{
    // A read still running would write its answer into the rebuilt table.
    m_netcfg->cancel();
    ui->tableWidget->clearContents();
    ui->tableWidget->setRowCount(0);
    return ModuleSearch::sendSearchRequest();
}

void SearchModule::getReceiveData(QString receiveData)
{
    const DiscoveryReply reply = DiscoveryCodec::decodeReplyHex(receiveData);
    if (!reply.valid) {
        qWarning().noquote() << QStringLiteral("search reply without module address ignored: %1").arg(receiveData);
        return;
    }
    qInfo().noquote() << QStringLiteral("search reply flag %1 command %2 MAC %3 IP %4 name %5 version %6")
                             .arg(QString::fromLatin1(reply.flag.toHex()))
                             .arg(reply.command)
                             .arg(reply.macText(), reply.ip, reply.name, reply.versionText());

    QTableWidget *table = ui->tableWidget;
    const int row = table->rowCount();
    table->insertRow(row);
    const QStringList cells{reply.name, reply.ip, reply.macText(), reply.versionText()};
    QFont font(QStringLiteral("Microsoft YaHei"));
    font.setPixelSize(CellFontPixelSize);
    for (int column = 0; column < ColumnCount; ++column) {
        auto *item = new QTableWidgetItem(cells.at(column));
        item->setFont(font);
        item->setTextAlignment(Qt::AlignCenter);
        table->setItem(row, column, item);
    }
    table->scrollToTop();
    m_duplicateTimer->start();
}

void SearchModule::updatTableStatus()
{
    m_duplicateTimer->stop();
    QTableWidget *table = ui->tableWidget;
    // One pass over the address column: thousands of replies stay quick, and
    // a module name that happens to read like an address is no duplicate.
    QHash<QString, QList<QTableWidgetItem *>> rowsByIp;
    for (int row = 0; row < table->rowCount(); ++row) {
        QTableWidgetItem *ipItem = table->item(row, IpColumn);
        if (ipItem && !ipItem->text().isEmpty())
            rowsByIp[ipItem->text()].append(ipItem);
    }
    for (const QList<QTableWidgetItem *> &items : qAsConst(rowsByIp)) {
        if (items.size() < 2)
            continue;
        for (QTableWidgetItem *item : items)
            item->setForeground(DuplicateColour);
    }
}

void SearchModule::setRowIp(int row, const QString &ip)
{
    // An answer without a readable address must not blank the row.
    if (ip.isEmpty())
        return;
    if (QTableWidgetItem *item = ui->tableWidget->item(row, IpColumn))
        item->setText(ip);
}

void SearchModule::tableWidgetCellClicked(int row, int column)
{
    Q_UNUSED(column)
    if (m_netcfg->isBusy()) {
        qInfo().noquote() << QStringLiteral("row %1 clicked while a module exchange runs; ignored").arg(row);
        return;
    }
    m_selectedRow = row;
    const QTableWidgetItem *ipItem = ui->tableWidget->item(row, IpColumn);
    if (!ipItem)
        return;
    NetworkSettings read;
    if (!m_netcfg->readSettings(ipItem->text(), read))
        return;
    ui->lineEdit_IPAddress1->setText(read.ip);
    ui->lineEdit_DefaultGateway1->setText(read.gateway);
    ui->lineEdit_SubnetMask1->setText(read.mask);
    setRowIp(row, read.ip);
}

void SearchModule::on_pushButtonModify_clicked()
{
    if (m_netcfg->isBusy()) {
        qInfo().noquote() << QStringLiteral("modify pressed while a module exchange runs; ignored");
        return;
    }
    const NetworkSettings entered{ui->lineEdit_IPAddress1->text().trimmed(), ui->lineEdit_SubnetMask1->text().trimmed(),
                                  ui->lineEdit_DefaultGateway1->text().trimmed()};
    using Result = NetSettingsCheck::Result;
    switch (NetSettingsCheck::check(entered, localAddresses())) {
    case Result::Ok:
        break;
    case Result::IpEmpty:
        return showToast(tr("IP地址不能为空！"), false);
    case Result::GatewayEmpty:
        return showToast(tr("默认网关不能为空！"), false);
    case Result::MaskEmpty:
        return showToast(tr("子网掩码不能为空！"), false);
    case Result::IpMalformed:
        return showToast(tr("IP地址格式错误！"), false);
    case Result::GatewayMalformed:
        return showToast(tr("默认网关格式错误！"), false);
    case Result::MaskMalformed:
        return showToast(tr("子网掩码格式错误！"), false);
    case Result::NotInLocalSegment:
        return showToast(tr("电脑中不包含该网段!"), false);
    }

    // The remembered row may be gone (no search yet, or a smaller one).
    const QTableWidgetItem *target = ui->tableWidget->item(m_selectedRow, IpColumn);
    if (!target) {
        qWarning().noquote() << QStringLiteral("修改网络参数: no module at row %1").arg(m_selectedRow);
        return showToast(tr("请先选择一个模块！"), false);
    }

    // Plain decimal numbers on the wire ("001" means 1 to us, maybe not to the device).
    const NetworkSettings wanted{CommonlyUsed::Normalize_IP_Address(entered.ip),
                                 CommonlyUsed::Normalize_IP_Address(entered.mask),
                                 CommonlyUsed::Normalize_IP_Address(entered.gateway)};
    NetworkSettings answered;
    if (!m_netcfg->changeSettings(target->text(), wanted, answered))
        return;
    ui->lineEdit_IPAddress1->setText(answered.ip);
    ui->lineEdit_DefaultGateway1->setText(answered.gateway);
    ui->lineEdit_SubnetMask1->setText(answered.mask);
    setRowIp(m_selectedRow, answered.ip);
    updatTableStatus();
    if (CommonlyUsed::Normalize_IP_Address(answered.ip) == wanted.ip) {
        showToast(tr("模块正在重启！"), true);
    } else {
        qWarning().noquote() << QStringLiteral("修改网络参数: asked for %1, module answered %2").arg(wanted.ip, answered.ip);
        showToast(tr("模块未接受新的IP地址！"), false);
    }
}

void SearchModule::on_pushButtonAdvanced_clicked()
{
    m_advancedVisible = !m_advancedVisible;
    ui->frame_modifyNetwork->setVisible(m_advancedVisible);
}

QList<LocalAddress> SearchModule::localAddresses() const
{
    return m_localAddresses.isEmpty() ? LocalAddress::current() : m_localAddresses;
}

void SearchModule::showToast(const QString &text, bool success)
{
    m_warning->showMessage(text, success ? My_Warning::successStyle() : My_Warning::failureStyle());
    m_warning->raise();
}

void SearchModule::showEvent(QShowEvent *event)
{
    FBaseDialog::showEvent(event);
    if (m_openAnimated)
        return;
    m_openAnimated = true;
    // Grow from the centre of the screen while fading in.
    QRect target(QPoint(), size());
    target.moveCenter(TipsDecor::primaryAvailableArea().center());
    const QRect start(target.center(), QSize(1, 1));
    auto *group = new QParallelAnimationGroup(this);
    auto *grow = new QPropertyAnimation(this, "geometry", group);
    grow->setDuration(AnimationMs);
    grow->setStartValue(start);
    grow->setEndValue(target);
    auto *fade = new QPropertyAnimation(this, "windowOpacity", group);
    fade->setDuration(AnimationMs);
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    group->addAnimation(grow);
    group->addAnimation(fade);
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void SearchModule::resizeEvent(QResizeEvent *event)
{
    FBaseDialog::resizeEvent(event);
    TipsDecor::applyRoundedMask(this, CornerRadius);
}

void SearchModule::closeConnectionInterface()
{
    if (m_closeAnimation)
        return;
    m_netcfg->cancel();
    // Collapse to a one-pixel strip at the vertical centre while fading out.
    const QRect from = geometry();
    const QRect to(from.x(), from.y() + from.height() / 2, from.width(), 1);
    m_closeAnimation = new QParallelAnimationGroup(this);
    auto *collapse = new QPropertyAnimation(this, "geometry", m_closeAnimation);
    collapse->setDuration(AnimationMs);
    collapse->setStartValue(from);
    collapse->setEndValue(to);
    auto *fade = new QPropertyAnimation(this, "windowOpacity", m_closeAnimation);
    fade->setDuration(AnimationMs);
    fade->setStartValue(1.0);
    fade->setEndValue(0.0);
    m_closeAnimation->addAnimation(collapse);
    m_closeAnimation->addAnimation(fade);
    connect(m_closeAnimation, &QParallelAnimationGroup::finished, this, [this] {
        m_closeAnimation->deleteLater();
        m_closeAnimation = nullptr;
        close();
    });
    m_closeAnimation->start();
}
