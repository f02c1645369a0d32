// The screen-saver command line: "/s" runs the show, "/p <window>" draws the
// preview into that window, "/c" (or "/c:<window>", the window the dialog
// belongs to) opens the settings; so does an empty command line, which is how
// Windows' Configure verb starts a screen saver. Portable.
#pragma once

#include <cstdint>
#include <string>

namespace sorvane {

// The mode switch: the second character of the upper-cased argument text
// ('S', 'P', 'C' or anything else), or '\0' when the text is shorter. The
// first character (a slash or a hyphen) is never looked at.
char SwitchOf(const std::string& ArgumentText);

// The mode the argument text asks for: SwitchOf, except that an empty text
// is the settings ('C') rather than no switch at all.
char ModeOf(const std::string& ArgumentText);

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

// Reads the settings dialog's owner from "/c:1234" or "/c 1234" by the same
// rules; "/c" alone gives 0.
ParentNumber ReadSettingsOwner(const std::string& ArgumentText, int32_t& Owner);

}  // namespace sorvane
