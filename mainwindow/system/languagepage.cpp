#include "mainwindow/system/languagepage.h"
#include "ui_languagepage.h"
#include "mainwindow/mainwindow.h"

#include <QEvent>

LanguagePage::LanguagePage(MainWindow *window, QWidget *parent)
    : QWidget(parent), m_window(window), ui(new Ui::LanguagePage)
{
    ui->setupUi(this);
}

LanguagePage::~LanguagePage()
{
    delete ui;
}

void LanguagePage::on_pushButton_Language_selection_set_clicked()
{
}

void LanguagePage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    QWidget::changeEvent(event);
}
