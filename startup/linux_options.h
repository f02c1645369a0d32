// The Linux program's command line (main_x11.cpp): the screen-saver switches
// ("-s", "-p <window>", "-c", nothing), the XScreenSaver options
// ("--window-id ID", "--root", the XSCREENSAVER_WINDOW environment variable,
// and the common options every XScreenSaver module takes: "-fps", "-no-fps",
// "-delay N", "-window", "-install", "-visual V", "-mono", "-pair") and the
// settings overrides ("--image PATH", "--random-photo", "--size N",
// "--change-every SECONDS"). Options are matched by their whole name, with one
// or two leading dashes. Portable; reads no
// environment itself and opens no display. The Windows program reads its
// command line with command_line.h instead.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings_file.h"

namespace sorvane {

// What the program is asked to do.
enum class LinuxMode {
  Show,      // the show in a window of its own ("-s" or no switch)
  IntoWindow,// the show drawn into a given window (XScreenSaver)
  Preview,   // the preview picture inside PreviewWindow
  Settings,  // tell where the settings live
  Usage,     // --help
  End,       // an unknown option or a bad value: end at once
};

struct LinuxOptions {
  LinuxMode Mode = LinuxMode::Show;
  char Switch = '\0';              // the screen-saver switch given: 'S', 'P', 'C' or '\0'
  bool HideCursor = false;         // "-s": the cursor is hidden during the show
  uint64_t TargetWindow = 0;       // IntoWindow: the window; 0 means the root window
  uint64_t PreviewWindow = 0;      // Preview: the host's window
  bool ImageGiven = false;         // --image overrides the photograph of the settings
  std::string ImagePath;           // empty: a built-in photograph
  bool SizeGiven = false;          // --size overrides the picture size of the settings
  float Size = 12.0f;              // 1 to 20
  bool RandomPhoto = false;        // -random-photo: a photograph from XScreenSaver's image folder
  bool ShowFrameRate = false;      // -fps: frames per second and load in a corner
  // -delay: microseconds between frames that the user asked for; absent when
  // not given (the show then paces itself).
  std::optional<int64_t> DelayMicroseconds;
  // -change-every: seconds between photographs of a folder, 0 for never;
  // absent when not given (the settings file's minutes then count).
  std::optional<int64_t> ChangeEverySeconds;
  std::string Error;               // End: why, naming the option
};

// The longest -delay accepted: ten seconds between frames.
constexpr int64_t kMaxDelayMicroseconds = 10'000'000;

// The longest -change-every accepted: a day, as the settings file's limit.
constexpr int64_t kMaxChangeSeconds = 86'400;

// Reads a window id: decimal, or hexadecimal after "0x"/"0X". Blanks around
// are allowed; anything else, 0, or a value beyond 32 bits (X ids are 29 bits)
// gives false.
bool ParseWindowId(const std::string& Text, uint64_t& Id);

// Reads the arguments after the program name. XScreenSaverWindow is the value
// of the XSCREENSAVER_WINDOW environment variable, or null when unset.
LinuxOptions ParseLinuxOptions(const std::vector<std::string>& Args, const char* XScreenSaverWindow);

// The settings of a show drawn into XScreenSaver's window: the command line
// alone, on the defaults of an empty settings file (built-in photograph,
// count 30, size 12, a new photograph of a folder every minute).
// XScreenSaver leaves out an option whose value equals its default, so a
// settings file must not fill the gap.
SettingsRecord CommandLineSettings(const LinuxOptions& Options);

// The text printed for --help and after a bad option.
const char* LinuxUsage();

}  // namespace sorvane
