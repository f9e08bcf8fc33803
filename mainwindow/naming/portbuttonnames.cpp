#include "mainwindow/naming/portbuttonnames.h"

#include "mainwindow/naming/buttontext.h"
#include "widgets/my_toolbutton.h"

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

} // namespace PortButtonNames
