#pragma once

#include "mainwindow/subtitle/subtitlemodel.h"
#include "widgets/fbasedialog.h"

#include <QList>

class QButtonGroup;
class QCloseEvent;
class QPropertyAnimation;
class QPushButton;
class TitleBar;

namespace Ui {
class Subtitle_Set;
}

// The subtitle of one input: text (`lineEdit_Subtitle_content`, at most 15
// characters), on/off (`radioButton_Open`, `radioButton_Close`), corner
// (`pushButton_UpperLeft` ... `pushButton_LowerRight`) and colour
// (`pushButton_White` ... `pushButton_Black`). Frameless, 500 x 440, kept on
// top while shown. "Set" sends through the main window and leaves the dialog
// open; the outcome arrives as a toast. At most one exists (SubtitleFlow).
class Subtitle_Set final : public FBaseDialog
{
    Q_OBJECT
public:
    static constexpr int DialogWidth = 500;
    static constexpr int DialogHeight = 440;
    static constexpr int ShowAnimationMs = 400;
    static constexpr int CornerRadius = 12;

    explicit Subtitle_Set(QWidget *parent = nullptr);
    ~Subtitle_Set() override;

    // Port number and the name shown in the title ("%1-字幕设置").
    void setPort(const QString &name, int port);
    int port() const { return m_port; }
    // Fills the controls from the device's settings; unknown values leave
    // their controls as they are.
    void setSettings(const Subtitle::Settings &settings);
    TitleBar *titleBar() const;

    // The request "Set" would send now; empty (with `error` set to the
    // operator's message) when the text cannot be sent.
    QString buildRequest(QString *error = nullptr) const;

signals:
    // "Set" was pressed and the text passed: send this.
    void sendRequest(const QString &request);
    // The operator's text was refused (shown as a red toast).
    void refused(const QString &message);
    // The dialog has closed (after its close animation).
    void closed();

public slots:
    void on_pushButton_Subtitle_OK_clicked();
    void on_pushButton_Subtitle_Cancel_clicked();
    void on_pushButton_White_clicked();
    void on_pushButton_Red_clicked();
    void on_pushButton_Green_clicked();
    void on_pushButton_Blue_clicked();
    void on_pushButton_Black_clicked();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeAnimationFinished() override;

private:
    void retranslateTitle();
    // Shows the text field in the subtitle's colour (code 1..5).
    void showColour(int code);
    void updateCount();
    // Escape: the same way out as "Exit".
    void reject() override;
    // Closed from outside the animation (Alt+F4, the owner): close at once.
    void closeEvent(QCloseEvent *event) override;
    // Releases the topmost state and tells the owner, once.
    void finishClosing();

    Ui::Subtitle_Set *ui;
    int m_port = 0;
    QString m_name;
    Subtitle::Settings m_settings;
    QList<QPushButton *> m_positionButtons;
    QList<QPushButton *> m_colourButtons;
    QButtonGroup *m_positionGroup = nullptr;
    QButtonGroup *m_colourGroup = nullptr;
    QPropertyAnimation *m_fadeIn = nullptr;
    bool m_finished = false;
};
