#pragma once

#include <QList>
#include <QString>
#include <QVector>
#include <QWidget>

class MainWindow;
class NameStore;
class PortStatusLable;
class QGridLayout;

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

public slots:
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
    // The 16 cards of one group (hidden until a model shows them), each with
    // a filler that stands in an empty cell of the grid.
    QList<PortStatusLable *> buildCards(QWidget *group, const QString &prefix, int kind, QList<QWidget *> *fillers);
    // The first `shown` cards in `columns` columns over `rows` rows.
    static void placeCards(QGridLayout *grid, const QList<PortStatusLable *> &cards, const QList<QWidget *> &fillers,
        int shown, int columns, int rows);
    void showPortStatus(const QVector<bool> &inputs, const QVector<bool> &outputs);
    void showLinkLost();
    void onNameChanged(int kind, int number);

    Ui::PortStatusPage *ui = nullptr;
    MainWindow *m_window = nullptr;
    NameStore *m_names = nullptr;
    QList<PortStatusLable *> m_inputs;
    QList<PortStatusLable *> m_outputs;
    QList<QWidget *> m_inputFillers;
    QList<QWidget *> m_outputFillers;
    bool m_refreshing = false;
};
