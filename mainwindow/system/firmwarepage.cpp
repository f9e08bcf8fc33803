#include "mainwindow/system/firmwarepage.h"
#include "ui_firmwarepage.h"

#include "app/commonlyused.h"
#include "app/settingscatalogue.h"
#include "link/protocol/protocol.h"
#include "link/transfer/transferfile.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/system/systemmodel.h"
#include "mainwindow/transfer/transferrunner.h"

#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString FirmwareFilter = QStringLiteral("source(*.bin)");

// Where the file dialog opens: the folder of the last file of this kind while
// it still exists, else the operator's documents.
QString startFolder(const SettingsCatalogue::Key &key)
{
    const QString last = SettingsCatalogue::readString(key);
    if (!last.isEmpty()) {
        const QDir folder = QFileInfo(last).absoluteDir();
        if (folder.exists())
            return folder.absolutePath();
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

// The operator fixes these in the field, so it gets the focus.
bool concernsTheFile(FileTransfer::Problem problem)
{
    using FileTransfer::Problem;
    return problem == Problem::Missing || problem == Problem::Empty || problem == Problem::BadTrailer
        || problem == Problem::EmptyPayload;
}
} // namespace

FirmwarePage::FirmwarePage(MainWindow *window, QWidget *parent)
    : QWidget(parent), m_window(window), ui(new Ui::FirmwarePage), m_model(CommonlyUsed::deviceType)
{
    ui->setupUi(this);
    // A long path, chosen or typed, reads in full on the field's tooltip.
    connect(ui->lineEdit_FirmwareUpdate, &QLineEdit::textChanged, ui->lineEdit_FirmwareUpdate,
        &QLineEdit::setToolTip);
    showTransferIdle();
    fillTargets();
    connectRunner();
}

FirmwarePage::~FirmwarePage()
{
    delete ui;
}

QString FirmwarePage::chooseUpgradeFile(QWidget *parent, MainWindow *window, const SettingsCatalogue::Key &key)
{
    window->fileDialogOpen = true;
    const QString path = QFileDialog::getOpenFileName(parent, tr("请选择升级文件"), startFolder(key), FirmwareFilter);
    window->fileDialogOpen = false;
    if (path.isEmpty()) {
        window->showToast(tr("文件打开失败！"), QString::fromLatin1(Protocol::FailureStyle));
        return QString();
    }
    if (!SettingsCatalogue::write(key, path))
        qWarning() << "upgrade file path not stored:" << path;
    return path;
}

void FirmwarePage::on_pushButton_browse_clicked()
{
    const QString path = chooseUpgradeFile(this, m_window, SettingsCatalogue::Keys::UpgradeFilePath);
    if (!path.isEmpty())
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
    // Locked before the checks: a double click cannot announce twice.
    TransferRunner::lockButton(ui->pushButton_upgrade);
    if (m_window->transferRunning) {
        showFailure(tr("当前有升级包在下发！"));
        return;
    }
    using TransferKind = TransferRunner::Kind;
    // The field's path counts whether it was chosen, typed or dropped.
    const FileTransfer::FileRead read = FileTransfer::readFile(ui->lineEdit_FirmwareUpdate->text().trimmed());
    FileTransfer::Problem problem = read.problem;
    if (problem == FileTransfer::Problem::None)
        problem = FileTransfer::checkFirmware(read.bytes);
    std::optional<FileTransfer::FirmwareImage> image;
    if (problem == FileTransfer::Problem::None) {
        image = FileTransfer::FirmwareImage::fromFile(read.bytes);
        if (!image)
            problem = FileTransfer::Problem::BadTrailer;
    }
    if (problem != FileTransfer::Problem::None) {
        showFailure(TransferRunner::problemText(problem, TransferKind::Firmware));
        if (concernsTheFile(problem))
            ui->lineEdit_FirmwareUpdate->setFocus();
        return;
    }
    const bool mcu = ui->radioButton_MCU->isChecked();
    if (!mcu && !ui->radioButton_FPGA->isChecked()) {
        showFailure(tr("请勾选升级类型！"));
        return;
    }
    // A model without targets of this kind leaves nothing to name: the device
    // is not asked to take a firmware for no board.
    const QString target = ui->comboBox_FirmwareUpdate->currentText().trimmed();
    if (target.isEmpty()) {
        showFailure(tr("请选择升级目标！"));
        return;
    }
    connectRunner();
    TransferRunner *runner = m_window->transferRunner();
    if (!runner) {
        qWarning() << "firmware not announced: no transfer runner";
        return;
    }
    runner->armFirmware(*image);
    const char *command = mcu ? Protocol::Command::UpdateMcu : Protocol::Command::UpdateFpga;
    m_window->sendData(QString::fromLatin1(command).arg(target));
}

void FirmwarePage::applyModel(const QString &model)
{
    m_model = model;
    fillTargets();
}

void FirmwarePage::setFirmwareFile(const QString &path)
{
    ui->lineEdit_FirmwareUpdate->setText(QDir::toNativeSeparators(path));
}

void FirmwarePage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        showProgress(m_percent);
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
    ui->comboBox_FirmwareUpdate->setEnabled(!targets.isEmpty() && !m_transferShown);
}

void FirmwarePage::connectRunner()
{
    TransferRunner *runner = m_window->transferRunner();
    if (!runner || runner == m_runner)
        return;
    m_runner = runner;
    connect(runner, &TransferRunner::Send_TransferShown, this, [this](TransferRunner::Kind kind, bool visible) {
        if (kind == TransferRunner::Kind::Firmware)
            showTransfer(visible);
    });
    connect(runner, &TransferRunner::Send_TransferProgress, this, [this](TransferRunner::Kind kind, int percent) {
        if (kind == TransferRunner::Kind::Firmware)
            showProgress(percent);
    });
    connect(runner, &TransferRunner::Send_TransferFinished, this, [this](TransferRunner::Kind kind, bool) {
        if (kind == TransferRunner::Kind::Firmware)
            setChoiceEnabled(true);
    });
}

void FirmwarePage::showTransfer(bool visible)
{
    if (!visible) {
        showTransferIdle();
        setChoiceEnabled(true);
        return;
    }
    setChoiceEnabled(false);
    showProgress(0);
    ui->label_Firmware_Upgrade->show();
    ui->progressBar_Firmware_Update->show();
}

void FirmwarePage::showProgress(int percent)
{
    m_percent = qBound(0, percent, 100);
    ui->progressBar_Firmware_Update->setValue(m_percent);
    ui->label_Firmware_Upgrade->setText(tr("正在升级，请勿断开设备… %1%").arg(m_percent));
}

void FirmwarePage::showTransferIdle()
{
    ui->label_Firmware_Upgrade->hide();
    ui->progressBar_Firmware_Update->hide();
    showProgress(0);
}

void FirmwarePage::setChoiceEnabled(bool enabled)
{
    m_transferShown = !enabled;
    ui->lineEdit_FirmwareUpdate->setEnabled(enabled);
    ui->pushButton_browse->setEnabled(enabled);
    ui->radioButton_MCU->setEnabled(enabled);
    ui->radioButton_FPGA->setEnabled(enabled);
    ui->comboBox_FirmwareUpdate->setEnabled(enabled && ui->comboBox_FirmwareUpdate->count() > 0);
}

void FirmwarePage::showFailure(const QString &text)
{
    m_window->showToast(text, QString::fromLatin1(Protocol::FailureStyle));
}
