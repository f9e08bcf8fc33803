#include "mainwindow/system/versionspanel.h"
#include "ui_versionspanel.h"

#include "link/dispatch/replydispatcher.h"

#include <QEvent>

namespace {
// The larger devices report a receiver and a transmitter board instead of a
// control card.
bool hasBoardVersions(const QString &model)
{
    return model == QLatin1String("8x16") || model == QLatin1String("16x16");
}
} // namespace

VersionsPanel::VersionsPanel(QWidget *parent)
    : QWidget(parent), ui(new Ui::VersionsPanel)
{
    ui->setupUi(this);
    ui->label_Host_computer_version->setText(QLatin1String(ReplyDispatcher::HostVersion));
}

VersionsPanel::~VersionsPanel()
{
    delete ui;
}

void VersionsPanel::applyModel(const QString &model)
{
    const bool boards = hasBoardVersions(model);
    ui->widget_ControlCardVersion->setVisible(!boards);
    ui->widget_RXVersion->setVisible(boards);
    ui->widget_TXVersion->setVisible(boards);
}

void VersionsPanel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    QWidget::changeEvent(event);
}
