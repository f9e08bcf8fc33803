#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QVector>
#include <QWidget>

#include "link/transfer/fileinfo.h"
#include "mainwindow/edid/edidmodel.h"
#include "mainwindow/transfer/transferrunner.h"

#include <optional>

class EdidLineEdit;
class MainWindow;
class NameStore;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class my_ToolButton;

namespace Ui {
class EdidPage;
}

// Page 5: the input buttons, the 28 EDID profiles as exclusive option boxes
// with their captions (four user slots named by the operator), and the set
// button. Choosing an input reads its profile; setting waits for the device
// to confirm exactly what was sent. A second view (`page_EDID_2`) uploads an
// EDID file into one of the four user slots, shows the slots' names, what
// the chosen file is and how the last upload went.
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

    void on_pushButton_Load_EDID_File_clicked();
    void on_pushButton_upload_clicked();
    // The four upload slots are exclusive.
    void on_checkBox_EDID1_clicked();
    void on_checkBox_EDID2_clicked();
    void on_checkBox_EDID3_clicked();
    void on_checkBox_EDID4_clicked();
    // A chosen or dropped EDID file.
    void setEdidFile(const QString &path);
    // The upload view (true) or the profile view (false).
    void showUploadView(bool upload);

public:
    // Options per row in every group (the same in each, so the groups'
    // columns line up): four, fewer when the page is too narrow for them.
    static constexpr int MaxOptionColumns = 4;
    static constexpr int MinOptionColumns = 2;
    static constexpr int OptionMinHeight = 28;
    static constexpr int OptionMaxHeight = 40;

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildInputButtons();
    void buildOptions();
    void connectWindow();
    void registerBranches();

    // Checks box `box` (1..28) and unchecks every other one; 0 unchecks all.
    void selectBox(int box);
    // The device's answers about input EDIDs (query or set).
    void applyAnswers(const QString &reply);
    void showCaptions();
    // The caption of user slot 1..4: the stored name, else the built-in text.
    QString slotCaption(int slot) const;
    bool isDefaultSlotText(int slot, const QString &text) const;
    void storeSlotName(int slot);
    // Places every shown option in its group's grid, m_columns to a row.
    void layoutOptions();
    // Picks the column count for the width the options have.
    void fitColumns();
    void forgetInput();

    void showInputName(int input);
    void showPortStatus(const QVector<bool> &inputs);
    void showLinkLost();

    // ---- upload view
    QCheckBox *uploadSlotBox(int slot) const;
    // Checks upload slot `slot` (1..4) alone.
    void chooseUploadSlot(int slot);
    // The operator's slot names under the upload boxes.
    void showUploadSlotNames();
    QLabel *uploadSlotName(int slot) const;
    void connectRunner();
    void showTransfer(bool visible);
    void showProgress(int percent);
    void setUploadChoiceEnabled(bool enabled);
    // The file information card: reads the field's file, or shows `read`.
    void readFileInfo();
    void noteFile(const QString &path, const FileTransfer::FileRead &read);
    void showFileInfo();
    void showLastTransfer();

    Ui::EdidPage *ui = nullptr;
    MainWindow *m_window = nullptr;
    NameStore *m_names = nullptr;
    QList<my_ToolButton *> m_inputs;
    QMap<EdidLineEdit *, QCheckBox *> m_slotBoxes;
    Edid::SetTracker m_tracker;
    Edid::SlotNames m_slotNames;
    int m_edidInput = 0;
    // Index box - 1: the option box, its caption and the cell holding both.
    QVector<QCheckBox *> m_boxes;
    QVector<QLineEdit *> m_captions;
    QVector<QWidget *> m_cells;
    QVector<EdidLineEdit *> m_slotFields; // slot 1..4 at index 0..3
    // Per group: stand-ins for the empty cells of a short first row.
    QMap<QGridLayout *, QVector<QWidget *>> m_fillers;
    int m_outputs = 16; // copies shown
    int m_columns = MaxOptionColumns;
    int m_cellWidth = 0; // widest option, the width of every column
    QString m_uploadSlot;                // of the upload last announced
    int m_percent = 0;
    bool m_transferShown = false;

    QString m_filePath; // as read last, trimmed
    FileTransfer::Problem m_fileProblem = FileTransfer::Problem::NoPath;
    FileTransfer::EdidSummary m_summary; // of the file as read last
    qint64 m_transferTotal = 0; // size of the file announced last
    std::optional<TransferRunner::Figures> m_lastTransfer;
    bool m_lastSucceeded = false;
    QString m_lastSlot;
};
