#pragma once

#include <QObject>
#include <QPointer>

#include "mainwindow/subtitle/subtitlemodel.h"

class MainWindow;
class Subtitle_Set;

// The subtitle exchange of the main window: the query for one input, the
// dispatcher branch of subtitle answers (registered here), the one dialog and
// the pending-set state the console shares (MainWindow::subtitlePendingSet:
// 0 query sent, 1 change sent, 2 a typed command was sent).
class SubtitleFlow final : public QObject
{
    Q_OBJECT
public:
    explicit SubtitleFlow(MainWindow *window);
    ~SubtitleFlow() override;

    // Asks the device for the subtitle of `input` (Open_Subtitle_Set).
    void query(int input);
    Subtitle_Set *dialog() const { return m_dialog; }
    bool queryPending() const { return m_queryPending; }

private:
    void onAnswer(const QString &work, const QString &raw);
    void openDialog(const Subtitle::Settings &settings);
    // The input's plain name for the dialog's title.
    QString inputName(int input) const;

    MainWindow *m_window;
    QPointer<Subtitle_Set> m_dialog;
    bool m_queryPending = false;
    // The input the pending query asked for: only its answer opens the dialog.
    int m_queriedInput = 0;
};
