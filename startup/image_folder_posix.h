// A random photograph from the image folder that the user set in
// XScreenSaver's settings window ("-random-photo"). XScreenSaver's own helper
// xscreensaver-getimage-file picks it: it knows where that folder is kept,
// searches it and caches what it found, so Sorvane never reads XScreenSaver's
// settings itself. Pairs with image_folder_posix.cpp; Linux only. It does not
// check the file it is given (the photo square does that).
#pragma once

#include <string>
#include <vector>

namespace sorvane {

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
