// The file extensions of the picture decoders installed for the Windows
// Imaging Component (pairs with wic_codecs_win32.cpp), for the photo
// chooser's filter. Windows only; it decodes nothing.
#pragma once

#include <string>
#include <vector>

namespace sorvane {

// Each installed decoder's own list of extensions, as the decoder gives it
// (such as ".jpeg,.jpe,.jpg"), in enumeration order; empty when WIC cannot be
// asked.
std::vector<std::string> InstalledDecoderExtensions();

}  // namespace sorvane
