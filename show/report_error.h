// Telling the user about an error the show cannot go on after: a message box
// on Windows (report_error_win32.cpp), one line on standard error on Linux
// (report_error_x11.cpp). Nothing else in the program reports errors.
#pragma once

#include <string>

namespace sorvane {

// The application's title, the message box's caption.
constexpr char kApplicationTitle[] = "Sorvane";

// Shows Description (UTF-8) followed by the file it concerns, FilePath, which
// is in the system's encoding of file names (the ANSI code page on Windows,
// bytes as they are on Linux); an empty FilePath names no file. Waits for OK
// where there is a box to wait on.
void ReportError(const std::string& Description, const std::string& FilePath);

}  // namespace sorvane
