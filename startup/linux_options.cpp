// Command line of the Linux program (pairs with linux_options.h).

#include "linux_options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "command_line.h"

namespace sorvane {

namespace {

// Option name without its leading "-" or "--", and an inline "=value".
bool SplitOption(const std::string& Arg, std::string& Name, std::string& Value, bool& HasValue) {
  if (Arg.size() < 2 || Arg[0] != '-') return false;
  size_t start = (Arg[1] == '-') ? 2 : 1;
  const size_t eq = Arg.find('=', start);
  HasValue = eq != std::string::npos;
  Name = Arg.substr(start, HasValue ? eq - start : std::string::npos);
  Value = HasValue ? Arg.substr(eq + 1) : std::string();
  return true;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The picture size: a plain number from 1 to 20.
bool ParseSize(const std::string& Text, float& Size) {
  if (Text.empty() || Text.size() > 32) return false;
  const char* begin = Text.c_str();
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(begin, &end);
  while (end && IsBlank(*end)) ++end;
  if (errno != 0 || end == begin || *end != '\0' || !std::isfinite(v)) return false;
  if (v < 1.0 || v > 20.0) return false;
  Size = static_cast<float>(v);
  return true;
}

LinuxOptions Ending(const std::string& Why) {
  LinuxOptions o;
  o.Mode = LinuxMode::End;
  o.Error = Why;
  return o;
}

}  // namespace

bool ParseWindowId(const std::string& Text, uint64_t& Id) {
  size_t i = 0;
  while (i < Text.size() && IsBlank(Text[i])) ++i;
  size_t j = Text.size();
  while (j > i && IsBlank(Text[j - 1])) --j;
  std::string t = Text.substr(i, j - i);
  int base = 10;
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
    base = 16;
    t = t.substr(2);
  }
  if (t.empty() || t.size() > 10) return false;
  uint64_t v = 0;
  for (char c : t) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v * base + d;
  }
  if (v == 0 || v > 0xFFFFFFFFull) return false;
  Id = v;
  return true;
}

LinuxOptions ParseLinuxOptions(const std::vector<std::string>& Args, const char* XScreenSaverWindow) {
  LinuxOptions o;
  bool windowIdGiven = false, rootGiven = false;
  std::string rest;  // the screen-saver switches, joined as Windows sees them

  for (size_t i = 0; i < Args.size(); ++i) {
    std::string name, value;
    bool hasValue = false;
    const bool isOption = SplitOption(Args[i], name, value, hasValue);
    // Takes the option's value from "=value" or from the next argument.
    auto takeValue = [&](std::string& out) {
      if (hasValue) {
        out = value;
        return true;
      }
      if (i + 1 >= Args.size()) return false;
      out = Args[++i];
      return true;
    };
    if (isOption && name == "window-id") {
      std::string text;
      uint64_t id = 0;
      if (!takeValue(text) || !ParseWindowId(text, id)) return Ending("--window-id needs a window id (decimal or 0x hex)");
      o.TargetWindow = id;
      windowIdGiven = true;
    } else if (isOption && name == "root" && !hasValue) {
      rootGiven = true;
    } else if (isOption && name == "image") {
      if (!takeValue(o.ImagePath)) return Ending("--image needs a path");
      o.ImageGiven = true;
    } else if (isOption && name == "size") {
      std::string text;
      if (!takeValue(text) || !ParseSize(text, o.Size)) return Ending("--size needs a number from 1 to 20");
      o.SizeGiven = true;
    } else if (isOption && (name == "help" || name == "h") && !hasValue && Args[i].size() > 2) {
      o.Mode = LinuxMode::Usage;
      return o;
    } else {
      if (!rest.empty()) rest.push_back(' ');
      rest += Args[i];
    }
  }

  o.Switch = SwitchOf(rest);
  const bool intoWindow = windowIdGiven || rootGiven || (XScreenSaverWindow && *XScreenSaverWindow);

  if (o.Switch == 'P') {
    // The host's window from the fourth character on, as on Windows, but an
    // X window id may also be written in hexadecimal.
    const std::string number = rest.size() > 3 ? rest.substr(3) : std::string();
    if (!ParseWindowId(number, o.PreviewWindow)) return Ending("-p needs the id of the window to draw into");
    o.Mode = LinuxMode::Preview;
    return o;
  }
  if (o.Switch == 'C') {
    o.Mode = LinuxMode::Settings;
    return o;
  }
  if (o.Switch != 'S' && !rest.empty()) return Ending("");

  o.HideCursor = o.Switch == 'S';
  if (intoWindow) {
    o.Mode = LinuxMode::IntoWindow;
    o.HideCursor = false;
    if (!windowIdGiven && XScreenSaverWindow && *XScreenSaverWindow) {
      // XScreenSaver names the window it wants drawn into.
      if (!ParseWindowId(XScreenSaverWindow, o.TargetWindow)) {
        if (!rootGiven) return Ending("XSCREENSAVER_WINDOW does not hold a window id");
        o.TargetWindow = 0;
      }
    }
    return o;
  }
  o.Mode = LinuxMode::Show;
  return o;
}

const char* LinuxUsage() {
  return "usage: sorvane [-s | -p WINDOW | -c] [--image PATH] [--size N]\n"
         "       sorvane --window-id WINDOW | --root   (XScreenSaver)\n"
         "  -s               run the show (the mouse cursor is hidden); no switch runs it too\n"
         "  -p WINDOW        draw the preview picture inside that X window\n"
         "  -c               tell where the settings file is\n"
         "  --window-id ID   draw the show into that X window (decimal or 0x hex)\n"
         "  --root           draw the show into XSCREENSAVER_WINDOW, else the root window\n"
         "  --image PATH     show this BMP or JPEG photograph instead of the settings' one\n"
         "  --size N         picture size 1 to 20 instead of the settings' one\n";
}

}  // namespace sorvane
