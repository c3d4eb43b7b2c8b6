#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;
class QPrinter;

namespace slm
{

// Every modal question the program asks goes through here, so tests script the answers.
class Dialogs
{
public:
    // None: a plain message with its OK button only.
    enum class Icon { Information, Warning, Critical, Question, None };
    virtual ~Dialogs() = default;

    virtual void message(QWidget* parent, const QString& text, const QString& title, Icon icon) = 0;
    // The same message with more to read behind its "Show Details..." button. By default the
    // details follow the text.
    virtual void detailedMessage(QWidget* parent, const QString& text, const QString& details,
                                 const QString& title, Icon icon);
    // A question with its own buttons: the index of the one pressed, -1 when the box was closed
    // otherwise. The last button is the one Escape presses. By default nothing is pressed.
    virtual int choose(QWidget* parent, const QString& text, const QString& title,
                       const QStringList& buttons);
    // OK / Cancel; true for OK.
    virtual bool confirm(QWidget* parent, const QString& text, const QString& title) = 0;
    // Returns "" for Cancel as well as for an empty answer, as the program treats both alike.
    virtual QString input(QWidget* parent, const QString& prompt, const QString& title,
                          const QString& defaultText) = 0;
    // Full path, or "" when cancelled. The filter uses the "Name|*.ext|Name|*.*|" form.
    virtual QString openFile(QWidget* parent, const QString& filter) = 0;
    virtual QString saveFile(QWidget* parent, const QString& filter) = 0;
    // The same, starting at `proposedPath` (a folder and a name the user may take or change). By
    // default the proposal is passed over.
    virtual QString saveFileAs(QWidget* parent, const QString& filter, const QString& proposedPath);
    // Shows the printer dialog for the given printer; false when cancelled.
    virtual bool choosePrinter(QWidget* parent, QPrinter& printer) = 0;
    // Shows the pages that `paint` draws onto the printer before anything is sent; the user may
    // print them from there, which runs `paint` once more onto the chosen printer. True when the
    // pages were printed from the preview.
    virtual bool previewPrint(QWidget* parent, QPrinter& printer, std::function<void(QPrinter*)> paint) = 0;
    // Starts a program detached, with arguments (never a shell line); false when it failed.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
};

// Converts "Data Files (*.slmm)|*.slmm|All Files (*.*)|*.*|" to Qt's ";;" filter form.
QString qtFileFilter(const QString& pipeFilter);

class QtDialogs : public Dialogs
{
public:
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
};

} // namespace slm
