#pragma once

#include "app/localaddress.h"
#include "mainwindow/system/baudchangemodel.h"
#include "netmodule/netcfgclient.h"

#include <QList>
#include <QWidget>

#include <functional>
#include <memory>

class MainWindow;
class QComboBox;

namespace Ui {
class NetworkSettingsPage;
}

// Sub-page 2 of the system settings: the RS-232 rates of the device's two
// ports (`comboBox_Input_baudRate`, `comboBox_Output_baudRate`, query and set
// buttons) and its network address (`lineEdit_IPAddress`,
// `lineEdit_SubnetMask`, `lineEdit_DefaultGateway`, save button). Registers
// the two baud-rate answers with the dispatcher; a rate change runs in
// BaudChange.
class NetworkSettingsPage final : public QWidget
{
    Q_OBJECT
public:
    explicit NetworkSettingsPage(MainWindow *window, QWidget *parent = nullptr);
    ~NetworkSettingsPage() override;

    BaudChange *baudChange() const { return m_baud.get(); }
    // The computer's addresses for the same-network question (tests inject).
    std::function<QList<LocalAddress>()> localAddressesHook;

public slots:
    // The sub-page came into view: flags cleared; "(get,i.baud)",
    // "(get,o.baud)" and "(get,netcfg)" synchronously.
    void onShown();
    void on_pushButton_query_input_clicked();
    void on_pushButton_query_output_clicked();
    void on_pushButton_set_input_clicked();
    void on_pushButton_set_output_clicked();
    void on_pushButton_Save_IP_settings_clicked();

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    class Sink;
    void onBaudFinished(System::SerialPort port, BaudChange::Outcome outcome, const QString &rate);
    void onBaudNotConfirmed(System::SerialPort port);
    void registerBranches();
    // A baud answer of `port` (branches 25 and 26).
    void onBaudAnswer(System::SerialPort port, const QString &work);
    void showRate(System::SerialPort port, const QString &rate);
    QComboBox *selector(System::SerialPort port) const;
    void startChange(System::SerialPort port);
    void query(System::SerialPort port);
    // The window's inBaudSetting / outBaudSetting follow the change's flags.
    void syncBaudFlags();
    void setBaudControlsEnabled(bool enabled);
    // The checked fields go out; netcfgSetting is set for this request only.
    void sendNetworkSettings(const NetworkSettings &settings);
    void fillNetworkFields(const QString &answer);
    void alignLabelColumns();

    MainWindow *m_window;
    Ui::NetworkSettingsPage *ui;
    std::unique_ptr<Sink> m_sink;
    std::unique_ptr<BaudChange> m_baud;
};
