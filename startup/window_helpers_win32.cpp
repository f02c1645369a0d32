// Window helpers of the settings dialog (pairs with window_helpers_win32.h):
// SetupButtons, the zoom origin and the zoom animations.

#include "window_helpers_win32.h"

#include "command_win32.h"

namespace sorvane {

namespace {

// The program's one zoom origin; only the settings dialog writes it.
ZoomOrigin gZoomOrigin;

// One step of SetupButtons' walk over the child windows.
BOOL CALLBACK SetupOneButton(HWND Child, LPARAM Data) {
  const auto* flags = reinterpret_cast<const bool*>(Data);
  try {
    if (Command* button = Command::FromWindow(Child)) {
      if (flags[0]) {
        button->Initialize();
      } else {
        button->SetEnabled(flags[1]);
      }
    }
  } catch (...) {
    // A button that fails is skipped; the walk goes on.
  }
  return TRUE;
}

}  // namespace

// The program's zoom origin.
ZoomOrigin& ProgramZoomOrigin() { return gZoomOrigin; }

// Low 16 bits of each coordinate, signed; no cursor gives (0, 0).
void SetZoomOrigin(ZoomOrigin& Origin, const POINT* Cursor) {
  if (!Cursor) {
    Origin.ZoomOriginX = 0;
    Origin.ZoomOriginY = 0;
    return;
  }
  Origin.ZoomOriginX = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(Cursor->x) & 0xFFFFu));
  Origin.ZoomOriginY = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(Cursor->y) & 0xFFFFu));
}

// The zoom origin from the mouse position now.
void CatchZoomOrigin() {
  POINT cursor{};
  SetZoomOrigin(gZoomOrigin, GetCursorPos(&cursor) ? &cursor : nullptr);
}

// The zero-size rectangle at the origin.
RECT ZoomPointRect(const ZoomOrigin& Origin) {
  const LONG x = Origin.ZoomOriginX;
  const LONG y = Origin.ZoomOriginY;
  return RECT{x, y, x, y};
}

// Walks Form's child windows and prepares the gradient buttons among them.
void SetupButtons(HWND Form, bool DoInitialize, bool Enable) {
  if (!Form) return;
  bool flags[2] = {DoInitialize, Enable};
  EnumChildWindows(Form, SetupOneButton, reinterpret_cast<LPARAM>(flags));
}

namespace {

// The animation itself: the caller's, or the system's.
void Animate(HWND Window, const RECT& From, const RECT& To, const RectAnimation& Animation) {
  if (Animation) {
    Animation(Window, From, To);
  } else {
    DrawAnimatedRects(Window, IDANI_CAPTION, &From, &To);
  }
}

}  // namespace

// Grows the caption rectangle from the origin to the window.
void ZoomOpen(HWND Window, const RectAnimation& Animation) {
  const RECT from = ZoomPointRect(gZoomOrigin);
  RECT to{};
  GetWindowRect(Window, &to);
  Animate(Window, from, to, Animation);
}

// Shrinks the caption rectangle from the window to the origin.
void ZoomClose(HWND Window, const RectAnimation& Animation) {
  RECT from{};
  GetWindowRect(Window, &from);
  const RECT to = ZoomPointRect(gZoomOrigin);
  Animate(Window, from, to, Animation);
}

}  // namespace sorvane
