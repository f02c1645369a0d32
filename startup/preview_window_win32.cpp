// The preview window on Windows (pairs with preview_window_win32.h).
//
// The program lives as long as this window: closing it, or the host
// destroying its parent (which destroys the child with it), ends the message
// loop and the program. A host process that dies may take the preview's window
// with it without a message (Wine), so the loop also waits on the host's
// process and, from a timer of the thread, checks that both windows exist.

#include "preview_window_win32.h"

#include <algorithm>

#include "embedded_resources.h"
#include "picture_file.h"
#include "startup_win32.h"

namespace sorvane {

const wchar_t* const Sorvane_R::kClassName = L"Sorvane_R";
const wchar_t* const Sorvane_R::kCaption = L"Preview Window";

Sorvane_R::Sorvane_R() {
  BgrImage picture;
  if (!DecodeJpegMemory(kPreviewJpeg, kPreviewJpegSize, picture)) return;
  pictureWidth_ = picture.Width;
  pictureHeight_ = picture.Height;
  const size_t stride = (static_cast<size_t>(picture.Width) * 3 + 3) & ~size_t{3};
  rows_.assign(stride * picture.Height, 0);
  // Top-down rows of the decoder become the bottom-up rows of a DIB.
  for (int y = 0; y < picture.Height; ++y) {
    const unsigned char* from = picture.Pixels.data() + static_cast<size_t>(y) * picture.Width * 3;
    std::copy(from, from + picture.Width * 3, rows_.data() + (picture.Height - 1 - y) * stride);
  }
}

Sorvane_R::~Sorvane_R() {
  if (window_) DestroyWindow(window_);
}

bool Sorvane_R::Create() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
  window_ = CreateWindowExW(0, kClassName, kCaption, WS_POPUP | WS_CLIPSIBLINGS, 0, 0, 0, 0, nullptr, nullptr,
                            instance, this);
  return window_ != nullptr;
}

void Sorvane_R::PlaceInParent(HWND Parent) {
  parent_ = Parent;
  RECT r{};
  GetWindowRect(Parent, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  // A child window: WS_CHILD added. WS_POPUP goes, since a window cannot be
  // both; every other bit is kept.
  const LONG_PTR style = GetWindowLongPtrW(window_, GWL_STYLE);
  SetWindowLongPtrW(window_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
  SetParent(window_, Parent);
  MoveWindow(window_, 0, 0, width, height, TRUE);
  ShowWindow(window_, SW_SHOWNA);
}

void Sorvane_R::Run(HWND Parent) {
  {
    Sorvane_R preview;
    if (preview.Create()) {
      preview.PlaceInParent(Parent);
      preview.Serve();
    }
  }
  EndProgram();
}

void Sorvane_R::Serve() {
  if (!window_) return;
  // The host's process, unless that is this one (a parent of our own ends
  // with us anyway).
  DWORD hostProcess = 0;
  if (parent_) GetWindowThreadProcessId(parent_, &hostProcess);
  HANDLE host = nullptr;
  if (hostProcess != 0 && hostProcess != GetCurrentProcessId()) host = OpenProcess(SYNCHRONIZE, FALSE, hostProcess);
  const UINT_PTR check = SetTimer(nullptr, 0, kParentCheckInterval, nullptr);

  bool serving = true;
  while (serving) {
    const DWORD waited = MsgWaitForMultipleObjectsEx(host ? 1 : 0, host ? &host : nullptr, INFINITE, QS_ALLINPUT,
                                                     MWMO_INPUTAVAILABLE);
    if (host && waited == WAIT_OBJECT_0) break;  // the host has ended
    MSG msg;
    while (serving && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        serving = false;
      } else if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == check) {
        if (!window_ || !IsWindow(window_) || (parent_ && !IsWindow(parent_))) serving = false;
      } else {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }
  if (check) KillTimer(nullptr, check);
  if (host) CloseHandle(host);
}

void Sorvane_R::Form_Unload() {
  // Closing is never cancelled; the window is destroyed right after, so the
  // message posted here is never delivered.
  PostMessageW(window_, WM_CLOSE, 0, 0);
}

void Sorvane_R::Paint(HDC Dc) {
  RECT client{};
  GetClientRect(window_, &client);
  const int w = pictureWidth_, h = pictureHeight_;
  if (!rows_.empty()) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(Dc, 0, 0, w, h, 0, 0, 0, h, rows_.data(), &bi, DIB_RGB_COLORS);
  }
  // Black to the right of and below the picture (all of it without one).
  const HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  const RECT right{w, 0, client.right, client.bottom};
  const RECT below{0, h, w, client.bottom};
  if (right.right > right.left) FillRect(Dc, &right, black);
  if (below.bottom > below.top && below.right > 0) FillRect(Dc, &below, black);
}

LRESULT CALLBACK Sorvane_R::WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam) {
  if (Message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(LParam);
    auto* self = static_cast<Sorvane_R*>(create->lpCreateParams);
    self->window_ = Window;
    SetWindowLongPtrW(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Sorvane_R*>(GetWindowLongPtrW(Window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(Window, Message, WParam, LParam);
  return self->HandleMessage(Message, WParam, LParam);
}

LRESULT Sorvane_R::HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam) {
  switch (Message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      const HDC dc = BeginPaint(window_, &ps);
      Paint(dc);
      EndPaint(window_, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(WParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // Paint covers every pixel
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_SYSCHAR:
      return 0;  // input does nothing
    case WM_CLOSE:
      Form_Unload();
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      window_ = nullptr;
      return 0;
    default:
      return DefWindowProcW(window_, Message, WParam, LParam);
  }
}

}  // namespace sorvane
