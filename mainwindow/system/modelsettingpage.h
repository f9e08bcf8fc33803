#pragma once

#include <QWidget>

class MainWindow;

namespace Ui {
class ModelSettingPage;
}

// Sub-page 0 of the system settings: the device's name. The field is filled
// by every device-information answer (the dispatcher writes
// `lineEdit_EquipmentName`); saving checks the name before it goes on the wire.
class ModelSettingPage final : public QWidget
{
    Q_OBJECT
public:
    explicit ModelSettingPage(MainWindow *window, QWidget *parent = nullptr);
    ~ModelSettingPage() override;

public slots:
    // The sub-page came into view: "(info,dev)".
    void onShown();
    void on_pushButton_Model_saving_clicked();
    // The device's size, type and the link it is reached by.
    void showOverview();

protected:
    void changeEvent(QEvent *event) override;

private:
    // Texts set in code (the form's own are retranslated by retranslateUi).
    void retranslateCodeTexts();

    MainWindow *m_window;
    Ui::ModelSettingPage *ui;
};
