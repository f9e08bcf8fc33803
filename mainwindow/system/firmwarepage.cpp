#include "mainwindow/system/firmwarepage.h"
#include "ui_firmwarepage.h"

#include "app/commonlyused.h"
#include "app/settingscatalogue.h"
#include "link/protocol/protocol.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/system/systemmodel.h"

#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString FirmwareFilter = QStringLiteral("source(*.bin)");

// Where the file dialog opens: the folder of the last firmware file while it
// still exists, else the operator's documents.
QString startFolder()
{
    const QString last = SettingsCatalogue::readString(SettingsCatalogue::Keys::UpgradeFilePath);
    if (!last.isEmpty()) {
        const QDir folder = QFileInfo(last).absoluteDir();
        if (folder.exists())
            return folder.absolutePath();
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}
} // namespace

FirmwarePage::FirmwarePage(MainWindow *window, QWidget *parent)
    : QWidget(parent), m_window(window), ui(new Ui::FirmwarePage), m_model(CommonlyUsed::deviceType)
{
    ui->setupUi(this);
    showTransferIdle();
    showTransferUnavailable();
    fillTargets();
}

FirmwarePage::~FirmwarePage()
{
    delete ui;
}

void FirmwarePage::on_pushButton_browse_clicked()
{
    m_window->fileDialogOpen = true;
    const QString path = QFileDialog::getOpenFileName(this, tr("请选择升级文件"), startFolder(), FirmwareFilter);
    m_window->fileDialogOpen = false;
    if (path.isEmpty()) {
        m_window->showToast(tr("文件打开失败！"), QString::fromLatin1(Protocol::FailureStyle));
        return;
    }
    if (!SettingsCatalogue::write(SettingsCatalogue::Keys::UpgradeFilePath, path))
        qWarning() << "firmware file path not stored:" << path;
    setFirmwareFile(path);
}

void FirmwarePage::on_radioButton_MCU_clicked(bool checked)
{
    if (checked)
        ui->radioButton_FPGA->setChecked(false);
    fillTargets();
}

void FirmwarePage::on_radioButton_FPGA_clicked(bool checked)
{
    if (checked)
        ui->radioButton_MCU->setChecked(false);
    fillTargets();
}

void FirmwarePage::on_pushButton_upgrade_clicked()
{
    // The button stays disabled until the transfer exists; a call from
    // elsewhere tells the operator rather than doing nothing.
    m_window->showToast(transferUnavailableText(), QString::fromLatin1(Protocol::FailureStyle));
}

void FirmwarePage::applyModel(const QString &model)
{
    m_model = model;
    fillTargets();
}

void FirmwarePage::setFirmwareFile(const QString &path)
{
    ui->lineEdit_FirmwareUpdate->setText(QDir::toNativeSeparators(path));
    ui->lineEdit_FirmwareUpdate->setToolTip(ui->lineEdit_FirmwareUpdate->text());
}

void FirmwarePage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        showTransferUnavailable();
    }
    QWidget::changeEvent(event);
}

void FirmwarePage::fillTargets()
{
    QStringList targets;
    if (ui->radioButton_MCU->isChecked())
        targets = System::firmwareTargets(m_model, true);
    else if (ui->radioButton_FPGA->isChecked())
        targets = System::firmwareTargets(m_model, false);
    else
        targets = QStringList{QString()}; // no kind chosen: one empty entry
    ui->comboBox_FirmwareUpdate->clear();
    ui->comboBox_FirmwareUpdate->addItems(targets);
    // A model without targets of this kind offers nothing to pick.
    ui->comboBox_FirmwareUpdate->setEnabled(!targets.isEmpty());
}

void FirmwarePage::showTransferIdle()
{
    ui->label_Firmware_Upgrade->hide();
    ui->progressBar_Firmware_Update->hide();
    ui->progressBar_Firmware_Update->setValue(0);
}

void FirmwarePage::showTransferUnavailable()
{
    ui->pushButton_upgrade->setEnabled(false);
    ui->pushButton_upgrade->setToolTip(transferUnavailableText());
}

QString FirmwarePage::transferUnavailableText() const
{
    return tr("固件传输功能即将提供");
}
