// The folder chooser of the settings dialog: the system's folder picker
// (the common item dialog picking folders, or the older folder browser where
// that one is missing) opened in a given folder (folder_chooser_win32.cpp).
// It only asks; the dialog takes the answer (Sorvane_P::TakeChosenFolder).
#pragma once

#include <windows.h>

#include <string>

namespace sorvane {

// The chooser's title "ﾌｫﾙﾀﾞを開く".
extern const wchar_t* const kFolderChooserTitle;

// Shows the folder picker owned by Owner, starting in Start (empty: the
// system's choice). True with the folder's full path in Chosen when the user
// chose a folder of the file system; false on cancel or failure.
bool PickFolder(HWND Owner, const std::wstring& Start, std::wstring& Chosen);

}  // namespace sorvane
