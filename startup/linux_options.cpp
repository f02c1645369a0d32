// Command line of the Linux program (pairs with linux_options.h).

#include "linux_options.h"


namespace sorvane {

namespace {

// One argument read as an option: its name without the leading "-", "--" or
// "/", and an inline "=value" (or ":value" after a screen-saver switch).
struct OptionText {
  bool Slash = false;  // written "/x", the Windows way
  std::string Name;
  bool HasValue = false;
  std::string Value;
};

bool SplitOption(const std::string& Arg, OptionText& Out) {
  if (Arg.size() < 2) return false;
  size_t start = 0;
  if (Arg[0] == '/') {
    Out.Slash = true;
    start = 1;
  } else if (Arg[0] == '-') {
    start = Arg[1] == '-' ? 2 : 1;
  } else {
    return false;
  }
  if (start >= Arg.size()) return false;
  const size_t eq = Arg.find('=', start);
  Out.HasValue = eq != std::string::npos;
  Out.Name = Arg.substr(start, Out.HasValue ? eq - start : std::string::npos);
  Out.Value = Out.HasValue ? Arg.substr(eq + 1) : std::string();
  return !Out.Name.empty();
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The picture size: a number from 1 to 20, in the settings file's syntax.
bool ParseSize(const std::string& Text, float& Size) {
  double v = 0;
  if (Text.size() > 32 || !ParseSettingsNumber(Text, v)) return false;
  if (!(v >= 1.0 && v <= 20.0)) return false;
  Size = static_cast<float>(v);
  return true;
}

// A whole number of units from 0 to Max (the frame delay, the change
// interval): digits only, no sign, no blanks.
bool ParseWholeUpTo(const std::string& Text, int64_t Max, int64_t& Out) {
  if (Text.empty() || Text.size() > 12) return false;
  int64_t v = 0;
  for (char c : Text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v > Max) return false;
  Out = v;
  return true;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The screen-saver switch that Name is ('S', 'P', 'C'), or '\0'. "c:1234"
// is the settings switch as Windows passes it; "p:1234" carries the window.
char ScreenSaverSwitch(const std::string& Name, std::string& Attached) {
  if (Name.empty()) return '\0';
  const char letter = Lower(Name[0]);
  if (letter != 's' && letter != 'p' && letter != 'c') return '\0';
  if (Name.size() == 1) return static_cast<char>(letter - 'a' + 'A');
  if (letter != 's' && Name[1] == ':') {
    Attached = Name.substr(2);
    return static_cast<char>(letter - 'a' + 'A');
  }
  return '\0';
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
  std::string previewText;

  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& arg = Args[i];
    OptionText opt;
    if (!SplitOption(arg, opt)) return Ending("unexpected argument \"" + arg + "\"");
    // Takes the option's value from "=value" or from the next argument.
    auto takeValue = [&](std::string& out) {
      if (opt.HasValue) {
        out = opt.Value;
        return true;
      }
      if (i + 1 >= Args.size()) return false;
      out = Args[++i];
      return true;
    };
    // Takes the option's value as a whole number from 0 to Max.
    auto takeWhole = [&](int64_t Max, int64_t& out) {
      std::string text;
      return takeValue(text) && ParseWholeUpTo(text, Max, out);
    };
    const std::string& name = opt.Name;
    std::string attached;
    const char ssSwitch = opt.HasValue ? '\0' : ScreenSaverSwitch(name, attached);

    if (ssSwitch != '\0') {
      o.Switch = ssSwitch;
      if (ssSwitch == 'P') {
        previewText = attached;
        if (attached.empty() && i + 1 < Args.size()) previewText = Args[++i];
      }
      continue;
    }
    if (opt.Slash) return Ending("unknown option " + arg);

    // Options that take no value.
    const bool flag = name == "root" || name == "fps" || name == "no-fps" || name == "window" ||
                      name == "install" || name == "mono" || name == "pair" || name == "help" || name == "h" ||
                      name == "random-photo";
    if (flag && opt.HasValue) return Ending("option -" + name + " takes no value");

    if (name == "window-id") {
      std::string text;
      uint64_t id = 0;
      if (!takeValue(text) || !ParseWindowId(text, id)) return Ending("-window-id needs a window id (decimal or 0x hex)");
      o.TargetWindow = id;
      windowIdGiven = true;
    } else if (name == "root") {
      rootGiven = true;
    } else if (name == "image") {
      if (!takeValue(o.ImagePath)) return Ending("-image needs a path");
      o.ImageGiven = true;
    } else if (name == "random-photo") {
      o.RandomPhoto = true;
    } else if (name == "size") {
      std::string text;
      if (!takeValue(text) || !ParseSize(text, o.Size)) return Ending("-size needs a number from 1 to 20");
      o.SizeGiven = true;
    } else if (name == "fps") {
      o.ShowFrameRate = true;
    } else if (name == "no-fps") {
      o.ShowFrameRate = false;
    } else if (name == "delay") {
      int64_t delay = 0;
      if (!takeWhole(kMaxDelayMicroseconds, delay)) {
        return Ending("-delay needs whole microseconds from 0 to " + std::to_string(kMaxDelayMicroseconds));
      }
      o.DelayMicroseconds = delay;
    } else if (name == "change-every") {
      int64_t seconds = 0;
      if (!takeWhole(kMaxChangeSeconds, seconds)) {
        return Ending("-change-every needs whole seconds from 0 (never) to " + std::to_string(kMaxChangeSeconds));
      }
      o.ChangeEverySeconds = seconds;
    } else if (name == "visual") {
      // The show picks the visual of the window it draws into, or its own.
      std::string text;
      if (!takeValue(text) || text.empty()) return Ending("-visual needs a visual name or id");
    } else if (name == "window" || name == "install" || name == "mono" || name == "pair") {
      // Meaningless here: the show always draws in colour into one window
      // with the colormap of its visual.
    } else if (name == "help" || name == "h") {
      o = LinuxOptions{};
      o.Mode = LinuxMode::Usage;
      return o;
    } else {
      return Ending("unknown option " + arg);
    }
  }

  const bool intoWindow = windowIdGiven || rootGiven || (XScreenSaverWindow && *XScreenSaverWindow);

  if (o.Switch == 'P') {
    if (!ParseWindowId(previewText, o.PreviewWindow)) return Ending("-p needs the id of the window to draw into");
    o.Mode = LinuxMode::Preview;
    return o;
  }
  if (o.Switch == 'C') {
    o.Mode = LinuxMode::Settings;
    return o;
  }

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

SettingsRecord CommandLineSettings(const LinuxOptions& Options) {
  SettingsRecord settings;
  settings.StarCount = 30;
  settings.StarSize = 12.0f;
  settings.ChangeMinutes = 1;  // the settings window's default of 60 seconds
  if (Options.ImageGiven) settings.PicturePath = Options.ImagePath;
  if (Options.SizeGiven) settings.StarSize = Options.Size;
  return settings;
}

const char* LinuxUsage() {
  return "usage: sorvane [-s | -p WINDOW | -c] [-image PATH | -random-photo] [-change-every SECS]\n"
         "               [-size N] [-fps] [-delay USECS]\n"
         "       sorvane -root | -window-id WINDOW   (XScreenSaver)\n"
         "  -s               run the show (the mouse cursor is hidden); no switch runs it too\n"
         "  -p WINDOW        draw the preview picture inside that X window\n"
         "  -c               tell where the settings are kept\n"
         "  -root            draw the show into XSCREENSAVER_WINDOW, else the root window\n"
         "  -window-id ID    draw the show into that X window (decimal or 0x hex)\n"
         "  -image PATH      show this photograph (BMP, JPEG, PNG, GIF, TIFF, WebP, HEIC, AVIF),\n"
         "                   or photographs picked at random, in turn, from this folder and\n"
         "                   those inside it\n"
         "  -random-photo    photographs from the image folder set in XScreenSaver, as\n"
         "                   a folder given to -image\n"
         "  -change-every SECS\n"
         "                   with a folder, a new photograph after this many seconds\n"
         "                   (0: never; without it the settings' minutes, or a minute)\n"
         "  -size N          picture size 1 to 20 instead of the settings' one\n"
         "  -fps, -no-fps    show or hide the frame rate and load in the lower left corner\n"
         "  -delay USECS     at least this many microseconds between frames\n"
         "  -window, -install, -visual V, -mono, -pair\n"
         "                   accepted as every XScreenSaver module takes them; no effect\n"
         "Options take one or two dashes: -fps and --fps are the same.\n";
}

}  // namespace sorvane
