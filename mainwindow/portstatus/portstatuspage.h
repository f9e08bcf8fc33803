#pragma once

#include <QList>
#include <QString>
#include <QVector>
#include <QWidget>

class MainWindow;
class NameStore;
class PortStatusLable;

namespace Ui {
class PortStatusPage;
}

// Sub-page 0 of the system information page: one card per input and output
// port with its name, whether a signal is connected and its resolution, and
// a button that reads them all again.
class PortStatusPage final : public QWidget
{
    Q_OBJECT
public:
    PortStatusPage(MainWindow *window, NameStore *names, QWidget *parent = nullptr);
    ~PortStatusPage() override;

    // label_Port_input_status_N / label_Port_output_status_N, N = 1..16.
    PortStatusLable *inputLabel(int input) const;
    PortStatusLable *outputLabel(int output) const;
    bool refreshedOnce() const { return m_refreshedOnce; }

public slots:
    // The sub-page came into view: the first time, it reads the ports.
    void onShown();
    // "(info,link)", "(get,i.res,0)", "(get,o.res,0)" with the window disabled
    // behind the waiting overlay.
    void refresh();
    void on_pushButton_Refresh_port_status_clicked();
    // Shows the cards of a matrix size.
    void applyModel(const QString &model);
    void showInputResolution(int input, const QString &resolution);
    void showOutputResolution(int output, const QString &resolution);

protected:
    void changeEvent(QEvent *event) override;

private:
    Ui::PortStatusPage *ui = nullptr;
    MainWindow *m_window = nullptr;
    NameStore *m_names = nullptr;
    QList<PortStatusLable *> m_inputs;
    QList<PortStatusLable *> m_outputs;
    bool m_refreshedOnce = false;
    bool m_refreshing = false;
};
