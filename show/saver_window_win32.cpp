// The show's window on Windows (pairs with saver_window_win32.h).
//
// The frame loop runs inside Form_Load and pumps every pending message before
// drawing and after presenting, so key, mouse, timer and close handlers run
// only between frames. The pacing decision (saver_loop.h) says how many steps
// each frame stands for and whether the loop relies on the swap interval or
// waits on a high-resolution waitable timer until the next frame's time.
// While the system reports the display off, the loop draws nothing and
// sleeps until a message comes; on battery it draws 30 frames a second. It
// never asks the system to keep the display or the machine awake.

#include "saver_window_win32.h"

#include <GL/gl.h>
#include <windowsx.h>

#include <chrono>
#include <cstring>

#include "paths.h"
#include "startup_win32.h"

namespace sorvane {

const wchar_t* const Sorvane_S::kClassName = L"Sorvane_S";

const GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
const GUID kMonitorPowerOn = {0x02731015, 0x4510, 0x4526, {0x99, 0xe6, 0xe5, 0xa1, 0x7e, 0xbd, 0x1a, 0xea}};
const GUID kAcDcPowerSource = {0x5d3e9a59, 0xe9d5, 0x4b00, {0xa6, 0xbd, 0xff, 0x34, 0xff, 0x51, 0x65, 0x48}};
const GUID kPowerSavingStatus = {0xe00958c0, 0xc213, 0x4ace, {0xac, 0x77, 0xfe, 0xcc, 0xed, 0x2e, 0xee, 0xa5}};

namespace {

// The shift state as the handlers receive it: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftState() {
  int shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
  if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
  if (GetKeyState(VK_MENU) < 0) shift |= 4;
  return shift;
}

}  // namespace

Sorvane_S::Sorvane_S(const SettingsRecord& Settings, char Switch, ShowSystemCalls& System)
    : settings_(Settings), switch_(Switch), system_(System) {}

bool Sorvane_S::Create() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  // A device context of its own: pixel format, context and SwapBuffers all
  // use the same one for the window's whole life.
  wc.style = CS_OWNDC;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  // Black: the window covers the screen while the photograph is prepared,
  // before the first frame, and the show itself is drawn over black.
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);  // a second window of the class finds it registered
  window_ = CreateWindowExW(0, kClassName, kShowWindowTitle, WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                            0, 0, nullptr, nullptr, instance, this);
  return window_ != nullptr;
}

void Sorvane_S::Load() {
  if (!Create()) {
    // Without a window there is no show; undo what Main set and end.
    if (switch_ == 'S') system_.AllowSystemKeys(true);
    EndProgram();
  }
  Form_Load();
}

void Sorvane_S::Form_Load() {
  loaded_ = true;
  // 1. Every monitor (still hidden): one window over the virtual screen, a
  //    swarm in each monitor's part of it. With one monitor that is the
  //    primary screen from its top-left corner (0, 0).
  layout_ = LayOutMonitors(MonitorAreas());
  SetWindowPos(window_, nullptr, layout_.Window.X, layout_.Window.Y, layout_.Window.Width, layout_.Window.Height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  //    Shown at once, black and in front: preparing a large photograph takes
  //    a while, and the desktop must not stay visible meanwhile.
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  UpdateWindow(window_);
  RegisterPowerNotifications();
  // 2. The temporary bitmap.
  PreparePhoto();
  // 3. Start values.
  ShowDone = 0;
  scene_.TiltAngle = 90.0f;
  scene_.SpinAngle = 0.0f;
  // 4. The window was made in the normal state and is neither minimised nor
  //    maximised; nothing to change while it is hidden.
  // 5. The scene's colours start from the time of day.
  const uint32_t seed = ShowRandom::SecondsSinceMidnight();
  random_.Seed(seed);
  // 6. Pixel format, context, window shown and focused, viewport, scene.
  if (!OpenRenderContext(context_, window_, 16, scene_, bitmap_.Path, random_)) ShowDone = -1;
  // 7.
  TiltUp = -1;
  scene_.ViewDistance = static_cast<float>(static_cast<double>(settings_.StarSize) - 25.0);
  // The further monitors' swarms, sharing the photograph.
  if (!ShowDone) swarms_.SetUp(layout_, scene_, seed);
  // With a folder: each monitor's own photograph, and new ones as the show goes on.
  if (!ShowDone) {
    const int64_t seconds = int64_t{settings_.ChangeMinutes} * 60;
    photos_ = FolderPhotosForShow(settings_.PicturePath, bitmap_.Shown, seconds, swarms_.Count());
    swarms_.ChangePhotographs(photos_.get(), static_cast<long>(seconds * Swarms::kStepsPerSecond));
  }
  // 8.
  ShowWindow(window_, SW_SHOWNORMAL);
  // 9.
  SetTimer(window_, kTimer1, kTimer1Interval, nullptr);
  if (!ShowDone) PlanPacing();
  pacingDue_ = false;

  // 10. The frame loop.
  pacer_.Start(FramePacer::Clock::now());
  while (!ShowDone) {
    PumpMessages();
    if (!power_.Drawing()) {
      RestWhileDark();
      continue;
    }
    if (pacingDue_) {
      pacingDue_ = false;
      PlanPacing();
    }
    const int steps = pacer_.StepsForFrame(FramePacer::Clock::now());
    if (!DrawSteps(steps)) {
      ShowDone = -1;
      break;
    }
    // Drawn and not yet presented: anything drawn over the swarm goes here.
    PresentFrame(context_);
    if (observer_ && observer_->FramePresented(pacer_, FramePacer::Clock::now(), steps)) ShowDone = -1;
    PumpMessages();
    const auto now = FramePacer::Clock::now();
    frameTimer_.WaitUntil(pacer_.FramePresented(now));
  }

  // 11. 12. 13.
  EndShowMode(switch_, system_);
  Form_Unload();
}

void Sorvane_S::Form_KeyDown(WPARAM, int) { ShowDone = -1; }

void Sorvane_S::Form_KeyUp(WPARAM, int) {}

void Sorvane_S::Form_MouseDown(int, int, int, int) { ShowDone = -1; }

void Sorvane_S::Timer1_Timer() { SweepTilt(scene_.TiltAngle, TiltUp); }

void Sorvane_S::Form_Unload() {
  unloading_ = true;
  swarms_.ChangePhotographs(nullptr, 0);
  photos_.reset();  // its worker stops
  UnregisterPowerNotifications();
  frameTimer_.Release();
  CloseRenderContext(context_);
  DeletePhotoBitmap(bitmap_);
  bitmap_ = PhotoBitmapFile{};
  // The window goes with the process; no further handler runs.
  EndProgram();
}

// Logoff or shutdown: the process is ended once this returns, so unload now
// (context released, bitmap deleted); a cancelled end changes nothing.
void Sorvane_S::Form_EndSession(bool Ending) {
  if (Ending && loaded_ && !unloading_) Form_Unload();
}

// What the display and the power supply are now. A change of the supply
// makes the loop decide its frame rate anew; the display's state is the
// loop's to act on.
void Sorvane_S::Form_PowerSettingChange(const GUID& Setting, DWORD Value) {
  const bool frugal = power_.Frugal();
  if (IsEqualGUID(Setting, kConsoleDisplayState)) {
    power_.DisplayState = Value == 0   ? ShowPower::Display::Off
                          : Value == 2 ? ShowPower::Display::Dimmed
                                       : ShowPower::Display::On;
  } else if (IsEqualGUID(Setting, kMonitorPowerOn)) {
    power_.DisplayState = Value == 0 ? ShowPower::Display::Off : ShowPower::Display::On;
  } else if (IsEqualGUID(Setting, kAcDcPowerSource)) {
    power_.OnBattery = Value != 0;
  } else if (IsEqualGUID(Setting, kPowerSavingStatus)) {
    power_.BatterySaver = Value != 0;
  }
  if (power_.Frugal() != frugal) pacingDue_ = true;
}

// The display is off: no frame, no GL call and no timer until it is back;
// the thread sleeps until a message comes, so a key or a button still ends
// the show. Back on, the motion goes on from where it was: the dark time is
// dropped, not run as missed steps.
void Sorvane_S::RestWhileDark() {
  KillTimer(window_, kTimer1);
  while (!ShowDone && !power_.Drawing()) {
    WaitMessage();
    PumpMessages();
  }
  if (ShowDone) return;
  SetTimer(window_, kTimer1, kTimer1Interval, nullptr);
  pacer_.Start(FramePacer::Clock::now());
}

// The system tells the current values at once and every change after; each
// registration that fails leaves the show as it would be without it.
void Sorvane_S::RegisterPowerNotifications() {
  powerNotifications_[0] = RegisterPowerSettingNotification(window_, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
  if (!powerNotifications_[0]) {
    powerNotifications_[0] = RegisterPowerSettingNotification(window_, &kMonitorPowerOn, DEVICE_NOTIFY_WINDOW_HANDLE);
  }
  powerNotifications_[1] = RegisterPowerSettingNotification(window_, &kAcDcPowerSource, DEVICE_NOTIFY_WINDOW_HANDLE);
  powerNotifications_[2] = RegisterPowerSettingNotification(window_, &kPowerSavingStatus, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void Sorvane_S::UnregisterPowerNotifications() {
  for (HPOWERNOTIFY& notification : powerNotifications_) {
    if (notification) UnregisterPowerSettingNotification(notification);
    notification = nullptr;
  }
}

void Sorvane_S::PreparePhoto() {
  random_.SeedFromTimeOfDay();
  bitmap_ = PreparePhotoSquare(settings_.PicturePath, ProgramFolder(), random_, PhotoBitmapPlace::BesideProgram);
}

// Runs the steps this frame stands for on every monitor's swarm: the missed
// ones undrawn, the last drawn.
bool Sorvane_S::DrawSteps(int Steps) { return swarms_.DrawSteps(scene_, random_, Steps); }

namespace {

BOOL CALLBACK AddMonitor(HMONITOR Monitor, HDC, LPRECT, LPARAM Areas) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(Monitor, &info)) return TRUE;
  const RECT& r = info.rcMonitor;
  const ScreenArea area{r.left, r.top, r.right - r.left, r.bottom - r.top};
  auto* list = reinterpret_cast<std::vector<ScreenArea>*>(Areas);
  if (info.dwFlags & MONITORINFOF_PRIMARY) {
    list->insert(list->begin(), area);
  } else {
    list->push_back(area);
  }
  return TRUE;
}

}  // namespace

std::vector<ScreenArea> MonitorAreas() {
  std::vector<ScreenArea> areas;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&areas));
  if (areas.empty()) areas.push_back(ScreenArea{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  return areas;
}

// The pacing decision for this display and renderer; asks for its swap
// interval and makes the timer the loop waits on where it waits itself.
void Sorvane_S::PlanPacing() {
  PacingInputs inputs;
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  // 0 and 1 stand for the hardware's default rate: unknown.
  if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmDisplayFrequency > 1)
    inputs.RefreshHz = static_cast<int>(mode.dmDisplayFrequency);
  inputs.SoftwareRenderer = IsSoftwareRenderer(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  inputs.Frugal = power_.Frugal();
  inputs.Unpaced = observer_ && observer_->Unpaced();
  const PacingPlan& plan = pacer_.Plan(inputs);
  pacer_.SwapIntervalResult(RequestSwapInterval(plan.SwapInterval));
  if (pacer_.Unpaced()) return;
  frameTimer_.Create();
}

// Asks the driver to wait Interval refreshes on every SwapBuffers (0: not at
// all; WGL_EXT_swap_control). False when it cannot be asked or refuses.
bool Sorvane_S::RequestSwapInterval(int Interval) {
  using SwapIntervalProc = BOOL(WINAPI*)(int);
  const auto proc = reinterpret_cast<SwapIntervalProc>(
      reinterpret_cast<void*>(wglGetProcAddress("wglSwapIntervalEXT")));
  return proc && proc(Interval);
}

void Sorvane_S::PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

LRESULT CALLBACK Sorvane_S::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  if (Message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(LParam);
    auto* self = static_cast<Sorvane_S*>(create->lpCreateParams);
    self->window_ = Window;
    SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Sorvane_S*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(Window, Message, WParam, LParam);
  return self->HandleMessage(Message, WParam, LParam);
}

LRESULT Sorvane_S::HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:  // Alt, F10 and Alt combinations arrive here
      Form_KeyDown(WParam, ShiftState());
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      Form_KeyUp(WParam, ShiftState());
      return 0;
    case WM_LBUTTONDOWN:
      Form_MouseDown(1, ShiftState(), GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam));
      return 0;
    case WM_RBUTTONDOWN:
      Form_MouseDown(2, ShiftState(), GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam));
      return 0;
    case WM_MBUTTONDOWN:
      Form_MouseDown(4, ShiftState(), GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam));
      return 0;
    case WM_XBUTTONDOWN:
      Form_MouseDown(GET_XBUTTON_WPARAM(WParam) == XBUTTON1 ? 8 : 16, ShiftState(), GET_X_LPARAM(LParam),
                     GET_Y_LPARAM(LParam));
      return TRUE;
    case WM_TIMER:
      if (WParam == kTimer1) Timer1_Timer();
      return 0;
    case WM_PAINT: {
      // OpenGL draws every frame; painting only validates.
      PAINTSTRUCT ps;
      BeginPaint(window_, &ps);
      EndPaint(window_, &ps);
      return 0;
    }
    case WM_POWERBROADCAST:
      if (WParam == PBT_POWERSETTINGCHANGE && LParam) {
        const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(LParam);
        DWORD value = 0;
        if (setting->DataLength >= sizeof value) {
          std::memcpy(&value, setting->Data, sizeof value);
          Form_PowerSettingChange(setting->PowerSetting, value);
        }
      }
      return TRUE;  // never refuses a suspend
    case WM_QUERYENDSESSION:
      return TRUE;  // never holds up the end of the session
    case WM_ENDSESSION:
      Form_EndSession(WParam != FALSE);
      return 0;
    case WM_CLOSE:
    case WM_DESTROY:
      // The system closes the window: unload at once.
      if (loaded_ && !unloading_) Form_Unload();
      return 0;
    default:
      return DefWindowProcW(window_, Message, WParam, LParam);
  }
}

}  // namespace sorvane
