// The image folder that the user set in XScreenSaver's settings window
// ("-random-photo"): read from the imageDirectory line of ~/.xscreensaver, so
// that the show walks the folder itself and every format and size counts.
// When that setting is a feed address, XScreenSaver's own helper
// xscreensaver-getimage-file, which fetches and caches feeds, picks a
// photograph instead. Pairs with image_folder_posix.cpp; Linux only. It does
// not check the folder or file it gives (the photo square does that).
#pragma once

#include <string>
#include <vector>

namespace sorvane {

// The imageDirectory value in the text of an ~/.xscreensaver file, blanks
// around it dropped and a leading "~/" made Home's; empty when it is not set.
std::string ImageFolderInSettings(const std::string& SettingsText, const std::string& Home);

// True when Folder is a feed address (http:// or https://), which only
// XScreenSaver's helper can read.
bool IsFeedAddress(const std::string& Folder);

// The image folder set in $HOME/.xscreensaver; false with a reason in Why, in
// words the user can act on, when none is set.
bool XScreenSaverImageFolder(std::string& Folder, std::string& Why);

// The helper's name, as XScreenSaver installs it beside its modules.
extern const char* const kImageFolderHelper;

// Folders searched for the helper, in order, before the PATH: the program's
// own folder (Sorvane is installed beside XScreenSaver's modules) and the
// places distributions install XScreenSaver's modules.
std::vector<std::string> ImageFolderHelperPlaces(const std::string& ProgramFolderPath);

// Runs the helper (the first executable one of Places, else the one on the
// PATH) and reads the absolute path it prints. Waits at most
// TimeoutMilliseconds, then ends the helper. False with a reason in Why, in
// words the user can act on, when no path comes back.
bool PickFromImageFolder(const std::vector<std::string>& Places, int TimeoutMilliseconds, std::string& Path,
                         std::string& Why);

}  // namespace sorvane
