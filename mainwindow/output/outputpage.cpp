#include "mainwindow/output/outputpage.h"

#include <QEvent>

#include "ui_outputpage.h"

OutputPage::OutputPage(MainWindow *window, NameStore *names, QWidget *parent)
    : QWidget(parent), ui(new Ui::OutputPage), m_window(window), m_names(names)
{
    ui->setupUi(this);
}

OutputPage::~OutputPage()
{
    delete ui;
}

void OutputPage::refresh()
{
}

void OutputPage::queryOutput(int)
{
}

void OutputPage::OutputSetting_currentTextChanged(const QString &)
{
}

void OutputPage::toolButton_OutPutHDMI_clicked()
{
}

void OutputPage::onResolutionRatioActivated(int)
{
}

void OutputPage::onSignalFormatActivated(int)
{
}

void OutputPage::onMouseButtonRelease(int)
{
}

void OutputPage::onSliderValueChange(int)
{
}

void OutputPage::pushButtonAudioSwitch_clicked()
{
}

void OutputPage::setPictureSliders(int, int, int)
{
}

QComboBox *OutputPage::resolutionCombo(int) const
{
    return nullptr;
}

QComboBox *OutputPage::formatCombo(int) const
{
    return nullptr;
}

CustomizeVolumeSlider *OutputPage::brightnessSlider(int) const
{
    return nullptr;
}

CustomizeVolumeSlider *OutputPage::contrastSlider(int) const
{
    return nullptr;
}

QPushButton *OutputPage::audioSwitch(int) const
{
    return nullptr;
}

void OutputPage::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
}
