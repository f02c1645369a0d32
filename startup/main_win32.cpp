// Entry point of the Windows screen saver: `Main`, the mode dispatch. The
// guard, the system flag and the command line live in startup_win32.cpp.

#include <windows.h>

#include <string>

#include "command_line.h"
#include "preview_window_win32.h"
#include "saver_window_win32.h"
#include "settings_dialog_win32.h"
#include "settings_file.h"
#include "startup_win32.h"

namespace sorvane {

namespace {

// Narrow form of the argument text for the portable parser: ASCII stays
// ASCII; anything else can never form a switch or a digit.
std::string NarrowArguments(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
  return out;
}

}  // namespace

void Main() {
  const std::string arguments = NarrowArguments(ArgumentText());
  // No arguments at all is how the system's Configure verb starts us.
  const char mode = ModeOf(arguments);

  // The show and the dialog are single: the mutexes first, since two copies
  // started together both pass the window-title guard before either window
  // exists; then the titles, which older copies without the mutexes answer to.
  if (!MayStart(mode)) EndProgram();

  if (mode == 'P') {
    int32_t parent = 0;
    if (ReadPreviewParent(arguments, parent) != ParentNumber::Read) EndProgram();
    const HWND parentWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(parent));
    // A preview inside the desktop or the taskbar would cover it for good.
    if (parent == 0 || !IsWindow(parentWindow) || IsShellWindow(parentWindow)) EndProgram();
    Sorvane_R::Run(parentWindow);
  }

  SettingsRecord settings;
  LoadSettings(settings);

  if (mode == 'C') {
    // Windows' settings page passes its window ("/c:1234"): the dialog is
    // modal to it. Configure passes nothing, and then the dialog stands alone.
    ShowSettingsDialog(settings, arguments.empty() ? nullptr : SettingsOwner(arguments));
    EndProgram();
  }
  if (mode != 'S') EndProgram();

  BeginShowMode(mode, SystemCalls());
  Sorvane_S show(settings, mode, SystemCalls());
  show.Load();
}

}  // namespace sorvane

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { sorvane::Main(); }
