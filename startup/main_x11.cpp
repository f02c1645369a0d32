// Start-up of the Linux program `sorvane` (X11 + GLX). The Windows
// counterpart is startup_win32.cpp.
//
// The same switches as the Windows screen saver: "-s" (or nothing) runs the
// show, "-p <X window id>" draws the preview into that window, "-c" tells where
// the settings live. A copy of the show or of the settings dialog already on
// the display ends this one at once, saying why; a lock file closes the gap
// between two shows started at the same moment. For XScreenSaver,
// "--window-id ID", "--root" or XSCREENSAVER_WINDOW draw the show into a
// given window; there the guard does not apply, since one copy runs per
// monitor, and the settings come from the command line alone. XScreenSaver's
// common options (-fps, -delay, ...) are read by linux_options.h.

#include <X11/Xlib.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "command_line.h"
#include "image_folder_posix.h"
#include "instance_guard_x11.h"
#include "linux_options.h"
#include "paths.h"
#include "preview_x11.h"
#include "saver_window_x11.h"
#include "settings_file.h"
#include "show_lock_posix.h"

namespace sorvane {
namespace {

void PrintSettingsHelp() {
  std::printf(
      "Sorvane's settings are chosen in XScreenSaver's settings window: run\n"
      "xscreensaver-settings, pick Sorvane in the list and open its settings (the\n"
      "photograph or the image folder, the time per photograph, the picture size, the\n"
      "frame rate). XScreenSaver passes them on the command line, and under\n"
      "XScreenSaver the command line alone counts.\n"
      "Run by hand outside XScreenSaver, the show takes -image PATH, -change-every\n"
      "SECONDS and -size N and otherwise reads %s when that file exists\n"
      "(section [Section]: the photograph or a folder, the number shown at once, the\n"
      "picture size and the minutes between the photographs of a folder, as the\n"
      "Windows program keeps them).\n",
      SettingsFileName().c_str());
}

// The display named by DISPLAY. A server that is busy accepting other
// clients can refuse a connection for a moment (its listen queue full), so a
// refusal is tried again a few times over about a second before the program
// says it cannot open the display; no DISPLAY at all is not waited for.
Display* OpenDisplayPatiently() {
  Display* display = XOpenDisplay(nullptr);
  const char* name = std::getenv("DISPLAY");
  for (int attempt = 0; !display && name && *name && attempt < 5; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    display = XOpenDisplay(nullptr);
  }
  return display;
}

// Closes the display connection when the program is done with it.
struct DisplayConnection {
  Display* Dpy = OpenDisplayPatiently();
  ~DisplayConnection() {
    if (Dpy) XCloseDisplay(Dpy);
  }
};

int Run(const LinuxOptions& options);

int Main(int argc, char** argv) {
  // Texts follow the user's locale; numbers are read with "." in every locale.
  std::setlocale(LC_ALL, "");
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
  const LinuxOptions options = ParseLinuxOptions(args, std::getenv("XSCREENSAVER_WINDOW"));

  switch (options.Mode) {
    case LinuxMode::Usage:
      std::fputs(LinuxUsage(), stdout);
      return 0;
    case LinuxMode::End:
      // An unknown option or a bad value ends the program at once, naming it.
      if (!options.Error.empty()) std::fprintf(stderr, "sorvane: %s\n", options.Error.c_str());
      std::fputs(LinuxUsage(), stderr);
      return 2;
    default:
      break;
  }
  const int status = Run(options);
  // A show ended by a signal has cleaned up; it now ends by that signal.
  if (const int signal = EndSignal()) EndBySignal(signal);
  return status;
}

// Everything that holds the display, the lock or the show.
int Run(const LinuxOptions& options) {
  DisplayConnection connection;
  Display* display = connection.Dpy;
  // One show per user and display: the lock first, then the window guard.
  // Into a given window, copies run side by side: neither applies there.
  // A start that gives way says why on standard error, since nothing appears,
  // and ends with status 0: that is no failure.
  ShowLock lock;
  if (options.Mode == LinuxMode::Show && display) {
    const std::string lockPath = ShowLockPath(std::getenv("XDG_RUNTIME_DIR"), DisplayString(display));
    if (!lock.Take(lockPath)) {
      std::fprintf(stderr, "sorvane: not starting: another show already runs on display %s (it holds %s)\n",
                   DisplayString(display), lockPath.c_str());
      return 0;
    }
  }
  GuardWindow found;
  if (options.Mode != LinuxMode::IntoWindow && display && AnotherCopyIsShowing(display, &found)) {
    const bool settingsOpen = found.Title == kSettingsWindowTitleUtf8;
    std::fprintf(stderr, "sorvane: not starting: %s on display %s (window 0x%lx \"%s\")\n",
                 settingsOpen ? "Sorvane's settings window is open" : "another show already runs",
                 DisplayString(display), static_cast<unsigned long>(found.Id), found.Title.c_str());
    return 0;
  }

  if (options.Mode == LinuxMode::Preview) {
    if (!display) {
      std::fprintf(stderr, "sorvane: cannot open the X display\n");
      return 1;
    }
    return RunPreview(display, static_cast<::Window>(options.PreviewWindow));
  }

  if (options.Mode == LinuxMode::Settings) {
    PrintSettingsHelp();
    return 0;
  }

  // Under XScreenSaver the command line alone holds the settings; the
  // settings file serves the show outside it.
  SettingsRecord settings = CommandLineSettings(options);
  if (options.Mode != LinuxMode::IntoWindow) {
    LoadSettings(settings);
    if (options.ImageGiven) settings.PicturePath = options.ImagePath;
    if (options.SizeGiven) settings.StarSize = options.Size;
  }
  if (options.RandomPhoto) {
    // The image folder is walked by the show itself; a feed address is left
    // to XScreenSaver's helper, which waits for nothing but the network and
    // the disk (a feed read for the first time may take a few seconds).
    std::string folder, picked, why;
    if (XScreenSaverImageFolder(folder, why) && !IsFeedAddress(folder)) {
      settings.PicturePath = folder;
    } else if (!folder.empty() && PickFromImageFolder(ImageFolderHelperPlaces(ProgramFolder()), 15000, picked, why)) {
      settings.PicturePath = picked;
    } else {
      std::fprintf(stderr, "sorvane: %s; showing %s instead\n", why.c_str(),
                   settings.PicturePath.empty() ? "a built-in photograph" : settings.PicturePath.c_str());
    }
  }

  if (!display) {
    std::fprintf(stderr, "sorvane: cannot open the X display\n");
    return 1;
  }
  CatchEndSignals();
  Sorvane_S show(display, settings, options.HideCursor);
  show.SetFrameRateShown(options.ShowFrameRate);
  show.SetFrameDelay(options.DelayMicroseconds);
  show.SetChangeSeconds(options.ChangeEverySeconds);
  if (options.Mode == LinuxMode::IntoWindow) return show.RunInWindow(static_cast<::Window>(options.TargetWindow));
  return show.RunOwnWindow();
}

}  // namespace
}  // namespace sorvane

int main(int argc, char** argv) { return sorvane::Main(argc, argv); }
