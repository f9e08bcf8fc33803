#include "mainwindow/system/firmwarepage.h"
#include "ui_firmwarepage.h"
#include "mainwindow/mainwindow.h"

#include <QEvent>

FirmwarePage::FirmwarePage(MainWindow *window, QWidget *parent)
    : QWidget(parent), m_window(window), ui(new Ui::FirmwarePage)
{
    ui->setupUi(this);
}

FirmwarePage::~FirmwarePage()
{
    delete ui;
}

void FirmwarePage::on_pushButton_browse_clicked()
{
}

void FirmwarePage::on_radioButton_MCU_clicked(bool checked)
{
    Q_UNUSED(checked)
}

void FirmwarePage::on_radioButton_FPGA_clicked(bool checked)
{
    Q_UNUSED(checked)
}

void FirmwarePage::on_pushButton_upgrade_clicked()
{
}

void FirmwarePage::applyModel(const QString &model)
{
    Q_UNUSED(model)
}

void FirmwarePage::setFirmwareFile(const QString &path)
{
    Q_UNUSED(path)
}

void FirmwarePage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    QWidget::changeEvent(event);
}

void FirmwarePage::fillTargets()
{
}
