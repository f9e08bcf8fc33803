#include "mybutton.h"

#include "widgets/buttontext.h"
#include "widgets/mylineedit.h"

#include <QMouseEvent>

MyButton::MyButton(QWidget *parent) : QPushButton(parent)
{
    setContextMenuPolicy(Qt::NoContextMenu);
    m_editor = new MyLineEdit(this);
    m_editor->setObjectName(QStringLiteral("lineEdit_Rename"));
    m_editor->setMaxLength(ButtonText::SceneMaxLength);
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
    m_editor->setState(MyLineEdit::Accepted);
    m_editor->setText(ButtonText::unescape(ButtonText::withoutLineBreaks(m_oldText)));
    m_editing = true;
    emit sendLineEdit(this, m_editor, 2);
    m_editor->setGeometry(rect());
    m_editor->show();
    m_editor->setFocus();
    m_editor->selectAll();
}

void MyButton::m_ReName(int num)
{
    if (!m_editing)
        return;
    m_editing = false;
    if (num == MyLineEdit::FinishCancel) {
        setText(m_oldText);
    } else {
        const QString plain = ButtonText::withoutLineBreaks(m_editor->text());
        if (!plain.isEmpty())
            setText(ButtonText::escape(ButtonText::wrapSceneName(plain)));
    }
    closeEditor();
    emit send_Scene_renamed();
}

void MyButton::closeEditor()
{
    m_editor->clear();
    m_editor->hide();
}
