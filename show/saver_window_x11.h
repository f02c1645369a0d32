// The show on Linux, `Sorvane_S`: either in a borderless window of its own
// titled "Sorvane_Main" over every monitor, a swarm on each (ended by any key or mouse
// button), or drawn into a window it is given (XScreenSaver's window, one
// swarm; or the root window, a swarm on each monitor; ended by an end signal
// or the window's destruction). Pairs
// with saver_window_x11.cpp; the Windows counterpart is saver_window_win32.h.
// The OpenGL binding is render_context_x11.h and the drawing scene.h; this
// only drives them. It does not open or close the display connection.
#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "folder_photos.h"
#include "frame_rate_overlay_x11.h"
#include "monitor_layout.h"
#include "photo_square.h"
#include "render_context_x11.h"
#include "saver_loop.h"
#include "scene.h"
#include "settings_file.h"
#include "show_random.h"
#include "swarms.h"

namespace sorvane {

// The monitors of Screen in root-window pixels, the primary first: XRandR's
// lit outputs, or Xinerama's screens where XRandR knows one output or none,
// or the whole screen when neither tells.
std::vector<ScreenArea> MonitorAreas(Display* Connection, int Screen);

// The primary monitor (the first of MonitorAreas).
ScreenArea PrimaryMonitorArea(Display* Connection, int Screen);

// The refresh rate of the primary monitor's mode in Hz (rounded down, as
// displays report 59.94 as 59); 0 when XRandR does not tell it.
int PrimaryRefreshHz(Display* Connection, int Screen);

// True when a window manager that follows the EWMH runs on Screen
// (_NET_SUPPORTING_WM_CHECK names a live window that names itself).
bool WindowManagerPresent(Display* Connection, int Screen);

// Makes SIGTERM, SIGINT, SIGHUP and SIGQUIT ask the running show to end
// between frames, so that it cleans up before the process ends.
void CatchEndSignals();

// The signal that asked the show to end, or 0.
int EndSignal();

// Ends the process by Signal with its default action, once the show has
// cleaned up, so that whoever started it (XScreenSaver's daemon) sees the
// ending it asked for. No core file is written for SIGQUIT.
[[noreturn]] void EndBySignal(int Signal);

class Sorvane_S {
 public:
  // HideCursor: the "-s" switch hides the pointer over the show's window.
  Sorvane_S(Display* Connection, const SettingsRecord& Settings, bool HideCursor);
  Sorvane_S(const Sorvane_S&) = delete;
  Sorvane_S& operator=(const Sorvane_S&) = delete;
  ~Sorvane_S();

  // -fps: draw the frame rate and the load in the lower left corner.
  void SetFrameRateShown(bool Shown) { frameRateShown_ = Shown; }

  // -delay: the microseconds between frames the user asked for; absent when
  // not given.
  void SetFrameDelay(std::optional<int64_t> Microseconds) { frameDelay_ = Microseconds; }

  // --change-every: seconds between photographs of a folder; absent: the
  // settings file's minutes.
  void SetChangeSeconds(std::optional<int64_t> Seconds) { changeSeconds_ = Seconds; }

  // Runs the show in a window of its own until a key or a mouse button;
  // returns the process's exit status (non-zero when the show could not start).
  int RunOwnWindow();

  // Runs the show inside Target (0: the root window, a swarm on each
  // monitor) until a signal or the window's end; returns the process's exit
  // status.
  int RunInWindow(::Window Target);

  // The event handlers.
  void Form_KeyDown(unsigned int KeyCode, unsigned int State);
  void Form_KeyUp(unsigned int KeyCode, unsigned int State);
  void Form_MouseDown(unsigned int Button, unsigned int State, int X, int Y);
  void Timer1_Timer();
  void Form_Unload();

  // Writes the photo square as the temporary bitmap (or keeps it in memory
  // when no place takes the file).
  void PreparePhoto(PhotoBitmapPlace Place);

  // Makes the show's own window (not yet mapped) over Area; 0 on failure.
  ::Window CreateOwnWindow(const ScreenArea& Area);

  // Handles one X event.
  void HandleEvent(const XEvent& Event);

  // Benchmarks only: Observer watches every frame (null: none).
  void Observe(FrameObserver* Observer) { observer_ = Observer; }

  Scene& Show() { return scene_; }
  int16_t ShowDone = 0;  // -1: the show ends after the current frame
  int16_t TiltUp = -1;   // -1: TiltAngle is growing

 private:
  bool StartShow(RenderWindowKind Kind, PhotoBitmapPlace Place);
  void SeedRandom();
  void FrameLoop();
  bool DrawSteps(int Steps);
  void CoverEveryMonitor();
  void PumpEvents();
  void PlanPacing();
  bool RequestSwapInterval(int Interval);
  bool TargetStillThere();
  static void ConnectionLost(Display* Connection, void* Self);

  Display* dpy_;
  SettingsRecord settings_;
  bool hideCursor_;
  bool ownWindow_ = false;
  bool everyMonitor_ = false;  // own window or the root window: a swarm per monitor
  bool inputEnds_ = false;  // own window: keys and buttons end the show
  ::Window window_ = 0;
  Colormap colormap_ = 0;
  Cursor blankCursor_ = 0;
  Atom wmDeleteWindow_ = 0;
  Scene scene_;  // the primary monitor's swarm
  ShowRandom random_;
  MonitorLayout layout_;  // own or root window: its area and a viewport per monitor
  Swarms swarms_;         // the primary's and the further monitors' swarms
  PhotoBitmapFile bitmap_;
  RenderContext context_;
  FramePacer pacer_;
  TickTimer timer1_;
  FrameObserver* observer_ = nullptr;
  bool unloaded_ = false;
  bool frameRateShown_ = false;
  FrameRateOverlay frameRate_;
  std::optional<int64_t> frameDelay_;
  std::optional<int64_t> changeSeconds_;  // --change-every; absent: the settings file's minutes
  std::unique_ptr<FolderPhotos> photos_;  // a folder's further photographs; null for one photograph
};

}  // namespace sorvane
