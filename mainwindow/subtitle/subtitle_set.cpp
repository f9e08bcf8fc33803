#include "mainwindow/subtitle/subtitle_set.h"
#include "ui_subtitle_set.h"

#include <QEvent>

Subtitle_Set::Subtitle_Set(QWidget *parent)
    : FBaseDialog(parent), ui(new Ui::Subtitle_Set)
{
    ui->setupUi(this);
}

Subtitle_Set::~Subtitle_Set()
{
    delete ui;
}

void Subtitle_Set::setPort(const QString &name, int port)
{
    Q_UNUSED(name)
    Q_UNUSED(port)
}

void Subtitle_Set::setSettings(const Subtitle::Settings &settings)
{
    Q_UNUSED(settings)
}

QString Subtitle_Set::buildRequest(QString *error) const
{
    Q_UNUSED(error)
    return QString();
}

void Subtitle_Set::on_pushButton_Subtitle_OK_clicked()
{
}

void Subtitle_Set::on_pushButton_Subtitle_Cancel_clicked()
{
}

void Subtitle_Set::on_pushButton_White_clicked()
{
}

void Subtitle_Set::on_pushButton_Red_clicked()
{
}

void Subtitle_Set::on_pushButton_Green_clicked()
{
}

void Subtitle_Set::on_pushButton_Blue_clicked()
{
}

void Subtitle_Set::on_pushButton_Black_clicked()
{
}

void Subtitle_Set::showEvent(QShowEvent *event)
{
    FBaseDialog::showEvent(event);
}

void Subtitle_Set::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    FBaseDialog::changeEvent(event);
}

void Subtitle_Set::closeAnimationFinished()
{
    FBaseDialog::closeAnimationFinished();
}

void Subtitle_Set::retranslateTitle()
{
}
