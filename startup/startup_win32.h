// Start-up of the Windows screen saver: the single-instance guard, the
// screen-saver-running flag and the mode dispatch (startup_win32.cpp).
#pragma once

#include <string>

namespace sorvane {

// Title of the show's window and of the settings dialog; the single-instance
// guard looks for windows with exactly these titles.
extern const wchar_t* const kShowWindowTitle;      // "Sorvane_Main"
extern const wchar_t* const kSettingsWindowTitle;  // "Sorvaneの設定"

// True when a window titled like the show's window or the settings dialog
// exists. Both titles are always looked for.
bool AnotherCopyIsShowing();

// Tells the system whether a screen saver is running (Allow false) or not
// (Allow true).
void AllowSystemKeys(bool Allow);

// The command line after the program name and the blanks that follow it.
std::wstring ArgumentText();

// The start-up procedure: guard, switch, and hand-over to one window. Never
// returns: every path ends the process.
[[noreturn]] void Main();

// Ends the process at once: no further window handler runs.
[[noreturn]] void EndProgram();

}  // namespace sorvane
