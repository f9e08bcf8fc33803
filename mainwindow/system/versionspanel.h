#pragma once

#include <QWidget>

namespace Ui {
class VersionsPanel;
}

// The versions at the top of the "About" view of the system information
// page: the control card (`label_MCUControlCard_version`) on the smaller
// models, the receiver and transmitter boards (`label_RXMCU_version`,
// `label_TXMCU_version`) on "8x16" and "16x16", and this program
// (`label_Host_computer_version`). The dispatcher fills the labels.
class VersionsPanel final : public QWidget
{
    Q_OBJECT
public:
    explicit VersionsPanel(QWidget *parent = nullptr);
    ~VersionsPanel() override;

public slots:
    // Shows the rows the model reports.
    void applyModel(const QString &model);

protected:
    void changeEvent(QEvent *event) override;

private:
    Ui::VersionsPanel *ui;
};
