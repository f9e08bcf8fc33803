#include <QApplication>

#include "resources/trivaneresources.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Trivane::initResources();
    return 0;
}
