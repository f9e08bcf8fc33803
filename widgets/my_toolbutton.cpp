#include "my_toolbutton.h"

#include "app/commonlyused.h"
#include "mainwindow/naming/buttontext.h"
#include "widgets/mylineedit.h"

#include <QMouseEvent>

namespace {
constexpr int LanguageEnglish = 1;
}

my_ToolButton::my_ToolButton(QWidget *parent) : QToolButton(parent)
{
    setContextMenuPolicy(Qt::NoContextMenu);
    m_editor = new MyLineEdit(this);
    m_editor->setObjectName(QStringLiteral("lineEdit_Rename"));
    m_editor->hide();
    connect(m_editor, &MyLineEdit::renamefinished, this, &my_ToolButton::m_ReName);
}

my_ToolButton *my_ToolButton::createPortButton(QWidget *parent, const QString &objectName)
{
    auto *button = new my_ToolButton(parent);
    button->setObjectName(objectName);
    button->setProperty("Type", QStringLiteral("InputOutputButton"));
    button->setCheckable(true);
    button->setAutoExclusive(true);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setIconSize(QSize(PortIconSize, PortIconSize));
    button->setSignalConnected(false);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setMinimumHeight(PortButtonHeight);
    return button;
}

void my_ToolButton::setSignalConnected(bool connected)
{
    static const QIcon selected(QStringLiteral(":/image/HDMI-Select.png"));
    static const QIcon unselected(QStringLiteral(":/image/HDMI-Unselect.png"));
    setIcon(connected ? selected : unselected);
}

void my_ToolButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        startRename();
    // The double-click also counts as an ordinary press.
    QToolButton::mouseDoubleClickEvent(event);
}

void my_ToolButton::startRename()
{
    m_oldText = text();
    const QString current = ButtonText::unescape(ButtonText::withoutLineBreaks(m_oldText));
    const int limit = CommonlyUsed::getLanguageIndex() == LanguageEnglish ? ButtonText::InputMaxLengthEnglish
                                                                          : ButtonText::InputMaxLength;
    m_editor->setState(MyLineEdit::Accepted);
    // A longer name (from the file or the rename page) is not cut by merely
    // opening and accepting the editor.
    m_editor->setMaxLength(qMax(limit, current.size()));
    m_editor->setText(current);
    m_editing = true;
    emit sendLineEdit(this, m_editor, 1);
    m_editor->setGeometry(rect());
    m_editor->show();
    m_editor->setFocus();
    m_editor->selectAll();
}

void my_ToolButton::m_ReName(int num)
{
    // Enter, then the focus loss of the hidden editor, report twice: act once.
    if (!m_editing)
        return;
    m_editing = false;
    if (num == MyLineEdit::FinishCancel) {
        setText(m_oldText);
        closeEditor();
        return;
    }
    const QString plain = ButtonText::withoutLineBreaks(m_editor->text());
    if (plain.isEmpty()) {
        closeEditor();
        return;
    }
    setText(ButtonText::escape(ButtonText::wrapChannelName(plain)));
    closeEditor();
    emit send_Input_signal();
}

void my_ToolButton::closeEditor()
{
    m_editor->clear();
    m_editor->hide();
}
