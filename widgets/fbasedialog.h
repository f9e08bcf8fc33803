#pragma once

#include <QDialog>
#include <QRect>
#include <QSize>

class QParallelAnimationGroup;

// Base of every frameless dialog of the program. Besides the window flags it
// offers the shared fold-and-fade close: the dialog shrinks to its bottom
// edge while it fades out, then closes.
class FBaseDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int CloseAnimationMs = 600;

    explicit FBaseDialog(QWidget *parent = nullptr);

    // Starts the close animation; closeAnimationFinished() runs once when it
    // ends. Returns false (and does nothing) while one is already running.
    bool closeWithAnimation();
    bool isCloseAnimationRunning() const { return m_closeGroup != nullptr; }

    // Rounds the dialog's corners; the mask follows every resize.
    void setCornerRadius(int radius);

protected:
    // Called once when the close animation ends; the default closes the dialog.
    virtual void closeAnimationFinished();
    // Stops a running close animation without calling closeAnimationFinished()
    // and puts size and opacity back, so the dialog can be shown again.
    void abortCloseAnimation();
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void restoreAfterAnimation();

    QParallelAnimationGroup *m_closeGroup = nullptr;
    QRect m_geometryBeforeClose;
    QSize m_minimumBeforeClose;
    QSize m_maximumBeforeClose;
    bool m_restorePending = false;
    int m_cornerRadius = 0;
};
