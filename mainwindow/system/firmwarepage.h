#pragma once

#include <QWidget>

class MainWindow;
class TransferRunner;

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
// `progressBar_Firmware_Update`, hidden until a transfer runs).
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

    MainWindow *m_window;
    Ui::FirmwarePage *ui;
    QString m_model; // the targets are offered for this model
    TransferRunner *m_runner = nullptr; // connected to this one
    bool m_transferShown = false;
    int m_percent = 0;
};
