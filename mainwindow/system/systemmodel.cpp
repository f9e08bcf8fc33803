#include "mainwindow/system/systemmodel.h"
