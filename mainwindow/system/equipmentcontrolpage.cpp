#include "mainwindow/system/equipmentcontrolpage.h"
#include "ui_equipmentcontrolpage.h"

#include "link/protocol/protocol.h"
#include "mainwindow/mainwindow.h"

#include <QEvent>
#include <QSignalBlocker>

EquipmentControlPage::EquipmentControlPage(MainWindow *window, QWidget *parent)
    : QWidget(parent), m_window(window), ui(new Ui::EquipmentControlPage)
{
    ui->setupUi(this);
}

EquipmentControlPage::~EquipmentControlPage()
{
    delete ui;
}

void EquipmentControlPage::onShown()
{
    if (m_window->pollingRunning)
        return;
    m_window->sendData(QString::fromLatin1(Protocol::Command::InfoDevice));
}

void EquipmentControlPage::on_pushButton_system_standby_clicked()
{
    keepDeviceState(ui->pushButton_system_standby);
    m_window->sendData(QString::fromLatin1(Protocol::Command::Standby));
}

void EquipmentControlPage::on_pushButton_System_wake_up_clicked()
{
    keepDeviceState(ui->pushButton_System_wake_up);
    // The device's "systemon" then runs the wake-up sequence.
    m_window->wakePending = true;
    m_window->sendData(QString::fromLatin1(Protocol::Command::WakeUp));
}

void EquipmentControlPage::on_pushButton_Key_lock_clicked()
{
    keepDeviceState(ui->pushButton_Key_lock);
    m_window->sendData(QString::fromLatin1(Protocol::Command::KeyLock));
}

void EquipmentControlPage::on_pushButton_Key_unlocking_clicked()
{
    keepDeviceState(ui->pushButton_Key_unlocking);
    m_window->sendData(QString::fromLatin1(Protocol::Command::KeyUnlock));
}

void EquipmentControlPage::on_pushButton_Restore_factory_clicked()
{
    keepDeviceState(ui->pushButton_Restore_factory);
    // One click would wipe the device, the stored link settings and every
    // name: the operator confirms first.
    m_window->askYesNo(tr("恢复出厂设置将清除设备的全部设置、场景和通道名称，是否继续？"), this, [this](bool yes) {
        if (yes)
            m_window->sendData(QString::fromLatin1(Protocol::Command::FactoryReset));
    });
}

void EquipmentControlPage::keepDeviceState(QAbstractButton *button)
{
    // The click has already toggled the button; only the device's answer may
    // change what it shows. A direct call of the slot toggled nothing.
    if (sender() != button)
        return;
    const QSignalBlocker blocker(button);
    button->setChecked(!button->isChecked());
}

void EquipmentControlPage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    QWidget::changeEvent(event);
}
