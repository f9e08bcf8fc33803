#include "mainwindow/partition/splitmodebutton.h"

#include <QLabel>
#include <QResizeEvent>

SplitmodeButton::SplitmodeButton(QWidget *parent)
    : QPushButton(parent)
    , m_label(new QLabel(this))
{
    m_label->setObjectName(QStringLiteral("label_SplitmodeInput"));
    m_label->setStyleSheet(QStringLiteral("QLabel{color:white;font-size:15px;}"));
    m_label->setAlignment(Qt::AlignCenter);
    // The whole button takes the click, the number included.
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_label->hide();
}

void SplitmodeButton::setInputLabel(const QString &text)
{
    m_label->setText(text);
    m_label->setVisible(!text.isEmpty());
}

QString SplitmodeButton::inputLabel() const
{
    return m_label->text();
}

void SplitmodeButton::resizeEvent(QResizeEvent *event)
{
    QPushButton::resizeEvent(event);
    // The upper right quarter: away from the centred caption.
    const QSize size = event->size();
    m_label->setGeometry(size.width() / 2, 0, size.width() - size.width() / 2, size.height() / 2);
}
