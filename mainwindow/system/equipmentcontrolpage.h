#pragma once

#include <QWidget>

class MainWindow;
class QAbstractButton;

namespace Ui {
class EquipmentControlPage;
}

// Sub-page 4 of the system settings: standby, wake-up, key lock and unlock,
// factory reset. The buttons are checkable but mirror the device only: a
// click sends and leaves the check state to the device's answer.
class EquipmentControlPage final : public QWidget
{
    Q_OBJECT
public:
    explicit EquipmentControlPage(MainWindow *window, QWidget *parent = nullptr);
    ~EquipmentControlPage() override;

public slots:
    // The sub-page came into view: "(info,dev)".
    void onShown();
    void on_pushButton_system_standby_clicked();
    void on_pushButton_System_wake_up_clicked();
    void on_pushButton_Key_lock_clicked();
    void on_pushButton_Key_unlocking_clicked();
    void on_pushButton_Restore_factory_clicked();

protected:
    void changeEvent(QEvent *event) override;

private:
    // Undoes the toggle of the click that called the slot.
    void keepDeviceState(QAbstractButton *button);

    MainWindow *m_window;
    Ui::EquipmentControlPage *ui;
};
