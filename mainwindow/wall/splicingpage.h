#pragma once

#include <QList>
#include <QString>
#include <QVector>
#include <QWidget>

#include "mainwindow/wall/wallmodel.h"

class MainWindow;
class NameStore;
class QGridLayout;
class ScreenWidget;
class my_ToolButton;

namespace Ui {
class SplicingPage;
}

// Page 3: the video wall. The operator sets the wall's size and bezel, binds
// an output to each screen, sends the positions, then picks an input from the
// list and clicks a screen to show it on the wall. The device's wall answers
// (size, positions, bezel, source, cleared) keep the page current even while
// its navigation button is hidden.
class SplicingPage final : public QWidget
{
    Q_OBJECT
public:
    SplicingPage(MainWindow *window, NameStore *names, QWidget *parent = nullptr);
    ~SplicingPage() override;

    const QList<ScreenWidget *> &screens() const { return m_screens; }
    const Wall::Layout &layout() const { return m_layout; }
    // InputSourceList_1..16.
    const QList<my_ToolButton *> &inputButtons() const { return m_inputs; }
    int maxScreens() const { return m_maxScreens; }
    // Set once a wall size was accepted or positions were sent; stays set.
    bool isSplicingMode() const { return m_splicingMode; }

public slots:
    // Entering the page: wall size, bezel, positions and routing are read
    // behind the waiting overlay with the heartbeat stopped (nothing while
    // the device polls scenes).
    void refresh();
    // Model dependence: the screen maximum and the input list.
    void applyModel(const QString &model);
    void on_pushButtonOk_clicked();
    void on_pushButtonSet_clicked();
    void on_ScreenSplicingBut_clicked();
    void on_CancelSplicingBut_clicked();
    void onInputSourceButClicked();
    void onSwitchInputSource(int outNumber);
    void onRemoveDuplicateMap(ScreenWidget *pSc, int outNumber);
    // A routing answer read by the switching page: the screens bound to
    // `output` show the input's name.
    void showRoute(int output, int input);
    // The link answer: screens bound to a connected output are painted so.
    void showPortStatus(const QVector<bool> &inputs, const QVector<bool> &outputs);

public:
    // Room between the wall's screens, and their shape (a display's).
    static constexpr int ScreenSpacing = 6;
    static constexpr int ScreenAspectWidth = 16;
    static constexpr int ScreenAspectHeight = 9;

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildInputList();
    void connectWindow();
    void registerBranches();
    // Lays the input list out for a model's input count.
    void showInputList(const QString &model);
    // The wall as large as the page allows, screens in a display's shape.
    void fitWall();
    // Names of the input list and of the screens.
    void showInputName(int input);
    void onNameChanged(int kind, int number);
    void showLinkLost();
    // The wall answers that carry their group: true for the page's own.
    bool isOwnGroup(const QString &text, QLatin1String keyword, const char *what) const;
    // Replaces every screen by a new rows x columns wall; the old screens
    // are hidden at once and deleted later (a menu or a click of theirs may
    // still be running).
    void replaceScreens(int rows, int columns);
    // Copies the layout's bindings and inputs onto the screen widgets.
    void showLayout();
    void showSizeRefused();
    QStringList outputNames() const;

    Ui::SplicingPage *ui = nullptr;
    MainWindow *m_window = nullptr;
    NameStore *m_names = nullptr;
    Wall::Layout m_layout;
    QList<ScreenWidget *> m_screens;
    QGridLayout *m_grid = nullptr;
    QList<my_ToolButton *> m_inputs;
    QVector<bool> m_connectedOutputs;
    int m_maxScreens = Wall::DefaultMaxScreens;
    bool m_splicingMode = false;
    bool m_refreshing = false;
};
