#include "mainwindow/system/networksettingspage.h"
#include "ui_networksettingspage.h"
#include "mainwindow/mainwindow.h"

#include <QEvent>

class NetworkSettingsPage::Sink
{
};

NetworkSettingsPage::NetworkSettingsPage(MainWindow *window, QWidget *parent)
    : QWidget(parent), m_window(window), ui(new Ui::NetworkSettingsPage)
{
    ui->setupUi(this);
}

NetworkSettingsPage::~NetworkSettingsPage()
{
    delete ui;
}

void NetworkSettingsPage::onShown()
{
}

void NetworkSettingsPage::on_pushButton_query_input_clicked()
{
}

void NetworkSettingsPage::on_pushButton_query_output_clicked()
{
}

void NetworkSettingsPage::on_pushButton_set_input_clicked()
{
}

void NetworkSettingsPage::on_pushButton_set_output_clicked()
{
}

void NetworkSettingsPage::on_pushButton_Save_IP_settings_clicked()
{
}

void NetworkSettingsPage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    QWidget::changeEvent(event);
}

void NetworkSettingsPage::onBaudFinished(System::SerialPort port, BaudChange::Outcome outcome, const QString &rate)
{
    Q_UNUSED(port)
    Q_UNUSED(outcome)
    Q_UNUSED(rate)
}
