#pragma once

#include <QList>
#include <QString>
#include <QVector>
#include <QWidget>

class CustomizeVolumeSlider;
class MainWindow;
class NameStore;
class QComboBox;
class QLabel;
class QPushButton;
class my_ToolButton;

namespace Ui {
class OutputPage;
}

// Page 1: a row of output buttons over `stackedWidget_output_Set`, one page
// per output with its resolution and format combos, brightness and contrast
// sliders and, where the device type has it, the external audio switch.
// Answers of the device set the widgets without sending anything back.
class OutputPage final : public QWidget
{
    Q_OBJECT
public:
    OutputPage(MainWindow *window, NameStore *names, QWidget *parent = nullptr);
    ~OutputPage() override;

    int currentOutput() const { return m_currentOutput; }
    const QList<my_ToolButton *> &outputButtons() const { return m_buttons; }
    // Widgets of output n (1..16); nullptr outside.
    QComboBox *resolutionCombo(int output) const;
    QComboBox *formatCombo(int output) const;
    CustomizeVolumeSlider *brightnessSlider(int output) const;
    CustomizeVolumeSlider *contrastSlider(int output) const;
    QPushButton *audioSwitch(int output) const;

public slots:
    // Entering the page: reads the current output unless the device polls scenes.
    void refresh();
    // Reads one output's settings, each answer through the dispatcher.
    void queryOutput(int output);
    // Shows the output buttons of a matrix size.
    void OutputSetting_currentTextChanged(const QString &model);
    void toolButton_OutPutHDMI_clicked();
    void onResolutionRatioActivated(int index);
    void onSignalFormatActivated(int index);
    void onMouseButtonRelease(int value);
    void onSliderValueChange(int value);
    void pushButtonAudioSwitch_clicked();
    // Factory reset: outputs first..last show `value` on both sliders.
    void setPictureSliders(int firstOutput, int lastOutput, int value);

signals:
    // An output's resolution as the device reported it (port status page).
    void outputResolutionShown(int output, const QString &resolution);

protected:
    void changeEvent(QEvent *event) override;

private:
    // The widgets of one output's page of stackedWidget_output_Set.
    struct OutputWidgets
    {
        QComboBox *resolution = nullptr;
        QComboBox *format = nullptr;
        CustomizeVolumeSlider *brightness = nullptr;
        CustomizeVolumeSlider *contrast = nullptr;
        QPushButton *audio = nullptr;
        QLabel *resolutionCaption = nullptr;
        QLabel *formatCaption = nullptr;
        QLabel *brightnessCaption = nullptr;
        QLabel *contrastCaption = nullptr;
        QLabel *audioCaption = nullptr;
    };

    void buildOutputButtons();
    void buildSettingsPage(int output);
    void connectWindow();
    void registerBranches();
    void retranslatePages();
    bool eventFilter(QObject *watched, QEvent *event) override;

    const OutputWidgets *widgetsOf(int output) const;
    // Shows output n's page with its button checked; asks nothing.
    void selectOutput(int output);
    void runPendingQueries();
    void sendLevel(const QObject *slider, int value);
    // The combo shows what the device reported, also a text not in the table.
    void showResolution(int output, const QString &resolution);
    void showAudioState(QPushButton *button, bool on);

    void showOutputName(int output);
    void onOutputRenamed();
    void onNameChanged(int kind, int number);
    void showPortStatus(const QVector<bool> &inputs, const QVector<bool> &outputs);
    void showLinkLost();

    Ui::OutputPage *ui = nullptr;
    MainWindow *m_window = nullptr;
    NameStore *m_names = nullptr;
    QList<my_ToolButton *> m_buttons;
    QVector<OutputWidgets> m_outputs;
    // Resolution texts of this device type in combo order.
    QStringList m_resolutions;
    int m_currentOutput = 1;
    int m_shownOutputs = 16;
    // The output whose settings are still to be read (0: none), and whether
    // a round of queries is running or waiting for the link.
    int m_pendingQuery = 0;
    bool m_queryScheduled = false;
};
