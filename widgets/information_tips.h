#pragma once

#include "widgets/fbasedialog.h"

namespace Ui {
class Information_Tips;
}
class TitleBar;

// The shared error / information dialog with one button. It is created once
// and reused: every show starts opaque and centred, and every way of closing
// it (button, Escape, Alt+F4, close()) reports "Close Error window" once.
class Information_Tips final : public FBaseDialog
{
    Q_OBJECT
public:
    explicit Information_Tips(QWidget *parent = nullptr);
    ~Information_Tips() override;

    void setMessage(const QString &text);
    QString message() const;
    TitleBar *titleBar() const;

signals:
    void Send_Mesg(QString mesg);

public slots:
    void reject() override;

private slots:
    void on_pushButton_information_clicked();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeAnimationFinished() override;

private:
    void answerOnce();

    Ui::Information_Tips *ui;
    bool m_answered = false;
    bool m_closingAfterAnimation = false;
};
