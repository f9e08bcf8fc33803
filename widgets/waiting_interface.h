#pragma once

#include "widgets/fbasedialog.h"

class QLabel;
class QMovie;

// Translucent overlay with a spinning picture, shown over a window during a
// blocking exchange with the device.
class Waiting_Interface final : public FBaseDialog
{
    Q_OBJECT
public:
    static constexpr double OverlayOpacity = 0.8;

    // connectionSettingsMode picks the connection dialog's picture.
    explicit Waiting_Interface(QWidget *parent = nullptr, bool connectionSettingsMode = false);

    bool isConnectionSettingsMode() const { return m_connectionSettingsMode; }
    QString picturePath() const { return m_picturePath; }
    QMovie *movie() const { return m_movie; }
    QLabel *label() const { return m_label; }
    // Covers target's window (its whole frame) and shows the overlay on top.
    void showOver(const QWidget *target);

protected:
    // The picture plays only while the overlay shows: a hidden overlay would
    // otherwise wake the idle program for every frame.
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    bool m_connectionSettingsMode = false;
    QString m_picturePath;
    QLabel *m_label = nullptr;
    QMovie *m_movie = nullptr;
};
