// The Linux program's command line (main_x11.cpp): the screen-saver switches
// ("-s", "-p <window>", "-c", nothing), the XScreenSaver options
// ("--window-id ID", "--root", the XSCREENSAVER_WINDOW environment variable)
// and the settings overrides ("--image PATH", "--size N"). Portable; reads no
// environment itself and opens no display.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sorvane {

// What the program is asked to do.
enum class LinuxMode {
  Show,      // the show in a window of its own ("-s" or no switch)
  IntoWindow,// the show drawn into a given window (XScreenSaver)
  Preview,   // the preview picture inside PreviewWindow
  Settings,  // tell where the settings live
  Usage,     // --help
  End,       // an unknown switch or a bad value: end at once
};

struct LinuxOptions {
  LinuxMode Mode = LinuxMode::Show;
  char Switch = '\0';              // as SwitchOf reads the screen-saver arguments
  bool HideCursor = false;         // "-s": the cursor is hidden during the show
  uint64_t TargetWindow = 0;       // IntoWindow: the window; 0 means the root window
  uint64_t PreviewWindow = 0;      // Preview: the host's window
  bool ImageGiven = false;         // --image overrides the photograph of the settings
  std::string ImagePath;           // empty: a built-in photograph
  bool SizeGiven = false;          // --size overrides the picture size of the settings
  float Size = 12.0f;              // 1 to 20
  std::string Error;               // End: why (empty for an unknown switch)
};

// Reads a window id: decimal, or hexadecimal after "0x"/"0X". Blanks around
// are allowed; anything else, 0, or a value beyond 32 bits (X ids are 29 bits)
// gives false.
bool ParseWindowId(const std::string& Text, uint64_t& Id);

// Reads the arguments after the program name. XScreenSaverWindow is the value
// of the XSCREENSAVER_WINDOW environment variable, or null when unset.
LinuxOptions ParseLinuxOptions(const std::vector<std::string>& Args, const char* XScreenSaverWindow);

// The text printed for --help and after a bad value.
const char* LinuxUsage();

}  // namespace sorvane
