// Text conversions at the Windows boundary: the settings file and the settings
// record hold narrow text in the ANSI code page; the system is spoken to with
// wide-character functions.
#pragma once

#include <string>

namespace sorvane {

// ANSI code page bytes to UTF-16.
std::wstring AnsiToWide(const std::string& Text);

// UTF-16 to ANSI code page bytes. UsedDefault (when given) is set when some
// character has no equivalent in the code page.
std::string WideToAnsi(const std::wstring& Text, bool* UsedDefault = nullptr);

// UTF-8 (the encoding of our sources) to UTF-16.
std::wstring Utf8ToWide(const std::string& Text);

}  // namespace sorvane
