#include "shared/Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>

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

void QtDialogs::message(QWidget* parent, const QString& text, const QString& title, Icon icon)
{
    QMessageBox::Icon qtIcon = QMessageBox::Information;
    switch (icon) {
    case Icon::Information:
        qtIcon = QMessageBox::Information;
        break;
    case Icon::Warning:
        qtIcon = QMessageBox::Warning;
        break;
    case Icon::Critical:
        qtIcon = QMessageBox::Critical;
        break;
    case Icon::Question:
        qtIcon = QMessageBox::Question;
        break;
    case Icon::None:
        qtIcon = QMessageBox::NoIcon;
        break;
    }
    QMessageBox box(qtIcon, title, text, QMessageBox::Ok, parent);
    box.exec();
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

QString QtDialogs::saveFile(QWidget* parent, const QString& filter)
{
    // QFileDialog asks before overwriting an existing file by default.
    QString path = QFileDialog::getSaveFileName(parent, QString(), QString(), qtFileFilter(filter));
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".slmm");
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
