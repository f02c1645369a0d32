// Entry point of the Windows screen saver: `Main`, the mode dispatch. The
// guard, the system flag and the command line live in startup_win32.cpp.

#include <windows.h>

#include <string>

#include "command_line.h"
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
  if (AnotherCopyIsShowing()) EndProgram();

  const std::string arguments = NarrowArguments(ArgumentText());
  const char mode = SwitchOf(arguments);

  if (mode == 'P') {
    int32_t parent = 0;
    if (ReadPreviewParent(arguments, parent) != ParentNumber::Read) EndProgram();
    const HWND parentWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(parent));
    if (parent == 0 || !IsWindow(parentWindow)) EndProgram();
    // The preview window arrives with its own step; until then preview ends here.
    EndProgram();
  }

  SettingsRecord settings;
  LoadSettings(settings);

  if (mode == 'C') {
    // The settings dialog arrives with its own step; until then this ends here.
    EndProgram();
  }
  if (mode != 'S' && !arguments.empty()) EndProgram();

  if (mode == 'S') {
    ShowCursor(FALSE);
    AllowSystemKeys(false);
  }
  // The show's window arrives with its own step; until then the show ends here,
  // clearing the flag it set.
  if (mode == 'S') AllowSystemKeys(true);
  EndProgram();
}

}  // namespace sorvane

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { sorvane::Main(); }
