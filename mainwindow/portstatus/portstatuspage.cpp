#include "mainwindow/portstatus/portstatuspage.h"

#include <QEvent>

#include "ui_portstatuspage.h"

PortStatusPage::PortStatusPage(MainWindow *window, NameStore *names, QWidget *parent)
    : QWidget(parent), ui(new Ui::PortStatusPage), m_window(window), m_names(names)
{
    ui->setupUi(this);
}

PortStatusPage::~PortStatusPage()
{
    delete ui;
}

void PortStatusPage::onShown()
{
}

void PortStatusPage::refresh()
{
}

void PortStatusPage::on_pushButton_Refresh_port_status_clicked()
{
}

void PortStatusPage::applyModel(const QString &)
{
}

void PortStatusPage::showInputResolution(int, const QString &)
{
}

void PortStatusPage::showOutputResolution(int, const QString &)
{
}

PortStatusLable *PortStatusPage::inputLabel(int) const
{
    return nullptr;
}

PortStatusLable *PortStatusPage::outputLabel(int) const
{
    return nullptr;
}

void PortStatusPage::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
