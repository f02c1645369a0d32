// The request that the photo chooser "..." of the settings dialog hands to the
// system's open-file dialog (photo_chooser_win32.cpp). Kept apart so a test
// can look at what the dialog is asked for.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

namespace sorvane {

// The title "ﾌｧｲﾙを開く".
extern const wchar_t* const kChooserTitle;

// The filter: "画像ﾌｧｲﾙ (BMP JPG ...)" with the extensions of every picture
// decoder installed (chooser_filter.h), then "すべてのﾌｧｲﾙ (*.*)".
std::wstring InstalledChooserFilter();

// Size of the file name buffers, in characters.
constexpr DWORD kChooserBufferSize = 255;

// The buffers an open-file request points into.
struct ChooserBuffers {
  std::wstring Filter;  // as InstalledChooserFilter gives it
  wchar_t File[kChooserBufferSize] = {};
  wchar_t FileTitle[kChooserBufferSize] = {};
  std::wstring InitialFolder;
};

// Fills Request for Owner: the filter (made here), both buffers, the initial folder, the
// title and no option flags.
void FillChooserRequest(OPENFILENAMEW& Request, ChooserBuffers& Buffers, HWND Owner);

// The path as the settings keep it: ANSI code page bytes that turn back into
// exactly this path. A path with characters outside the code page is given by
// its short (8.3) name when that converts exactly; without such a name it
// does not fit the settings and the result is false (Ansi untouched). Long
// paths are kept whole.
bool StoredPathFor(const std::wstring& Path, std::string& Ansi);

// The chosen name in Buffer (up to its first NUL, at most Capacity
// characters), as StoredPathFor gives it.
bool ChosenPathAnsi(const wchar_t* Buffer, size_t Capacity, std::string& Ansi);

}  // namespace sorvane
