#pragma once

#include <QList>
#include <QWidget>

#include "mainwindow/cec/cecmodel.h"

class MainWindow;
class QLineEdit;
class QPushButton;

namespace Ui {
class CecPage;
}

// Page 2 (Orvex-Q): sixteen buttons that each send a stored CEC command, and
// the table where the operator names them and types their commands.
class CecPage final : public QWidget
{
    Q_OBJECT
public:
    explicit CecPage(MainWindow *window, QWidget *parent = nullptr);
    ~CecPage() override;

    // Row widgets, row = 1..16; nullptr outside.
    QLineEdit *featureField(int row) const;
    QLineEdit *orderField(int row) const;
    QPushButton *portButton(int row) const;
    QPushButton *controlButton(int row) const;

public slots:
    // Entering the page: the stored rows are shown.
    void loadConfiguration();
    void on_pushButton_load_clicked();
    void on_pushButton_save_clicked();
    void on_pushButton_default_clicked();
    void PushButton_Controls_clicked();

protected:
    void changeEvent(QEvent *event) override;

private:
    Ui::CecPage *ui = nullptr;
    MainWindow *m_window = nullptr;
    Cec::Store m_store;
};
