#pragma once

#include <QList>
#include <QString>
#include <QVector>
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
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildRows();
    void retranslateRows();
    // Applies every row; false (and a toast naming the rows) when the
    // fields of a row were refused and that row kept its command.
    bool applyRows();
    void setCaption(int row, const QString &caption);
    // The caption on the button, cut with "..." when it does not fit.
    void showCaption(int row);
    void showPortText(int row);
    // A red frame and the reason on a command field whose text cannot be sent.
    void markOrderField(int row);
    static QString fieldsErrorText(Cec::FieldsError error);

    Ui::CecPage *ui = nullptr;
    MainWindow *m_window = nullptr;
    Cec::Store m_store;
    QList<QPushButton *> m_controls;
    QList<QLineEdit *> m_features;
    QList<QLineEdit *> m_orders;
    QList<QPushButton *> m_ports;
    // The captions in full; a button shows them shortened when narrow.
    QVector<QString> m_captions;
};
