#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace slm
{

// What the panel's command line asks for. It is read before the window system starts, so "--help"
// and "--version" answer without a display, and a wrong command line is refused before any window
// opens. The window system's own options ("-platform NAME", "-style NAME", ...) are left to it.
struct PanelCommandLine {
    enum class Action { Run, Help, Version, Wrong };
    Action action = Action::Run;
    QString error; // what is wrong, for Action::Wrong
};

// `arguments` without the program's name.
PanelCommandLine parsePanelCommandLine(const QStringList& arguments);

// The "--help" text.
QString panelUsageText();

// Answers "--help", "--version" and a wrong command line on standard output or standard error;
// returns the exit status then, nothing when the panel is to start.
std::optional<int> answerPanelCommandLine(int argc, char** argv);

} // namespace slm
