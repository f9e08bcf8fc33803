#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QWidget>

#include "mainwindow/edid/edidmodel.h"

class EdidLineEdit;
class MainWindow;
class NameStore;
class QCheckBox;
class my_ToolButton;

namespace Ui {
class EdidPage;
}

// Page 5: the input buttons, the 28 EDID profiles as exclusive option boxes
// with their captions (four user slots named by the operator), and the set
// button. Choosing an input reads its profile; setting waits for the device
// to confirm exactly what was sent.
class EdidPage final : public QWidget
{
    Q_OBJECT
public:
    EdidPage(MainWindow *window, NameStore *names, QWidget *parent = nullptr);
    ~EdidPage() override;

    int edidInput() const { return m_edidInput; }
    bool setPending() const { return m_tracker.pending(); }
    const QList<my_ToolButton *> &inputButtons() const { return m_inputs; }
    // checkBox_HDMI1_N, N = 1..28; nullptr outside.
    QCheckBox *optionBox(int box) const;

public slots:
    void toolButton_EDIDHDMI_clicked();
    void on_pushButton_EDID_Set_clicked();
    void onLineEditPressed(EdidLineEdit *lineEdit);
    void CheckBox_Single_choice();
    // Shows the input buttons (and the "copy output" profiles) of a matrix size.
    void Route_selection_EDID_currentTextChanged(const QString &model);

protected:
    void changeEvent(QEvent *event) override;

private:
    Ui::EdidPage *ui = nullptr;
    MainWindow *m_window = nullptr;
    NameStore *m_names = nullptr;
    QList<my_ToolButton *> m_inputs;
    QMap<EdidLineEdit *, QCheckBox *> m_slotBoxes;
    Edid::SetTracker m_tracker;
    Edid::SlotNames m_slotNames;
    int m_edidInput = 0;
};
