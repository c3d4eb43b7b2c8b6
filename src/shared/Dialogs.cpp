#include "shared/Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>

namespace slm
{

QString qtFileFilter(const QString& pipeFilter)
{
    const QStringList parts = pipeFilter.split(u'|', Qt::SkipEmptyParts);
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        if (!name.contains(u'('))
            name += QStringLiteral(" (%1)").arg(parts[i + 1]);
        filters << name;
    }
    return filters.join(QStringLiteral(";;"));
}

void Dialogs::detailedMessage(QWidget* parent, const QString& text, const QString& details,
                              const QString& title, Icon icon)
{
    message(parent, details.isEmpty() ? text : text + QStringLiteral("\n\n") + details, title, icon);
}

int Dialogs::choose(QWidget*, const QString&, const QString&, const QStringList&)
{
    return -1;
}

namespace
{

QMessageBox::Icon qtIcon(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::Warning:
        return QMessageBox::Warning;
    case Dialogs::Icon::Critical:
        return QMessageBox::Critical;
    case Dialogs::Icon::Question:
        return QMessageBox::Question;
    case Dialogs::Icon::None:
        return QMessageBox::NoIcon;
    }
    return QMessageBox::Information;
}

} // namespace

void QtDialogs::message(QWidget* parent, const QString& text, const QString& title, Icon icon)
{
    QMessageBox box(qtIcon(icon), title, text, QMessageBox::Ok, parent);
    box.exec();
}

void QtDialogs::detailedMessage(QWidget* parent, const QString& text, const QString& details,
                                const QString& title, Icon icon)
{
    QMessageBox box(qtIcon(icon), title, text, QMessageBox::Ok, parent);
    box.setDetailedText(details);
    // Room for a command line in the details without breaking it.
    box.setStyleSheet(QStringLiteral("QTextEdit { min-width: 36em; min-height: 12em; }"));
    box.exec();
}

int QtDialogs::choose(QWidget* parent, const QString& text, const QString& title, const QStringList& buttons)
{
    // A text in two parts shows its first paragraph as the finding and the rest below it.
    const qsizetype split = text.indexOf(QStringLiteral("\n\n"));
    QMessageBox box(QMessageBox::Question, title, split < 0 ? text : text.left(split), QMessageBox::NoButton,
                    parent);
    if (split >= 0)
        box.setInformativeText(text.mid(split + 2));
    box.setObjectName(QStringLiteral("ChoiceBox"));
    // Wide enough that a path in the text does not squeeze every line.
    box.setStyleSheet(QStringLiteral("QLabel#qt_msgbox_label, QLabel#qt_msgbox_informativelabel "
                                     "{ min-width: 34em; }"));
    QList<QAbstractButton*> added;
    for (int i = 0; i < buttons.size(); ++i) {
        const bool last = i == buttons.size() - 1;
        QPushButton* button =
            box.addButton(buttons[i], last ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        button->setObjectName(QStringLiteral("Cmd") + QString(buttons[i]).remove(u' '));
        added << button;
    }
    if (!added.isEmpty()) {
        box.setDefaultButton(static_cast<QPushButton*>(added.first()));
        box.setEscapeButton(added.last());
    }
    box.exec();
    return static_cast<int>(added.indexOf(box.clickedButton()));
}

bool QtDialogs::confirm(QWidget* parent, const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

QString QtDialogs::input(QWidget* parent, const QString& prompt, const QString& title,
                         const QString& defaultText)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? answer : QString();
}

QString QtDialogs::openFile(QWidget* parent, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, QString(), QString(), qtFileFilter(filter));
}

QString Dialogs::saveFileAs(QWidget* parent, const QString& filter, const QString&)
{
    return saveFile(parent, filter);
}

QString QtDialogs::saveFile(QWidget* parent, const QString& filter)
{
    return saveFileAs(parent, filter, QString());
}

QString QtDialogs::saveFileAs(QWidget* parent, const QString& filter, const QString& proposedPath)
{
    // QFileDialog asks before overwriting an existing file by default.
    QString path = QFileDialog::getSaveFileName(parent, QString(), proposedPath, qtFileFilter(filter));
    // A name typed without an extension takes the first one the filter offers (".slmm" for the
    // record files), never another kind's.
    const QString first = filter.section(u'|', 1, 1);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty() && first.startsWith(QStringLiteral("*.")) &&
        first.lastIndexOf(u'*') == 0)
        path += first.mid(1);
    return path;
}

bool QtDialogs::choosePrinter(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::previewPrint(QWidget* parent, QPrinter& printer, std::function<void(QPrinter*)> paint)
{
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&paint](QPrinter* target) { paint(target); });
    // The dialog accepts only after it has printed the pages.
    return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::startProgram(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}

} // namespace slm
