// Start-up of the Linux program `sorvane` (X11 + GLX). The Windows
// counterpart is startup_win32.cpp.
//
// The same switches as the Windows screen saver: "-s" (or nothing) runs the
// show, "-p <X window id>" draws the preview into that window, "-c" tells where
// the settings live. A copy of the show or of the settings dialog already on
// the display ends this one at once.

#include <X11/Xlib.h>

#include <clocale>
#include <cstdio>
#include <string>

#include "command_line.h"
#include "instance_guard_x11.h"
#include "paths.h"
#include "settings_file.h"

namespace sorvane {
namespace {

std::string JoinArguments(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text.push_back(' ');
    text += argv[i];
  }
  return text;
}

void PrintSettingsHelp() {
  std::printf(
      "Sorvane keeps its settings in %s\n"
      "Section [Section] holds the photograph (a BMP or JPEG path; empty for a built-in\n"
      "photograph), the number shown at once (10 to 100) and the picture size (1 to 20).\n"
      "Edit that file, or choose the settings in the Windows program's settings dialog.\n",
      SettingsFileName().c_str());
}

int Main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  const std::string arguments = JoinArguments(argc, argv);
  const char mode = SwitchOf(arguments);

  Display* display = XOpenDisplay(nullptr);
  const bool anotherCopy = display && AnotherCopyIsShowing(display);
  if (display) XCloseDisplay(display);
  if (anotherCopy) return 0;

  if (mode == 'P') {
    int32_t parent = 0;
    if (ReadPreviewParent(arguments, parent) != ParentNumber::Read || parent == 0) return 0;
    // The preview arrives with its own step; until then preview ends here.
    return 0;
  }

  SettingsRecord settings;
  LoadSettings(settings);

  if (mode == 'C') {
    PrintSettingsHelp();
    return 0;
  }
  if (mode != 'S' && !arguments.empty()) return 0;
  // The show arrives with its own step; until then the show ends here.
  if (!display) {
    std::fprintf(stderr, "sorvane: cannot open the X display\n");
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace sorvane

int main(int argc, char** argv) { return sorvane::Main(argc, argv); }
