#include "mainwindow/system/firmwarepage.h"
#include "ui_firmwarepage.h"

#include "app/commonlyused.h"
#include "app/settingscatalogue.h"
#include "link/protocol/protocol.h"
#include "link/transfer/transferfile.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/system/systemmodel.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
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

const QString NoValue = QStringLiteral("—");
const QString ModifiedFormat = QStringLiteral("yyyy-MM-dd HH:mm");
// On the cards' white: each reads at 4.5:1 or better.
constexpr char GoodColour[] = "#1E7B34";
constexpr char CautionColour[] = "#945400";
constexpr char BadColour[] = "#C62828";

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
    // Read when the operator is done with the path, not on every keystroke.
    connect(ui->lineEdit_FirmwareUpdate, &QLineEdit::editingFinished, this, &FirmwarePage::readFileInfo);
    showTransferIdle();
    fillTargets();
    connectRunner();
    showFileInfo();
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
    if (m_window->refuseDuringTransfer())
        return;
    using TransferKind = TransferRunner::Kind;
    // The field's path counts whether it was chosen, typed or dropped.
    const QString path = ui->lineEdit_FirmwareUpdate->text().trimmed();
    const FileTransfer::FileRead read = FileTransfer::readFile(path);
    // The card shows the file exactly as the button judged it.
    noteFile(path, read);
    std::optional<FileTransfer::FirmwareImage> image;
    if (read.problem == FileTransfer::Problem::None)
        image = FileTransfer::FirmwareImage::fromFile(read.bytes);
    if (!image) {
        const FileTransfer::Problem problem =
            read.problem != FileTransfer::Problem::None ? read.problem : FileTransfer::checkFirmware(read.bytes);
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
    m_transferTotal = image->payloadSize();
    m_window->transferRunner()->armFirmware(*image);
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
    readFileInfo();
}

void FirmwarePage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        showProgress(m_percent);
        showFileInfo();
    }
    QWidget::changeEvent(event);
}

void FirmwarePage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_transferShown)
        readFileInfo();
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
    // The window makes its runner before the pages.
    TransferRunner *runner = m_window->transferRunner();
    connect(runner, &TransferRunner::Send_TransferShown, this, [this](TransferRunner::Kind kind, bool visible) {
        if (kind == TransferRunner::Kind::Firmware)
            showTransfer(visible);
    });
    connect(runner, &TransferRunner::Send_TransferProgress, this, [this](TransferRunner::Kind kind, int percent) {
        if (kind == TransferRunner::Kind::Firmware)
            showProgress(percent);
    });
    connect(runner, &TransferRunner::Send_TransferFinished, this, [this](TransferRunner::Kind kind, bool ok) {
        if (kind != TransferRunner::Kind::Firmware)
            return;
        setChoiceEnabled(true);
        m_lastTransfer = m_window->transferRunner()->lastFigures();
        m_lastSucceeded = ok;
        readFileInfo();
    });
}

void FirmwarePage::showTransfer(bool visible)
{
    if (!visible) {
        showTransferIdle();
        setChoiceEnabled(true);
        showLastTransfer();
        return;
    }
    setChoiceEnabled(false);
    showProgress(0);
    showLastTransfer();
    ui->label_Firmware_Upgrade->show();
    ui->progressBar_Firmware_Update->show();
}

void FirmwarePage::showProgress(int percent)
{
    m_percent = qBound(0, percent, 100);
    ui->progressBar_Firmware_Update->setValue(m_percent);
    ui->label_Firmware_Upgrade->setText(tr("正在升级，请勿断开设备… %1%").arg(m_percent));
    showLastTransfer();
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

// ---- file information card ---------------------------------------------------

void FirmwarePage::showValue(QLabel *label, const QString &text, Tone tone)
{
    QString style = QStringLiteral("font-weight: bold;");
    switch (tone) {
    case Tone::Plain:
        break;
    case Tone::Good:
        style += QStringLiteral(" color: %1;").arg(QLatin1String(GoodColour));
        break;
    case Tone::Caution:
        style += QStringLiteral(" color: %1;").arg(QLatin1String(CautionColour));
        break;
    case Tone::Bad:
        style += QStringLiteral(" color: %1;").arg(QLatin1String(BadColour));
        break;
    }
    label->setText(text.isEmpty() ? NoValue : text);
    if (label->styleSheet() != style)
        label->setStyleSheet(style);
}

QString FirmwarePage::sizeText(qint64 bytes)
{
    const QString exact = tr("%1 字节").arg(FileTransfer::groupedNumber(bytes));
    const QString scaled = FileTransfer::scaledBytes(bytes);
    return scaled.isEmpty() ? exact : tr("%1（%2）").arg(scaled, exact);
}

QString FirmwarePage::shortSizeText(qint64 bytes)
{
    const QString scaled = FileTransfer::scaledBytes(bytes);
    return scaled.isEmpty() ? tr("%1 字节").arg(FileTransfer::groupedNumber(bytes)) : scaled;
}

QString FirmwarePage::fileText(const QString &path)
{
    if (path.isEmpty())
        return QString();
    const QFileInfo info(path);
    if (!info.isFile())
        return info.fileName();
    return tr("%1（修改于 %2）").arg(info.fileName(), info.lastModified().toString(ModifiedFormat));
}

QString FirmwarePage::problemNote(
    FileTransfer::Problem problem, TransferRunner::Kind kind, const QString &path)
{
    QString text = TransferRunner::problemText(problem, kind);
    while (text.endsWith(QChar(0xFF01)) || text.endsWith(QLatin1Char('!')))
        text.chop(1);
    const QFileInfo info(path);
    if (problem == FileTransfer::Problem::Unreadable && !path.isEmpty() && info.isFile()
        && info.size() > FileTransfer::MaxFileBytes)
        text += tr("（文件大于%1）").arg(FileTransfer::scaledBytes(FileTransfer::MaxFileBytes));
    return text;
}

QString FirmwarePage::outcomeText(FileTransfer::Outcome outcome)
{
    using FileTransfer::Outcome;
    switch (outcome) {
    case Outcome::Running:
    case Outcome::Succeeded:
        return QString();
    case Outcome::NoAcknowledgement:
        return tr("设备未应答");
    case Outcome::DeviceRefused:
        return tr("设备拒绝接收");
    case Outcome::LinkLost:
        return tr("连接中断");
    case Outcome::WriteFailed:
        return tr("数据未能发出");
    case Outcome::WrongSlot:
        return tr("设备确认的不是所选槽位");
    case Outcome::Unconfirmed:
        return tr("未收到设备确认");
    }
    return QString();
}

QString FirmwarePage::liveText(qint64 total, int percent)
{
    if (total <= 0)
        return tr("正在发送：%1%").arg(percent);
    // The bar's percent is rounded down, so this never claims more than went out.
    const qint64 sent = total * qBound(0, percent, 100) / 100;
    return tr("正在发送：%1 / %2（%3%）")
        .arg(shortSizeText(sent), shortSizeText(total), QString::number(percent));
}

void FirmwarePage::readFileInfo()
{
    const QString path = ui->lineEdit_FirmwareUpdate->text().trimmed();
    noteFile(path, FileTransfer::readFile(path));
}

void FirmwarePage::noteFile(const QString &path, const FileTransfer::FileRead &read)
{
    m_filePath = path;
    m_fileProblem = read.problem;
    m_summary = FileTransfer::summarizeFirmware(read.bytes);
    showFileInfo();
}

void FirmwarePage::showFileInfo()
{
    using FileTransfer::Problem;
    showValue(
        ui->label_FirmwareInfo_FileValue, m_filePath.isEmpty() ? tr("未选择文件") : fileText(m_filePath));
    showLastTransfer();
    if (m_fileProblem == Problem::NoPath) {
        for (QLabel *label : { ui->label_FirmwareInfo_SizeValue, ui->label_FirmwareInfo_PayloadValue,
                 ui->label_FirmwareInfo_CheckValue })
            showValue(label, QString());
        return;
    }
    if (m_fileProblem != Problem::None && m_fileProblem != Problem::Empty) {
        // Not read: a file too large to read still has a size worth showing.
        const QFileInfo info(m_filePath);
        showValue(ui->label_FirmwareInfo_SizeValue, info.isFile() ? sizeText(info.size()) : QString());
        showValue(ui->label_FirmwareInfo_PayloadValue, QString());
        showValue(ui->label_FirmwareInfo_CheckValue,
            problemNote(m_fileProblem, TransferRunner::Kind::Firmware, m_filePath), Tone::Bad);
        return;
    }

    const FileTransfer::FirmwareSummary &summary = m_summary;
    showValue(ui->label_FirmwareInfo_SizeValue, sizeText(summary.fileBytes));
    showValue(ui->label_FirmwareInfo_PayloadValue,
        summary.hasTrailer
            ? tr("%1，分 %2 包发送（每包 %3 字节）")
                  .arg(sizeText(summary.payloadBytes), FileTransfer::groupedNumber(summary.packets),
                      FileTransfer::groupedNumber(FileTransfer::PacketBytes))
            : QString());
    const Problem check = m_fileProblem == Problem::Empty ? Problem::Empty : summary.problem;
    if (check == Problem::None) {
        showValue(ui->label_FirmwareInfo_CheckValue, tr("通过"), Tone::Good);
        return;
    }
    QString text = problemNote(check, TransferRunner::Kind::Firmware);
    if (check == Problem::BadTrailer) {
        // Why, so that whoever built the image can mend it.
        if (!summary.hasTrailer)
            text += tr("（文件短于%1字节的校验块）").arg(FileTransfer::TrailerBytes);
        else if (!summary.magicMatches)
            text += tr("（校验块标识不是%1）").arg(QLatin1String(FileTransfer::TrailerMagic));
        else if (summary.statedLittleEndian)
            text += tr("（长度字段 %1，实际数据 %2；长度字段按小端字节序写入）")
                        .arg(FileTransfer::groupedNumber(*summary.statedPayloadBytes),
                            FileTransfer::groupedNumber(summary.payloadBytes));
        else
            text += tr("（长度字段 %1，实际数据 %2）")
                        .arg(FileTransfer::groupedNumber(*summary.statedPayloadBytes),
                            FileTransfer::groupedNumber(summary.payloadBytes));
    }
    showValue(ui->label_FirmwareInfo_CheckValue, text, Tone::Bad);
}

void FirmwarePage::showLastTransfer()
{
    if (m_transferShown) {
        ui->label_FirmwareInfo_Last->setText(tr("本次升级："));
        showValue(ui->label_FirmwareInfo_LastValue, liveText(m_transferTotal, m_percent));
        return;
    }
    ui->label_FirmwareInfo_Last->setText(tr("上次升级："));
    if (!m_lastTransfer) {
        showValue(ui->label_FirmwareInfo_LastValue, QString());
        return;
    }
    const TransferRunner::Figures &last = *m_lastTransfer;
    const QString seconds = FileTransfer::secondsText(last.elapsedMs);
    if (m_lastSucceeded) {
        const QString speed = FileTransfer::speedText(last.bytes, last.streamingMs);
        showValue(ui->label_FirmwareInfo_LastValue,
            speed.isEmpty() ? tr("成功，用时 %1 秒").arg(seconds)
                            : tr("成功，用时 %1 秒，平均 %2").arg(seconds, speed),
            Tone::Good);
        return;
    }
    showValue(ui->label_FirmwareInfo_LastValue,
        tr("失败：%1，用时 %2 秒").arg(outcomeText(last.outcome), seconds), Tone::Bad);
}
