#include "mainwindow/naming/portbuttonnames.h"

#include "mainwindow/naming/buttontext.h"
#include "widgets/my_toolbutton.h"

#include <QDebug>

namespace PortButtonNames {

void show(my_ToolButton *button, const NameStore &names, NameStore::Kind kind, int number)
{
    if (!button->isEditing())
        button->setText(names.display(kind, number));
    button->setToolTip(names.name(kind, number));
}

bool store(const my_ToolButton &button, NameStore &names, NameStore::Kind kind, int number)
{
    names.setName(kind, number, ButtonText::withoutLineBreaks(ButtonText::unescape(button.text())));
    return names.save(kind);
}

void storeInputRenames(my_ToolButton *button, NameStore *names, int number)
{
    QObject::connect(button, &my_ToolButton::send_Input_signal, names, [button, names, number] {
        if (!store(*button, *names, NameStore::Input, number))
            qWarning() << "input names not stored (not read yet or the file is not writable)";
    });
}

} // namespace PortButtonNames
