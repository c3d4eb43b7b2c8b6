#include "support/ScriptedDialogs.h"

#include <QPrinter>

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

QString ScriptedDialogs::saveFileAs(QWidget* parent, const QString& filter, const QString& proposedPath)
{
    proposedPaths << proposedPath;
    return saveFile(parent, filter);
}

bool ScriptedDialogs::choosePrinter(QWidget*, QPrinter& printer)
{
    ++printerDialogs;
    const bool accepted = printerAnswers.isEmpty() ? false : printerAnswers.dequeue();
    if (accepted && printerCopies > 0)
        printer.setCopyCount(printerCopies);
    if (accepted && !printerPdfPath.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printerPdfPath);
    }
    return accepted;
}

bool ScriptedDialogs::previewPrint(QWidget*, QPrinter& printer, std::function<void(QPrinter*)> paint)
{
    ++previewDialogs;
    if (!previewPdfPath.isEmpty()) {
        // The pages the preview would show, drawn onto a printer set up as the one given.
        QPrinter shown;
        shown.setResolution(printer.resolution());
        shown.setPageLayout(printer.pageLayout());
        shown.setOutputFormat(QPrinter::PdfFormat);
        shown.setOutputFileName(previewPdfPath);
        paint(&shown);
    }
    const bool printed = previewAnswers.isEmpty() ? false : previewAnswers.dequeue();
    if (printed)
        paint(&printer);
    return printed;
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
