// GDI pieces shared by the self-drawn windows (see gdi_win32.h).

#include "gdi_win32.h"

namespace sorvane {

const wchar_t* const kJapaneseUiFace = L"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF";

bool PersistentImage::Resize(int Width, int Height, COLORREF Fill, int MaxSide) {
  Release();
  if (Width <= 0 || Height <= 0 || Width > MaxSide || Height > MaxSide) return false;
  BITMAPINFO Info{};
  Info.bmiHeader.biSize = sizeof Info.bmiHeader;
  Info.bmiHeader.biWidth = Width;
  Info.bmiHeader.biHeight = -Height;  // top-down rows
  Info.bmiHeader.biPlanes = 1;
  Info.bmiHeader.biBitCount = 32;
  Info.bmiHeader.biCompression = BI_RGB;
  void* Bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
  dc_ = bitmap_ && Bits ? CreateCompatibleDC(nullptr) : nullptr;
  if (!dc_) {
    Release();
    return false;
  }
  oldBitmap_ = SelectObject(dc_, bitmap_);
  pixels_ = static_cast<uint32_t*>(Bits);
  width_ = Width;
  height_ = Height;
  const uint32_t Pixel = (static_cast<uint32_t>(GetRValue(Fill)) << 16) |
                         (static_cast<uint32_t>(GetGValue(Fill)) << 8) | GetBValue(Fill);
  for (size_t i = 0, n = static_cast<size_t>(Width) * static_cast<size_t>(Height); i < n; ++i) pixels_[i] = Pixel;
  return true;
}

void PersistentImage::Release() {
  if (dc_) {
    if (oldBitmap_) SelectObject(dc_, oldBitmap_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  oldBitmap_ = nullptr;
  pixels_ = nullptr;
  width_ = height_ = 0;
}

uint32_t PersistentImage::PixelAt(int X, int Y) const {
  if (!pixels_ || X < 0 || Y < 0 || X >= width_ || Y >= height_) return 0xFFFFFFFFu;
  GdiFlush();
  return pixels_[static_cast<size_t>(Y) * static_cast<size_t>(width_) + static_cast<size_t>(X)] & 0xFFFFFF;
}

namespace {

// Called back by EnumFontFamiliesExW: one match is enough.
int CALLBACK FontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM Found) {
  *reinterpret_cast<bool*>(Found) = true;
  return 0;
}

// True when the system has a font family of this exact name.
bool FontFamilyExists(const std::wstring& Name) {
  if (Name.empty() || Name.size() >= LF_FACESIZE) return false;
  LOGFONTW Query{};
  Query.lfCharSet = DEFAULT_CHARSET;
  Name.copy(Query.lfFaceName, LF_FACESIZE - 1);
  bool Found = false;
  HDC Screen = GetDC(nullptr);
  EnumFontFamiliesExW(Screen, &Query, FontFound, reinterpret_cast<LPARAM>(&Found), 0);
  ReleaseDC(nullptr, Screen);
  return Found;
}

}  // namespace

std::wstring AvailableFace(const std::wstring& Wanted) {
  if (FontFamilyExists(Wanted)) return Wanted;
  for (const wchar_t* Fallback : {L"MS PGothic", L"MS UI Gothic", L"Meiryo", L"IPAPGothic",
                                  L"IPA P\u30B4\u30B7\u30C3\u30AF", L"IPA\u30B4\u30B7\u30C3\u30AF"}) {
    if (FontFamilyExists(Fallback)) return Fallback;
  }
  LOGFONTW Default{};
  if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof Default, &Default)) return Default.lfFaceName;
  return std::wstring();
}

int SystemDpi() {
  HDC Screen = GetDC(nullptr);
  const int Dpi = Screen ? GetDeviceCaps(Screen, LOGPIXELSY) : 0;
  if (Screen) ReleaseDC(nullptr, Screen);
  return Dpi > 0 ? Dpi : 96;
}

namespace {

// user32's per-monitor functions, looked up once: older systems lack them.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

template <typename Fn>
Fn User32Function(const char* Name) {
  HMODULE User32 = GetModuleHandleW(L"user32.dll");
  return User32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(User32, Name))) : nullptr;
}

}  // namespace

int WindowDpi(HWND Window) {
  static const GetDpiForWindowFn ForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
  if (ForWindow && Window) {
    const UINT Dpi = ForWindow(Window);
    if (Dpi > 0 && Dpi <= 4 * 1440) return static_cast<int>(Dpi);
  }
  return SystemDpi();
}

bool OuterRectForDpi(RECT& Rect, DWORD Style, DWORD ExStyle, int Dpi) {
  static const AdjustForDpiFn ForDpi = User32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  if (ForDpi && Dpi > 0) return ForDpi(&Rect, Style, FALSE, ExStyle, static_cast<UINT>(Dpi)) != FALSE;
  return AdjustWindowRectEx(&Rect, Style, FALSE, ExStyle) != FALSE;
}

}  // namespace sorvane
