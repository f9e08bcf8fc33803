#include "qtlineedit.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QMouseEvent>

QtLineEdit::QtLineEdit(QWidget *parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::returnPressed, this, [this] {
        const QString line = text();
        addToHistory(line);
        emit Send_Command(line);
    });
}

void QtLineEdit::addToHistory(const QString &line)
{
    if (!line.trimmed().isEmpty() && (m_history.isEmpty() || m_history.constLast() != line)) {
        m_history.append(line);
        while (m_history.size() > MaximumHistory)
            m_history.removeFirst();
    }
    m_historyIndex = m_history.size();
    m_draft.clear();
}

void QtLineEdit::keyPressEvent(QKeyEvent *event)
{
    const bool popupShown = completer() && completer()->popup() && completer()->popup()->isVisible();
    if (!popupShown && event->modifiers() == Qt::NoModifier
        && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) && !m_history.isEmpty()) {
        if (m_historyIndex == m_history.size())
            m_draft = text();
        if (event->key() == Qt::Key_Up)
            m_historyIndex = qMax(0, m_historyIndex - 1);
        else
            m_historyIndex = qMin(m_history.size(), m_historyIndex + 1);
        setText(m_historyIndex == m_history.size() ? m_draft : m_history.at(m_historyIndex));
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void QtLineEdit::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && text().isEmpty() && completer()) {
        completer()->setCompletionPrefix(QString());
        completer()->complete();
    }
}
