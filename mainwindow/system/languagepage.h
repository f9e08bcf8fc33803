#pragma once

#include <QWidget>

class MainWindow;

namespace Ui {
class LanguagePage;
}

// Sub-page 5 of the system settings: `comboBox_Language_selection`
// (Simplified Chinese, English, Traditional Chinese) and its Set button,
// which stores the choice and applies it at once.
class LanguagePage final : public QWidget
{
    Q_OBJECT
public:
    explicit LanguagePage(MainWindow *window, QWidget *parent = nullptr);
    ~LanguagePage() override;

public slots:
    void on_pushButton_Language_selection_set_clicked();

protected:
    void changeEvent(QEvent *event) override;

private:
    // The selector shows the language in force, not a choice left unapplied.
    void showLanguageInForce();

    MainWindow *m_window;
    Ui::LanguagePage *ui;
};
