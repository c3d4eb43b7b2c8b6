#pragma once

#include <QString>

class QWidget;

namespace slm
{

class Dialogs;

// At start-up, before the port window: a recording in this folder that never stopped is offered
// for saving, with only the choices that can be carried out truthfully. "Later" (or closing the
// box) leaves everything for the next start.
void offerInterruptedRecording(Dialogs& dialogs, const QString& folder, QWidget* parent = nullptr);

} // namespace slm
