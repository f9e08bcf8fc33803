#pragma once

#include "widgets/fbasedialog.h"

namespace Ui {
class Inquiry_Tips;
}
class TitleBar;

// Yes/no question. The key tells which question it is and so which text the
// yes answer reports through Send_Mesg: "cancellation" -> "Logout system",
// "close_window" -> "Close the main window", "Delete scene" -> "Delete scene"
// (plus Send_Delete_scene()). No, Escape, Alt+F4 and close() all report
// "Cancel Close window". Exactly one answer per question; the dialog deletes
// itself when closed.
class Inquiry_Tips final : public FBaseDialog
{
    Q_OBJECT
public:
    explicit Inquiry_Tips(QWidget *parent = nullptr);
    ~Inquiry_Tips() override;

    void setKey(const QString &key) { m_key = key; }
    QString key() const { return m_key; }
    void setMessage(const QString &text);
    QString message() const;
    // 1 yes, 0 no.
    int OK_Or_Cancel() const { return m_okOrCancel; }
    TitleBar *titleBar() const;

    // The text Send_Mesg reports for a key and an answer.
    static QString answerText(const QString &key, int okOrCancel);

signals:
    void Send_Mesg(QString mesg);
    void Send_Delete_scene();

public slots:
    void on_pushButton_inquiry_OK_clicked();
    void on_pushButton_inquiry_NO_clicked();
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeAnimationFinished() override;

private:
    void answerWith(int okOrCancel);
    void answerOnce();

    Ui::Inquiry_Tips *ui;
    QString m_key;
    int m_okOrCancel = 0;
    bool m_answered = false;
    bool m_closingAfterAnimation = false;
};
