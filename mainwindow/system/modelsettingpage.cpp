#include "mainwindow/system/modelsettingpage.h"
#include "ui_modelsettingpage.h"

#include "app/commonlyused.h"
#include "link/protocol/protocol.h"
#include "link/transport/devicelink.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/system/systemmodel.h"

#include <QEvent>

#include <iterator>

ModelSettingPage::ModelSettingPage(MainWindow *window, QWidget *parent)
    : QWidget(parent), m_window(window), ui(new Ui::ModelSettingPage)
{
    ui->setupUi(this);
    connect(ui->lineEdit_EquipmentName, &QLineEdit::returnPressed, this,
            &ModelSettingPage::on_pushButton_Model_saving_clicked);
    retranslateCodeTexts();
    connect(window, &MainWindow::Send_ModelApplied, this, &ModelSettingPage::showOverview);
    connect(window, &MainWindow::Send_StatusShown, this, &ModelSettingPage::showOverview);
}

ModelSettingPage::~ModelSettingPage()
{
    delete ui;
}

void ModelSettingPage::onShown()
{
    showOverview();
    if (m_window->pollingRunning)
        return;
    m_window->sendData(QString::fromLatin1(Protocol::Command::InfoDevice));
}

void ModelSettingPage::on_pushButton_Model_saving_clicked()
{
    const QString name = ui->lineEdit_EquipmentName->text().trimmed();
    const QString failure = QString::fromLatin1(Protocol::FailureStyle);
    // The name travels inside the request: a bracket or comma would end or
    // split it, and the device would run the rest as a request of its own.
    switch (System::checkDeviceName(name)) {
    case System::NameCheck::Ok:
        break;
    case System::NameCheck::Empty:
        m_window->showToast(tr("设备名称不能能为空！"), failure);
        return;
    case System::NameCheck::ForbiddenCharacter:
        m_window->showToast(tr("设备名称不能包含 ( ) , 或控制字符！"), failure);
        return;
    case System::NameCheck::NotEncodable:
        m_window->showToast(tr("设备名称包含设备无法显示的字符！"), failure);
        return;
    case System::NameCheck::TooLong:
        m_window->showToast(tr("设备名称过长（最多%1个字节）！").arg(System::MaxDeviceNameBytes), failure);
        return;
    }
    ui->lineEdit_EquipmentName->setText(name);
    m_window->sendData(System::renameRequest(name));
}

void ModelSettingPage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        retranslateCodeTexts();
    }
    QWidget::changeEvent(event);
}

void ModelSettingPage::showOverview()
{
    static const char *const DeviceTypes[] = {"Orvex", "Orvex-L", "Orvex-Q", "Orvex-T"};
    const int type = CommonlyUsed::ver_minor;
    ui->label_DeviceType_value->setText(
        type >= 0 && type < int(std::size(DeviceTypes)) ? QLatin1String(DeviceTypes[type]) : QStringLiteral("--"));
    // The size is known once the device has reported its ports.
    ui->label_DeviceModel_value->setText(m_window->modelApplied ? CommonlyUsed::deviceType : QStringLiteral("--"));
    QString link = QStringLiteral("--");
    if (m_window->connectionType == DeviceLink::TcpConnection)
        link = tr("TCP %1:%2").arg(m_window->deviceIp, m_window->portNumber);
    else if (m_window->connectionType == DeviceLink::SerialConnection)
        link = tr("串口 %1，%2 bps").arg(m_window->portName, m_window->baudRate);
    ui->label_Connection_value->setText(link);
}

void ModelSettingPage::retranslateCodeTexts()
{
    showOverview();
    ui->label_EquipmentName_Hint->setText(
        tr("最多%1个字节（一个汉字占2个字节），不能包含 ( ) , 等符号。").arg(System::MaxDeviceNameBytes));
}
