#include "mainwindow/system/baudchangemodel.h"

BaudChange::BaudChange(Sink &sink, QObject *parent) : QObject(parent), m_sink(sink) {}

BaudChange::~BaudChange() = default;
