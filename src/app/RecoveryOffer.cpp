#include "app/RecoveryOffer.h"

#include "measurement/RecordFileFormat.h"
#include "recording/RecordingRecovery.h"
#include "shared/Dialogs.h"

#include <QDir>
#include <QFileInfo>

namespace slm
{

namespace
{

const QString Title = QStringLiteral("Interrupted Recording");

// The wanted file, or another one the user names when it is empty or exists by now; "" when
// cancelled.
QString targetPath(Dialogs& dialogs, QWidget* parent, const QString& wanted)
{
    QString path = wanted;
    while (path.isEmpty() || QFileInfo::exists(path)) {
        path = dialogs.saveFile(parent, RecordFileFilter);
        if (path.isEmpty())
            return {};
        // The save dialog has asked before choosing an existing file; this one is the user's
        // own choice, but the recovered file still never replaces it.
        if (QFileInfo::exists(path)) {
            dialogs.message(parent,
                            QStringLiteral("\"%1\" exists. The recording is saved to a new file only.")
                                .arg(QDir::toNativeSeparators(path)),
                            Title, Dialogs::Icon::Warning);
        }
    }
    return path;
}

bool save(Dialogs& dialogs, QWidget* parent, const InterruptedRecording& found, bool withHeader)
{
    QString path = withHeader ? found.note->recordFilePath : QString();
    for (;;) {
        path = targetPath(dialogs, parent, path);
        if (path.isEmpty())
            return false;
        const QString error =
            withHeader ? writeRecoveredRecording(path, found) : writeRecoveredRecords(path, found);
        if (error.isEmpty())
            break;
        // E.g. the folder chosen at the start is gone with its removable disk: another file will do.
        dialogs.message(parent, error + QStringLiteral(" Choose another file."), Title,
                        Dialogs::Icon::Critical);
        path.clear();
    }
    dialogs.message(parent,
                    QStringLiteral("The recording was saved to \"%1\".").arg(QDir::toNativeSeparators(path)),
                    Title, Dialogs::Icon::Information);
    return true;
}

} // namespace

void offerInterruptedRecording(Dialogs& dialogs, const QString& folder, QWidget* parent)
{
    const InterruptedRecording found = findInterruptedRecording(folder);
    // Nothing to offer: the stop had written the file; only its note was left.
    if (found.state == InterruptedRecording::State::AlreadySaved) {
        discardInterruptedRecording(found);
        return;
    }
    const QList<RecoveryAction> actions = recoveryActions(found);
    if (actions.isEmpty())
        return;
    QStringList buttons;
    for (const RecoveryAction action : actions)
        buttons << recoveryActionText(action);
    const int chosen = dialogs.choose(parent, recoveryMessage(found), Title, buttons);
    if (chosen < 0)
        return;
    bool done = false;
    switch (actions[chosen]) {
    case RecoveryAction::Save:
        done = save(dialogs, parent, found, true);
        break;
    case RecoveryAction::SaveRecordsOnly:
        done = save(dialogs, parent, found, false);
        break;
    case RecoveryAction::Discard:
        done = true;
        break;
    case RecoveryAction::Later:
        return;
    }
    if (done && !discardInterruptedRecording(found)) {
        dialogs.message(parent,
                        QStringLiteral("The note of the interrupted recording could not be removed; it is "
                                       "offered again at the next start."),
                        Title, Dialogs::Icon::Warning);
    }
}

} // namespace slm
