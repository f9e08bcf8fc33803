#include "mainwindow/system/versionspanel.h"
#include "ui_versionspanel.h"

#include <QEvent>

VersionsPanel::VersionsPanel(QWidget *parent)
    : QWidget(parent), ui(new Ui::VersionsPanel)
{
    ui->setupUi(this);
}

VersionsPanel::~VersionsPanel()
{
    delete ui;
}

void VersionsPanel::applyModel(const QString &model)
{
    Q_UNUSED(model)
}

void VersionsPanel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    QWidget::changeEvent(event);
}
