#include "mainwindow/system/modelsettingpage.h"
#include "ui_modelsettingpage.h"
#include "mainwindow/mainwindow.h"

#include <QEvent>

ModelSettingPage::ModelSettingPage(MainWindow *window, QWidget *parent)
    : QWidget(parent), m_window(window), ui(new Ui::ModelSettingPage)
{
    ui->setupUi(this);
}

ModelSettingPage::~ModelSettingPage()
{
    delete ui;
}

void ModelSettingPage::onShown()
{
}

void ModelSettingPage::on_pushButton_Model_saving_clicked()
{
}

void ModelSettingPage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    QWidget::changeEvent(event);
}
