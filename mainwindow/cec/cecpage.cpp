#include "mainwindow/cec/cecpage.h"

#include <QEvent>

#include "ui_cecpage.h"

CecPage::CecPage(MainWindow *window, QWidget *parent)
    : QWidget(parent), ui(new Ui::CecPage), m_window(window)
{
    ui->setupUi(this);
}

CecPage::~CecPage()
{
    delete ui;
}

void CecPage::loadConfiguration()
{
}

void CecPage::on_pushButton_load_clicked()
{
}

void CecPage::on_pushButton_save_clicked()
{
}

void CecPage::on_pushButton_default_clicked()
{
}

void CecPage::PushButton_Controls_clicked()
{
}

QLineEdit *CecPage::featureField(int) const
{
    return nullptr;
}

QLineEdit *CecPage::orderField(int) const
{
    return nullptr;
}

QPushButton *CecPage::portButton(int) const
{
    return nullptr;
}

QPushButton *CecPage::controlButton(int) const
{
    return nullptr;
}

void CecPage::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
