// The preview window on Windows, `Sorvane_R`: a black, borderless child of the
// display settings page's window that shows the built-in 152 x 152 preview
// picture unscaled at its top-left corner. Pairs with preview_window_win32.cpp;
// the Linux counterpart is preview_x11.h. It runs no show and reads no
// settings.
#pragma once

#include <windows.h>

#include <vector>

namespace sorvane {

class Sorvane_R {
 public:
  static const wchar_t* const kClassName;
  static const wchar_t* const kCaption;  // "Preview Window"
  // How often the preview looks for its parent and its own window, from a
  // timer of the thread (not of the window, which may vanish unannounced).
  static constexpr UINT kParentCheckInterval = 250;  // ms

  Sorvane_R();
  Sorvane_R(const Sorvane_R&) = delete;
  Sorvane_R& operator=(const Sorvane_R&) = delete;
  ~Sorvane_R();

  // Makes the form, hidden. False when it could not be made.
  bool Create();

  // Turns the hidden form into a child of Parent, at (0, 0) with the size of
  // Parent's window rectangle, and shows it.
  void PlaceInParent(HWND Parent);

  // Creates, places and shows the preview, then serves it until it is closed
  // or its parent goes away; ends the program.
  [[noreturn]] static void Run(HWND Parent);

  // Serves the preview's messages until it is closed, its parent or its own
  // window is gone, or the process that owns the parent has ended, however it
  // ended. Returns at once when the preview has no window.
  void Serve();

  // The unload handler: runs when the form is closed.
  void Form_Unload();

  // Paints the picture at (0, 0) and black beyond it (WM_PAINT and WM_PRINTCLIENT).
  void Paint(HDC Dc);

  HWND Window() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam);
  LRESULT HandleMessage(UINT Message, WPARAM WParam, LPARAM LParam);

  HWND window_ = nullptr;
  HWND parent_ = nullptr;
  int pictureWidth_ = 0;
  int pictureHeight_ = 0;
  std::vector<unsigned char> rows_;  // bottom-up, rows padded to 4 bytes, for SetDIBitsToDevice
};

}  // namespace sorvane
