// The photo chooser's filter text, built from the file extensions the
// installed picture decoders claim (pairs with chooser_filter.cpp; the list
// itself comes from wic_codecs_win32.cpp on Windows). Portable: no platform
// header, nothing is asked of the system here.
#pragma once

#include <string>
#include <vector>

namespace sorvane {

// The extensions in Lists (each a decoder's list such as ".jpeg,.jpe,.jpg",
// or with semicolons as Wine gives them), in lower case without the dot, de-duplicated, bmp and
// jpg first as the chooser always offered them, the others in alphabetical
// order. Anything that is not letters, digits, '-' or '_' is left out, so no
// decoder's text can break the filter.
std::vector<std::string> ChooserExtensions(const std::vector<std::string>& Lists);

// The open-file dialog's filter for Extensions as ChooserExtensions gives
// them: the entry "画像ﾌｧｲﾙ (BMP JPG ...)" with the patterns "*.BMP;*JPG;..."
// (jpg without its dot, as the chooser always had it, so photoJPG is offered
// too), then "すべてのﾌｧｲﾙ (*.*)" with "*.*". Each text ends in a NUL and the
// last one in two (the string's own terminator is the second).
std::wstring ChooserFilter(const std::vector<std::string>& Extensions);

}  // namespace sorvane
