#include "mybutton.h"

#include "mainwindow/naming/buttontext.h"
#include "widgets/mylineedit.h"

#include <QMouseEvent>

MyButton::MyButton(QWidget *parent) : QPushButton(parent)
{
    setContextMenuPolicy(Qt::NoContextMenu);
    m_editor = new MyLineEdit(this);
    m_editor->setObjectName(QStringLiteral("lineEdit_Rename"));
    m_editor->hide();
    connect(m_editor, &MyLineEdit::renamefinished, this, &MyButton::m_ReName);
}

void MyButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        startRename();
    QPushButton::mouseDoubleClickEvent(event);
}

void MyButton::startRename()
{
    m_oldText = text();
    const QString current = ButtonText::unescape(ButtonText::withoutLineBreaks(m_oldText));
    m_editor->setState(MyLineEdit::Accepted);
    // A longer name is not cut by merely opening and accepting the editor.
    m_editor->setMaxLength(qMax(ButtonText::SceneMaxLength, current.size()));
    m_editor->setText(current);
    m_editing = true;
    emit sendLineEdit(this, m_editor, 2);
    m_editor->setGeometry(rect());
    m_editor->show();
    m_editor->setFocus();
    m_editor->selectAll();
}

void MyButton::m_ReName(int num)
{
    // Enter, then the focus loss of the hidden editor, report twice; after
    // Escape a later accept (a click elsewhere) finds nothing to commit.
    if (!m_editing)
        return;
    m_editing = false;
    if (num == MyLineEdit::FinishCancel) {
        setText(m_oldText);
        closeEditor();
        return;
    }
    const QString plain = ButtonText::withoutLineBreaks(m_editor->text());
    closeEditor();
    if (plain.isEmpty())
        return;
    const QString renamed = ButtonText::escape(ButtonText::wrapSceneName(plain));
    if (renamed == m_oldText)
        return;
    setText(renamed);
    emit send_Scene_renamed();
}

void MyButton::closeEditor()
{
    m_editor->clear();
    m_editor->hide();
}
