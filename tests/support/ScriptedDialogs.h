#pragma once

#include "shared/Dialogs.h"

#include <QQueue>
#include <QString>
#include <QStringList>

using namespace slm;

// Dialogs for tests: answers come from queues filled beforehand, every question and message is
// logged. An empty queue answers like Cancel ("" or false).
class ScriptedDialogs : public Dialogs
{
public:
    struct Message {
        QString text;
        QString title;
        Icon icon;
        QString details; // behind "Show Details...", empty for a plain message
    };
    struct Choice {
        QString text;
        QString title;
        QStringList buttons;
    };

    QQueue<QString> inputAnswers;
    QQueue<QString> openAnswers;
    QQueue<QString> saveAnswers;
    QQueue<bool> confirmAnswers;
    QQueue<bool> printerAnswers;
    QQueue<int> chooseAnswers; // index of the button pressed; empty closes the box (-1)
    bool startProgramResult = true;
    // The printer dialog: more than 0 sets that many copies; a path sends the output to a PDF file
    // there, as "Print to File" does.
    int printerCopies = 0;
    QString printerPdfPath;
    // The print preview: true prints from it (its paint runs onto the printer as given); a path
    // makes the preview's pages a PDF file there, so a test can read what the preview showed.
    QQueue<bool> previewAnswers;
    QString previewPdfPath;
    int previewDialogs = 0;
    int printerDialogs = 0;

    QList<Message> messages;
    QList<Choice> choices;
    QStringList inputPrompts;  // "title|prompt|default" per input box asked
    QStringList fileFilters;   // filter of every open or save dialog, in order
    QStringList proposedPaths; // what every save dialog that proposes a file proposed
    QStringList confirmTexts;
    QList<QStringList> startedPrograms; // program followed by its arguments
    int saveDialogs = 0;
    int openDialogs = 0;

    void message(QWidget* parent, const QString& text, const QString& title, Icon icon) override;
    void detailedMessage(QWidget* parent, const QString& text, const QString& details, const QString& title,
                         Icon icon) override;
    int choose(QWidget* parent, const QString& text, const QString& title,
               const QStringList& buttons) override;
    bool confirm(QWidget* parent, const QString& text, const QString& title) override;
    QString input(QWidget* parent, const QString& prompt, const QString& title,
                  const QString& defaultText) override;
    QString openFile(QWidget* parent, const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& filter) override;
    QString saveFileAs(QWidget* parent, const QString& filter, const QString& proposedPath) override;
    bool choosePrinter(QWidget* parent, QPrinter& printer) override;
    bool previewPrint(QWidget* parent, QPrinter& printer, std::function<void(QPrinter*)> paint) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;

    QStringList messageTexts() const;
};
