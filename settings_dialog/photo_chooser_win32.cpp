// The photo chooser of the settings dialog: "..." shows the system's open-file
// dialog and a choice becomes the path, the chooser's folder and the sample
// (pairs with photo_chooser_win32.h and settings_dialog_win32.h). It writes
// nothing to the settings file.

#include "photo_chooser_win32.h"

#include <cwchar>

#include "paths.h"
#include "settings_dialog_win32.h"
#include "text_win32.h"

namespace sorvane {

// 画像ﾌｧｲﾙ (BMP JPG) / *.BMP;*JPG; the second pattern has no dot on purpose.
const wchar_t kChooserFilter[] = L"\u753B\u50CF\uFF8C\uFF67\uFF72\uFF99 (BMP JPG)\0*.BMP;*JPG\0";
const wchar_t* const kChooserTitle = L"\uFF8C\uFF67\uFF72\uFF99\u3092\u958B\u304F";  // ﾌｧｲﾙを開く

// Fills the open-file request (see photo_chooser_win32.h).
void FillChooserRequest(OPENFILENAMEW& Request, ChooserBuffers& Buffers, HWND Owner) {
  Request = OPENFILENAMEW{};
  Request.lStructSize = sizeof Request;
  Request.hwndOwner = Owner;
  Request.hInstance = GetModuleHandleW(nullptr);
  Request.lpstrFilter = kChooserFilter;
  Request.lpstrFile = Buffers.File;
  Request.nMaxFile = kChooserBufferSize;
  Request.lpstrFileTitle = Buffers.FileTitle;
  Request.nMaxFileTitle = kChooserBufferSize;
  Request.lpstrInitialDir = Buffers.InitialFolder.c_str();
  Request.lpstrTitle = kChooserTitle;
  Request.Flags = 0;
}

// The chosen name in the ANSI code page (see photo_chooser_win32.h).
std::string ChosenPathAnsi(const wchar_t* Buffer, size_t Capacity) {
  const size_t length = wcsnlen(Buffer, Capacity);
  const std::wstring chosen(Buffer, length);
  bool lossy = false;
  std::string ansi = WideToAnsi(chosen, &lossy);
  if (lossy) {
    wchar_t shortName[MAX_PATH] = {};
    const DWORD n = GetShortPathNameW(chosen.c_str(), shortName, MAX_PATH);
    if (n > 0 && n < MAX_PATH) ansi = WideToAnsi(std::wstring(shortName, n));
  }
  return ansi;
}

// "...": the open-file dialog; a choice becomes path, folder and sample.
void Sorvane_P::Cmd_Pic_Click() {
  ChooserBuffers buffers;
  buffers.InitialFolder = AnsiToWide(host_.Settings->PictureFolder);
  OPENFILENAMEW request;
  FillChooserRequest(request, buffers, form_);
  const bool chosen = host_.ChooseFile ? host_.ChooseFile(request) : GetOpenFileNameW(&request) != FALSE;
  if (!chosen) return;
  host_.Settings->PicturePath = ChosenPathAnsi(buffers.File, kChooserBufferSize);
  if (pname_) SetWindowTextW(pname_, AnsiToWide(host_.Settings->PicturePath).c_str());
  host_.Settings->PictureFolder = FolderOfPath(WideToAnsi(PnameText()));
  ShowSample();
}

}  // namespace sorvane
