// The photo chooser of the settings dialog: "..." shows the system's open-file
// dialog and a choice becomes the path, the chooser's folder and the sample
// (pairs with photo_chooser_win32.h and settings_dialog_win32.h). It writes
// nothing to the settings file.

#include "photo_chooser_win32.h"

#include <cwchar>

#include "chooser_filter.h"
#include "paths.h"
#include "settings_dialog_win32.h"
#include "text_win32.h"
#include "wic_codecs_win32.h"

namespace sorvane {

const wchar_t* const kChooserTitle = L"\uFF8C\uFF67\uFF72\uFF99\u3092\u958B\u304F";  // ﾌｧｲﾙを開く

// The installed decoders' extensions, asked of WIC at each call, so a codec
// installed while the dialog is open is offered too.
std::wstring InstalledChooserFilter() { return ChooserFilter(ChooserExtensions(InstalledDecoderExtensions())); }

// Fills the open-file request (see photo_chooser_win32.h).
void FillChooserRequest(OPENFILENAMEW& Request, ChooserBuffers& Buffers, HWND Owner) {
  Request = OPENFILENAMEW{};
  Request.lStructSize = sizeof Request;
  Request.hwndOwner = Owner;
  Request.hInstance = GetModuleHandleW(nullptr);
  Buffers.Filter = InstalledChooserFilter();
  Request.lpstrFilter = Buffers.Filter.c_str();
  Request.lpstrFile = Buffers.File;
  Request.nMaxFile = kChooserBufferSize;
  Request.lpstrFileTitle = Buffers.FileTitle;
  Request.nMaxFileTitle = kChooserBufferSize;
  Request.lpstrInitialDir = Buffers.InitialFolder.c_str();
  Request.lpstrTitle = kChooserTitle;
  Request.Flags = 0;
}

namespace {

// Text in the ANSI code page that turns back into exactly Text; false when
// some character has no exact equivalent there (a best-fit stand-in or "?"
// would name another file).
bool ExactAnsi(const std::wstring& Text, std::string& Ansi) {
  bool lossy = false;
  std::string converted = WideToAnsi(Text, &lossy);
  if (lossy || AnsiToWide(converted) != Text) return false;
  Ansi = std::move(converted);
  return true;
}

}  // namespace

// See photo_chooser_win32.h.
bool StoredPathFor(const std::wstring& Path, std::string& Ansi) {
  if (ExactAnsi(Path, Ansi)) return true;
  const DWORD needed = GetShortPathNameW(Path.c_str(), nullptr, 0);
  if (needed == 0 || needed > 32768) return false;
  std::wstring shortName(needed, L'\0');
  const DWORD n = GetShortPathNameW(Path.c_str(), &shortName[0], needed);
  if (n == 0 || n >= needed) return false;
  shortName.resize(n);
  return ExactAnsi(shortName, Ansi);
}

// See photo_chooser_win32.h.
bool ChosenPathAnsi(const wchar_t* Buffer, size_t Capacity, std::string& Ansi) {
  return StoredPathFor(std::wstring(Buffer, wcsnlen(Buffer, Capacity)), Ansi);
}

// "...": the open-file dialog; a choice becomes path, folder and sample. A
// choice the settings file cannot hold changes nothing, as a path too long
// for the chooser does. The focus goes back to the control that had it.
void Sorvane_P::Cmd_Pic_Click() {
  HWND hadFocus = GetFocus();
  ChooserBuffers buffers;
  buffers.InitialFolder = AnsiToWide(host_.Settings->PictureFolder);
  OPENFILENAMEW request;
  FillChooserRequest(request, buffers, form_);
  const bool chosen = host_.ChooseFile ? host_.ChooseFile(request) : GetOpenFileNameW(&request) != FALSE;
  std::string path;
  if (chosen && ChosenPathAnsi(buffers.File, kChooserBufferSize, path)) {
    host_.Settings->PicturePath = path;
    if (pname_) SetWindowTextW(pname_, AnsiToWide(host_.Settings->PicturePath).c_str());
    host_.Settings->PictureFolder = FolderOfPath(WideToAnsi(PnameText()));
    ShowSample();
  }
  if (form_ && hadFocus && IsWindow(hadFocus) && IsChild(form_, hadFocus)) SetFocus(hadFocus);
}

}  // namespace sorvane
