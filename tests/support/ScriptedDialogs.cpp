#include "support/ScriptedDialogs.h"

using namespace slm;

void ScriptedDialogs::message(QWidget*, const QString& text, const QString& title, Icon icon)
{
    messages.append({text, title, icon, QString()});
}

void ScriptedDialogs::detailedMessage(QWidget*, const QString& text, const QString& details,
                                      const QString& title, Icon icon)
{
    messages.append({text, title, icon, details});
}

int ScriptedDialogs::choose(QWidget*, const QString& text, const QString& title, const QStringList& buttons)
{
    choices.append({text, title, buttons});
    return chooseAnswers.isEmpty() ? -1 : chooseAnswers.dequeue();
}

bool ScriptedDialogs::confirm(QWidget*, const QString& text, const QString&)
{
    confirmTexts << text;
    return confirmAnswers.isEmpty() ? false : confirmAnswers.dequeue();
}

QString ScriptedDialogs::input(QWidget*, const QString& prompt, const QString& title,
                               const QString& defaultText)
{
    inputPrompts << title + u'|' + prompt + u'|' + defaultText;
    return inputAnswers.isEmpty() ? QString() : inputAnswers.dequeue();
}

QString ScriptedDialogs::openFile(QWidget*, const QString& filter)
{
    ++openDialogs;
    fileFilters << filter;
    return openAnswers.isEmpty() ? QString() : openAnswers.dequeue();
}

QString ScriptedDialogs::saveFile(QWidget*, const QString& filter)
{
    ++saveDialogs;
    fileFilters << filter;
    return saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
}

bool ScriptedDialogs::choosePrinter(QWidget*, QPrinter&)
{
    return printerAnswers.isEmpty() ? false : printerAnswers.dequeue();
}

bool ScriptedDialogs::startProgram(const QString& program, const QStringList& arguments)
{
    startedPrograms.append(QStringList{program} + arguments);
    return startProgramResult;
}

QStringList ScriptedDialogs::messageTexts() const
{
    QStringList texts;
    for (const Message& m : messages)
        texts << m.text;
    return texts;
}
