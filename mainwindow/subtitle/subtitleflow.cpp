#include "mainwindow/subtitle/subtitleflow.h"

#include "mainwindow/mainwindow.h"
#include "mainwindow/subtitle/subtitle_set.h"

SubtitleFlow::SubtitleFlow(MainWindow *window) : QObject(window), m_window(window) {}

SubtitleFlow::~SubtitleFlow() = default;

void SubtitleFlow::query(int input)
{
    Q_UNUSED(input)
}

void SubtitleFlow::onAnswer(const QString &work, const QString &raw)
{
    Q_UNUSED(work)
    Q_UNUSED(raw)
}
