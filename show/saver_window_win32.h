// The show's window on Windows, `Sorvane_S`: a borderless window titled
// "Sorvane_Main" over every monitor, a swarm on each, whose load handler runs the whole
// show (photo square, rendering context, frame loop) and ends the program.
// Pairs with saver_window_win32.cpp; the Linux counterpart is
// saver_window_x11.h. The scene itself is drawn by scene.h, the OpenGL binding
// is render_context_win32.h; this window only drives them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "folder_photos.h"
#include "frame_timer_win32.h"
#include "monitor_layout.h"
#include "photo_square.h"
#include "render_context_win32.h"
#include "saver_loop.h"
#include "scene.h"
#include "settings_file.h"
#include "show_random.h"
#include "startup_win32.h"
#include "swarms.h"

namespace sorvane {

// The monitors in virtual-screen pixels (the primary's corner at (0, 0)),
// the primary first.
std::vector<ScreenArea> MonitorAreas();

// The power settings the show registers for (the values of winnt.h's
// GUID_CONSOLE_DISPLAY_STATE, GUID_MONITOR_POWER_ON, GUID_ACDC_POWER_SOURCE
// and GUID_POWER_SAVING_STATUS) and what their DWORD says.
extern const GUID kConsoleDisplayState;  // 0 off, 1 on, 2 dimmed (Windows 8 and later)
extern const GUID kMonitorPowerOn;       // 0 off, 1 on (where the console display state is missing)
extern const GUID kAcDcPowerSource;      // 0 mains, 1 battery, 2 short-term supply (a UPS)
extern const GUID kPowerSavingStatus;    // 0 off, 1 battery saver on

class Sorvane_S {
 public:
  static constexpr UINT_PTR kTimer1 = 1;
  static constexpr UINT kTimer1Interval = 100;  // ms
  static const wchar_t* const kClassName;

  // Switch is the mode as Main read it ('S' or '\0' for an empty command line);
  // System carries the calls that end the show (EndShowMode).
  Sorvane_S(const SettingsRecord& Settings, char Switch, ShowSystemCalls& System);
  Sorvane_S(const Sorvane_S&) = delete;
  Sorvane_S& operator=(const Sorvane_S&) = delete;

  // Makes the window, hidden. False when it could not be made.
  bool Create();

  // Creates the window and runs the show in it; ends the program.
  [[noreturn]] void Load();

  // The event handlers.
  [[noreturn]] void Form_Load();
  void Form_KeyDown(WPARAM KeyCode, int Shift);
  void Form_KeyUp(WPARAM KeyCode, int Shift);
  void Form_MouseDown(int Button, int Shift, int X, int Y);
  void Timer1_Timer();
  [[noreturn]] void Form_Unload();
  // The session ends (logoff, shutdown): Ending false when it was cancelled.
  void Form_EndSession(bool Ending);
  // A power setting the show registered for changed (WM_POWERBROADCAST with
  // PBT_POWERSETTINGCHANGE): the display's state, the power source or the
  // battery saver. Value is the notification's DWORD.
  void Form_PowerSettingChange(const GUID& Setting, DWORD Value);

  // Writes the photo square as the temporary bitmap beside the program.
  void PreparePhoto();

  // Benchmarks only: Observer watches every frame (null: none).
  void Observe(FrameObserver* Observer) { observer_ = Observer; }

  HWND Window() const { return window_; }
  Scene& Show() { return scene_; }
  const ShowPower& Power() const { return power_; }

  int16_t ShowDone = 0;  // -1: the show ends after the current frame
  int16_t TiltUp = -1;   // -1: TiltAngle is growing

 private:
  static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam);
  void PumpMessages();
  bool DrawSteps(int Steps);
  void PlanPacing();
  bool RequestSwapInterval(int Interval);
  void RegisterPowerNotifications();
  void UnregisterPowerNotifications();
  void RestWhileDark();

  SettingsRecord settings_;
  char switch_;
  ShowSystemCalls& system_;
  HWND window_ = nullptr;
  Scene scene_;  // the primary monitor's swarm
  ShowRandom random_;
  MonitorLayout layout_;  // the window's area and a viewport per monitor
  Swarms swarms_;         // the primary's and the further monitors' swarms
  PhotoBitmapFile bitmap_;
  std::unique_ptr<FolderPhotos> photos_;  // a folder's further photographs; null for one photograph
  RenderContext context_;
  FramePacer pacer_;
  FrameObserver* observer_ = nullptr;
  FrameTimer frameTimer_;  // what the loop waits on between frames, where it waits itself
  ShowPower power_;        // as the power notifications last told it
  bool pacingDue_ = false;  // the power source changed: the frame rate is decided anew
  HPOWERNOTIFY powerNotifications_[3] = {};
  bool loaded_ = false;     // Form_Load has started: closing the window unloads it
  bool unloading_ = false;
};

}  // namespace sorvane
