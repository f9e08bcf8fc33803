#include "mainwindow/system/modelsettingpage.h"
#include "ui_modelsettingpage.h"

#include "link/protocol/protocol.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/system/systemmodel.h"

#include <QEvent>

ModelSettingPage::ModelSettingPage(MainWindow *window, QWidget *parent)
    : QWidget(parent), m_window(window), ui(new Ui::ModelSettingPage)
{
    ui->setupUi(this);
    connect(ui->lineEdit_EquipmentName, &QLineEdit::returnPressed, this,
            &ModelSettingPage::on_pushButton_Model_saving_clicked);
    retranslateCodeTexts();
}

ModelSettingPage::~ModelSettingPage()
{
    delete ui;
}

void ModelSettingPage::onShown()
{
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

void ModelSettingPage::retranslateCodeTexts()
{
    ui->label_EquipmentName_Hint->setText(
        tr("最多%1个字节（一个汉字占2个字节），不能包含 ( ) , 等符号。").arg(System::MaxDeviceNameBytes));
}
