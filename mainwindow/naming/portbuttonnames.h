#pragma once

#include "mainwindow/naming/namestore.h"

class my_ToolButton;

// The port buttons of every page show the stored names the same way and
// store what the operator typed on them the same way.
namespace PortButtonNames {

// The display form of the port's name on its button, the whole name as its
// tooltip. An open editor keeps the operator's typing: the accepted name
// comes back through the store.
void show(my_ToolButton *button, const NameStore &names, NameStore::Kind kind, int number);

// Takes the name the operator accepted on `button` for port `number` into
// the store; false when the store could not keep it.
bool store(const my_ToolButton &button, NameStore &names, NameStore::Kind kind, int number);

// Every name the operator accepts on `button` is stored for input `number`
// (a warning when the store cannot keep it).
void storeInputRenames(my_ToolButton *button, NameStore *names, int number);

} // namespace PortButtonNames
