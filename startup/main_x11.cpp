// Start-up of the Linux program `sorvane` (X11 + GLX). The Windows
// counterpart is startup_win32.cpp.
//
// The same switches as the Windows screen saver: "-s" (or nothing) runs the
// show, "-p <X window id>" draws the preview into that window, "-c" tells where
// the settings live. A copy of the show or of the settings dialog already on
// the display ends this one at once. For XScreenSaver, "--window-id ID",
// "--root" or XSCREENSAVER_WINDOW draw the show into a given window; there the
// guard does not apply, since one copy runs per monitor.

#include <X11/Xlib.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "command_line.h"
#include "instance_guard_x11.h"
#include "linux_options.h"
#include "paths.h"
#include "preview_x11.h"
#include "saver_window_x11.h"
#include "settings_file.h"

namespace sorvane {
namespace {

void PrintSettingsHelp() {
  std::printf(
      "Sorvane keeps its settings in %s\n"
      "Section [Section] holds the photograph (a BMP or JPEG path; empty for a built-in\n"
      "photograph), the number shown at once (10 to 100) and the picture size (1 to 20).\n"
      "Edit that file, or choose the settings in the Windows program's settings dialog.\n"
      "Run from XScreenSaver, Sorvane's entry in XScreenSaver's settings window offers the\n"
      "photograph and the picture size (the options --image PATH and --size N), which\n"
      "take the place of the file's values.\n",
      SettingsFileName().c_str());
}

// Closes the display connection when the program is done with it.
struct DisplayConnection {
  Display* Dpy = XOpenDisplay(nullptr);
  ~DisplayConnection() {
    if (Dpy) XCloseDisplay(Dpy);
  }
};

int Main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
  const LinuxOptions options = ParseLinuxOptions(args, std::getenv("XSCREENSAVER_WINDOW"));

  switch (options.Mode) {
    case LinuxMode::Usage:
      std::fputs(LinuxUsage(), stdout);
      return 0;
    case LinuxMode::End:
      // An unknown switch or a bad value ends the program at once.
      if (!options.Error.empty()) std::fprintf(stderr, "sorvane: %s\n", options.Error.c_str());
      std::fputs(LinuxUsage(), stderr);
      return 2;
    default:
      break;
  }

  DisplayConnection connection;
  Display* display = connection.Dpy;
  // Into a given window, copies run side by side: no guard there.
  if (options.Mode != LinuxMode::IntoWindow && display && AnotherCopyIsShowing(display)) return 0;

  if (options.Mode == LinuxMode::Preview) {
    if (!display) {
      std::fprintf(stderr, "sorvane: cannot open the X display\n");
      return 1;
    }
    return RunPreview(display, static_cast<::Window>(options.PreviewWindow));
  }

  SettingsRecord settings;
  LoadSettings(settings);
  if (options.ImageGiven) settings.PicturePath = options.ImagePath;
  if (options.SizeGiven) settings.StarSize = options.Size;

  if (options.Mode == LinuxMode::Settings) {
    PrintSettingsHelp();
    return 0;
  }
  if (!display) {
    std::fprintf(stderr, "sorvane: cannot open the X display\n");
    return 1;
  }
  CatchEndSignals();
  Sorvane_S show(display, settings, options.HideCursor);
  if (options.Mode == LinuxMode::IntoWindow) return show.RunInWindow(static_cast<::Window>(options.TargetWindow));
  return show.RunOwnWindow();
}

}  // namespace
}  // namespace sorvane

int main(int argc, char** argv) { return sorvane::Main(argc, argv); }
