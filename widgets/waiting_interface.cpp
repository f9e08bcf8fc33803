#include "waiting_interface.h"

#include "app/commonlyused.h"

#include <QFile>
#include <QLabel>
#include <QMovie>
#include <QVBoxLayout>

Waiting_Interface::Waiting_Interface(QWidget *parent, bool connectionSettingsMode)
    : FBaseDialog(parent), m_connectionSettingsMode(connectionSettingsMode)
{
    setObjectName(QStringLiteral("Waiting_Interface"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowOpacity(OverlayOpacity);
    setStyleSheet(QStringLiteral("#Waiting_Interface{background-color:rgb(0,0,0);}"
                                 "QLabel#label_wait{background-color:rgb(0,0,0);}"));

    if (connectionSettingsMode) {
        m_picturePath = QStringLiteral("://image/ConnectionSettingsStar.gif");
    } else {
        const QString local = CommonlyUsed::applicationDir() + QStringLiteral("/image/star.gif");
        m_picturePath = QFile::exists(local) ? local : QStringLiteral("://image/star.gif");
    }

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("label_wait"));
    m_label->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label);

    m_movie = new QMovie(m_picturePath, QByteArray(), this);
    m_movie->setBackgroundColor(Qt::black);
    m_label->setMovie(m_movie);
}

void Waiting_Interface::showEvent(QShowEvent *event)
{
    FBaseDialog::showEvent(event);
    m_movie->start();
}

void Waiting_Interface::hideEvent(QHideEvent *event)
{
    FBaseDialog::hideEvent(event);
    m_movie->stop();
}

void Waiting_Interface::showOver(const QWidget *target)
{
    if (target) {
        const QWidget *window = target->window();
        setGeometry(window->frameGeometry());
    }
    show();
    raise();
}
