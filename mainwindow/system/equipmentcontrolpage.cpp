#include "mainwindow/system/equipmentcontrolpage.h"
#include "ui_equipmentcontrolpage.h"
#include "mainwindow/mainwindow.h"

#include <QEvent>

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
}

void EquipmentControlPage::on_pushButton_system_standby_clicked()
{
}

void EquipmentControlPage::on_pushButton_System_wake_up_clicked()
{
}

void EquipmentControlPage::on_pushButton_Key_lock_clicked()
{
}

void EquipmentControlPage::on_pushButton_Key_unlocking_clicked()
{
}

void EquipmentControlPage::on_pushButton_Restore_factory_clicked()
{
}

void EquipmentControlPage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    QWidget::changeEvent(event);
}
