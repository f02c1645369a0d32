// The screen-saver command line: "/s" runs the show, "/p <window>" draws the
// preview into that window, "/c" opens the settings; an empty command line
// runs the show too. Portable.
#pragma once

#include <cstdint>
#include <string>

namespace sorvane {

// The mode switch: the second character of the upper-cased argument text
// ('S', 'P', 'C' or anything else), or '\0' when the text is shorter. The
// first character (a slash or a hyphen) is never looked at.
char SwitchOf(const std::string& ArgumentText);

// Result of reading the preview parent's handle.
enum class ParentNumber {
  Read,        // Parent holds the number (0 when there was none)
  OutOfRange,  // the number does not fit a signed 32-bit integer
};

// Reads the preview parent's handle from the fourth character of the argument
// text on: blanks are skipped, a decimal number is read up to the first
// character that cannot belong to it and rounded to the nearest integer, ties
// to even; no number gives 0.
ParentNumber ReadPreviewParent(const std::string& ArgumentText, int32_t& Parent);

}  // namespace sorvane
