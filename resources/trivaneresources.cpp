#include "trivaneresources.h"

#include <QtGlobal>
#include <QDir>

static void initTrivaneQrc()
{
    Q_INIT_RESOURCE(trivane);
    Q_INIT_RESOURCE(translations);
}

namespace Trivane {
void initResources()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    initTrivaneQrc();
}
}
