#pragma once

#include <QList>
#include <QString>
#include <QVector>
#include <QWidget>

class MainWindow;
class NameStore;
class QGridLayout;
class SignalSwitchBut;
class my_ToolButton;

namespace Switching {
struct RoutingAnswer;
struct ResolutionAnswer;
} // namespace Switching

namespace Ui {
class SwitchingPage;
}

// Page 0: a column of input buttons, the grid of output tiles and the
// one-to-all button; the scene block sits in scenePanelHost(). The operator
// picks an input, then clicks tiles; every answer of the device repaints the
// tiles it names.
class SwitchingPage final : public QWidget
{
    Q_OBJECT
public:
    SwitchingPage(MainWindow *window, NameStore *names, QWidget *parent = nullptr);
    ~SwitchingPage() override;

    // Where the main window puts the scene block.
    QWidget *scenePanelHost() const;
    const QList<my_ToolButton *> &inputButtons() const { return m_inputs; }
    const QList<SignalSwitchBut *> &tiles() const { return m_tiles; }
    int currentInputNumber() const { return m_currentInput; }
    int allSwitchPending() const { return m_allSwitchPending; }

    static constexpr int GridSpacing = 6;
    static constexpr int GridMargin = 6;

public slots:
    // Entering the page (or an input renamed on it): the names are stored,
    // then the routing and the input resolutions are read behind the
    // waiting overlay. Nothing is asked while the device polls scenes.
    void refresh();
    // Lays the page out for a matrix size.
    void Route_selection_currentTextChanged(const QString &model);
    // A routing answer of a synchronous exchange.
    void refreshSwitchStatus(const QString &reply);
    void onChangeInputSource(int outNumber);
    void ToolButton_HDMI_clicked();
    void on_pushButton_Input_All_clicked();

signals:
    // An input's resolution as the device reported it (port status page).
    void inputResolutionShown(int input, const QString &resolution);
    // A routing answer put `input` on `output` (the wall's screens follow).
    void routeShown(int output, int input);

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildInputButtons();
    void buildTiles();
    void connectWindow();
    void registerBranches();

    void applyRouting(const Switching::RoutingAnswer &answer);
    void applyResolutions(const Switching::ResolutionAnswer &answer);
    // Sends a synchronous request and hands its answer to the dispatcher.
    void queryResolutions(int input);
    SignalSwitchBut *tileFor(int output) const;

    void showInputName(int input);
    void showOutputName(int output);
    void showAllNames();
    void onInputRenamed();
    void onNameChanged(int kind, int number);
    void showPortStatus(const QVector<bool> &inputs, const QVector<bool> &outputs);
    void showLinkLost();
    void onPollingChanged(bool running);

    Ui::SwitchingPage *ui = nullptr;
    MainWindow *m_window = nullptr;
    NameStore *m_names = nullptr;
    QList<my_ToolButton *> m_inputs;
    QList<SignalSwitchBut *> m_tiles;
    QGridLayout *m_grid = nullptr;
    int m_currentInput = 0;
    int m_allSwitchPending = 0;
    bool m_refreshing = false;
    // The routing has been read once since the window opened.
    bool m_shownOnce = false;
};
