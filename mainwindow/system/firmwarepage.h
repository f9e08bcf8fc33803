#pragma once

#include <QWidget>

class MainWindow;

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
    // Progress label and bar hidden, bar at 0.
    void showTransferIdle();
    // The transfer is not built yet: the start button says so instead of
    // doing nothing.
    void showTransferUnavailable();
    QString transferUnavailableText() const;

    MainWindow *m_window;
    Ui::FirmwarePage *ui;
    QString m_model; // the targets are offered for this model
};
