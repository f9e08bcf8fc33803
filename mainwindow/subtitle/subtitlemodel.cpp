#include "mainwindow/subtitle/subtitlemodel.h"
