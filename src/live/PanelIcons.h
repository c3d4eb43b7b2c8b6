#pragma once

#include <QIcon>
#include <QPixmap>

namespace slm
{

// Icons drawn by the program itself, so the panel looks the same on every desktop and stays
// sharp at any scaling (each is drawn at the device pixel ratio it is shown at).
QIcon toolbarIcon(const QString& key);
// "StopRecording" gives the Save button's look while a recording runs.
QIcon stopRecordingIcon();
// The meter's logging state icons: "Run", "Pause", "Stop".
QPixmap stateIcon(const QString& state, int size, qreal devicePixelRatio, const QColor& color);

} // namespace slm
