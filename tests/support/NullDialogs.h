#pragma once

#include "shared/Dialogs.h"

#include <QStringList>

// Dialogs that answer nothing and remember the messages shown.
class NullDialogs : public Dialogs {
public:
    void message(QWidget*, const QString& text, const QString&, Icon) override { messages << text; }
    bool confirm(QWidget*, const QString&, const QString&) override { return false; }
    QString input(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString openFile(QWidget*, const QString&) override { return {}; }
    QString saveFile(QWidget*, const QString&) override { return {}; }
    bool choosePrinter(QWidget*, QPrinter&) override { return false; }
    bool startProgram(const QString&, const QStringList&) override { return false; }

    QStringList messages;
};
