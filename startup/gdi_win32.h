// GDI pieces shared by the Windows windows that draw their own faces (the
// gradient button, the settings dialog): a persistent image to paint into, a
// font face the system really has, and the dots per inch a window is drawn at.
// Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace sorvane {

// A persistent image: a 32-bit top-down DIB section selected into its own
// memory DC. What is drawn into it stays until the next Resize.
class PersistentImage {
 public:
  PersistentImage() = default;
  ~PersistentImage() { Release(); }
  PersistentImage(const PersistentImage&) = delete;
  PersistentImage& operator=(const PersistentImage&) = delete;

  // A fresh Width x Height image filled with Fill; false (and no image) when
  // the size is not positive or above MaxSide, or GDI cannot make it.
  bool Resize(int Width, int Height, COLORREF Fill, int MaxSide = 16384);

  // Drops the image.
  void Release();

  HDC Dc() const { return dc_; }
  uint32_t* Pixels() const { return pixels_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

  // One pixel as 0x00RRGGBB, or 0xFFFFFFFF outside the image.
  uint32_t PixelAt(int X, int Y) const;

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  uint32_t* pixels_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// "ＭＳ Ｐゴシック", the face of every caption and label.
extern const wchar_t* const kJapaneseUiFace;

// The face name to create a font with: Wanted when the system has that
// family, else the first Japanese-capable stand-in it has, else the default
// GUI font's face.
std::wstring AvailableFace(const std::wstring& Wanted);

// The system's dots per inch (the primary screen's), 96 when it cannot be read.
int SystemDpi();

// The dots per inch Window is drawn at: GetDpiForWindow where the system has
// it (per-monitor awareness), the system's DPI otherwise.
int WindowDpi(HWND Window);

// The outer rectangle for a client rectangle of a window with these styles at
// Dpi (AdjustWindowRectExForDpi where the system has it; otherwise the
// system's own metrics, which are those of its DPI). False on failure.
bool OuterRectForDpi(RECT& Rect, DWORD Style, DWORD ExStyle, int Dpi);

}  // namespace sorvane
