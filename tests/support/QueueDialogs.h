#pragma once

#include "shared/Dialogs.h"

#include <QList>

// Dialogs with queued answers to input boxes; every question and message is logged.
class QueueDialogs : public Dialogs
{
public:
    struct Asked {
        QString prompt, title, defaultText;
    };
    struct Shown {
        QString text, title;
        Icon icon;
    };

    QList<QString> answers; // taken from the front; input() returns "" once they run out
    QList<Asked> asked;
    QList<Shown> shown;

    void message(QWidget*, const QString& text, const QString& title, Icon icon) override
    {
        shown.append({text, title, icon});
    }
    bool confirm(QWidget*, const QString&, const QString&) override { return true; }
    QString input(QWidget*, const QString& prompt, const QString& title, const QString& defaultText) override
    {
        asked.append({prompt, title, defaultText});
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QString openFile(QWidget*, const QString&) override { return {}; }
    QString saveFile(QWidget*, const QString&) override { return {}; }
    bool choosePrinter(QWidget*, QPrinter&) override { return false; }
    bool startProgram(const QString&, const QStringList&) override { return false; }
};
