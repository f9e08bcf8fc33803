#pragma once

#include "link/transfer/fileinfo.h"
#include "mainwindow/transfer/transferrunner.h"

#include <QWidget>

#include <optional>

class MainWindow;
class QLabel;

namespace SettingsCatalogue {
struct Key;
}

namespace Ui {
class FirmwarePage;
}

// Sub-page 3 of the system settings: the firmware file (`lineEdit_FirmwareUpdate`,
// `pushButton_browse`), its kind (`radioButton_MCU`, `radioButton_FPGA`) and
// target (`comboBox_FirmwareUpdate`, offered by model), the start button
// `pushButton_upgrade` and the progress (`label_Firmware_Upgrade`,
// `progressBar_Firmware_Update`, hidden until a transfer runs). The card
// `groupBox_FirmwareInfo` tells what the chosen file holds, whether it passes
// the check, and how the last upgrade went (live while one runs).
class FirmwarePage final : public QWidget
{
    Q_OBJECT
public:
    explicit FirmwarePage(MainWindow *window, QWidget *parent = nullptr);
    ~FirmwarePage() override;

    // The file dialog of both transfers: opens in the folder of the path
    // stored under `key`, stores the chosen path there and returns it; tells
    // the operator and returns an empty path when nothing was chosen.
    static QString chooseUpgradeFile(QWidget *parent, MainWindow *window, const SettingsCatalogue::Key &key);

    // The file cards of both transfers share their wording and colours.
    enum class Tone { Plain, Good, Caution, Bad };
    static void showValue(QLabel *label, const QString &text, Tone tone = Tone::Plain);
    // "1.00 MiB (1,048,652 字节)", "256 字节".
    static QString sizeText(qint64 bytes);
    // "640 KiB", "256 字节": for figures that change while the operator watches.
    static QString shortSizeText(qint64 bytes);
    // The file's name and when it was last changed; empty without a file.
    static QString fileText(const QString &path);
    // A file's problem as the card states it: the toast's words, calmly, and
    // for a file at `path` too large to read, its limit.
    static QString problemNote(
        FileTransfer::Problem problem, TransferRunner::Kind kind, const QString &path = QString());
    // Why a transfer ended, for "失败：…".
    static QString outcomeText(FileTransfer::Outcome outcome);
    // "正在发送：x / y（n%）" while a transfer of `total` bytes runs.
    static QString liveText(qint64 total, int percent);

public slots:
    void on_pushButton_browse_clicked();
    void on_radioButton_MCU_clicked(bool checked);
    void on_radioButton_FPGA_clicked(bool checked);
    void on_pushButton_upgrade_clicked();
    // The target list follows the model.
    void applyModel(const QString &model);
    // A dropped ".bin" file.
    void setFirmwareFile(const QString &path);

protected:
    void changeEvent(QEvent *event) override;
    // The file may have been rebuilt while another page was shown.
    void showEvent(QShowEvent *event) override;

private:
    void fillTargets();
    // The runner's reports reach the page from its first transfer on.
    void connectRunner();
    void showTransfer(bool visible);
    void showProgress(int percent);
    // Progress label and bar hidden, bar at 0.
    void showTransferIdle();
    // Nothing about the file or the target changes while its transfer runs.
    void setChoiceEnabled(bool enabled);
    void showFailure(const QString &text);

    // ---- file information card
    // Reads the field's file and shows what it holds.
    void readFileInfo();
    void noteFile(const QString &path, const FileTransfer::FileRead &read);
    void showFileInfo();
    void showLastTransfer();

    MainWindow *m_window;
    Ui::FirmwarePage *ui;
    QString m_model; // the targets are offered for this model
    bool m_transferShown = false;
    int m_percent = 0;

    QString m_filePath; // as read last, trimmed
    FileTransfer::Problem m_fileProblem = FileTransfer::Problem::NoPath;
    FileTransfer::FirmwareSummary m_summary; // of the file as read last
    qint64 m_transferTotal = 0; // payload of the image announced last
    std::optional<TransferRunner::Figures> m_lastTransfer;
    bool m_lastSucceeded = false;
};
