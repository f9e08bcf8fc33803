#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include <array>

#include "mainwindow/partition/partitionmodel.h"

class MainWindow;
class NameStore;
class PartitionModeWidget;
class SplitmodeButton;
class QPushButton;
class my_ToolButton;

namespace Ui {
class PartitionPage;
}

// Page 4: the multi-view splitter. The operator picks a group of four
// inputs, one of sixteen split modes and then an input for each window A..D.
// The device's mode and window answers keep the page current even while its
// navigation button is hidden; each group's state is kept apart and the page
// shows the current group's.
class PartitionPage final : public QWidget
{
    Q_OBJECT
public:
    PartitionPage(MainWindow *window, NameStore *names, QWidget *parent = nullptr);
    ~PartitionPage() override;

    int currentGroup() const { return m_currentGroup; }
    int partitionInput() const { return m_partitionInput; }
    bool groupQueryRunning() const { return m_groupQueryRunning; }
    const Partition::GroupState &groupState(int group) const;
    const QList<PartitionModeWidget *> &modeTiles() const { return m_tiles; }
    // pushButton_ModeA..D.
    QList<SplitmodeButton *> windowButtons() const;
    // pushButton_Group1..4.
    QList<QPushButton *> groupButtons() const;
    // toolButton_HDMI_Partition_1..16.
    const QList<my_ToolButton *> &inputButtons() const { return m_inputs; }

public slots:
    // Model dependence: the groups the model has, the list's scroll bar and
    // the output setting buttons.
    void setPartitionMode(const QString &model);
    // Entering the page: the tiles are repainted; nothing is asked.
    void repaintTiles();
    void on_pushButton_Group1_clicked();
    void on_pushButton_Group2_clicked();
    void on_pushButton_Group3_clicked();
    void on_pushButton_Group4_clicked();
    void onPartitionInputSourceButClicked();
    void onModifySelectedStatus();
    void on_pushButton_ModeA_clicked();
    void on_pushButton_ModeB_clicked();
    void on_pushButton_ModeC_clicked();
    void on_pushButton_ModeD_clicked();

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildTiles();
    void buildInputList();
    void registerBranches();
    void chooseGroup(int group);
    void chooseWindow(int window);
    // Shows the current group's mode and window inputs.
    void showGroup();
    // The group buttons' checks and the current group's four inputs.
    void showGroupInputs();
    // The device's answers, each for the group it names.
    void applyMode(const Partition::ModeAnswer &answer);
    void applyWindows(const Partition::WindowsAnswer &answer);
    // A failed request is told unless the window already said why it sent nothing.
    void reportFailure(const QString &text);
    void retranslateTiles();

    Ui::PartitionPage *ui = nullptr;
    MainWindow *m_window = nullptr;
    NameStore *m_names = nullptr;
    QList<PartitionModeWidget *> m_tiles;
    QList<my_ToolButton *> m_inputs;
    std::array<Partition::GroupState, Partition::Groups> m_groups{};
    int m_groupsShown = 1;
    int m_currentGroup = Partition::None;
    int m_partitionInput = Partition::None;
    bool m_groupQueryRunning = false;
};
