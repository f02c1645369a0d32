// Screen-saver command line (see command_line.h).

#include "command_line.h"

#include <cstdlib>
#include <string>

#include "numeric.h"

namespace sorvane {

char SwitchOf(const std::string& ArgumentText) {
  if (ArgumentText.size() < 2) return '\0';
  const char c = ArgumentText[1];
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

char ModeOf(const std::string& ArgumentText) { return ArgumentText.empty() ? 'C' : SwitchOf(ArgumentText); }

ParentNumber ReadPreviewParent(const std::string& ArgumentText, int32_t& Parent) {
  Parent = 0;
  if (ArgumentText.size() <= 3) return ParentNumber::Read;
  // Blanks may stand anywhere in the number ("1 234" reads as 1234), as the
  // system's own reader of such numbers allows.
  std::string number;
  bool seenDigit = false, seenPoint = false;
  for (size_t i = 3; i < ArgumentText.size(); ++i) {
    const char c = ArgumentText[i];
    if (c == ' ' || c == '\t') continue;
    if ((c == '-' || c == '+') && number.empty()) {
      number.push_back(c);
    } else if (c >= '0' && c <= '9') {
      number.push_back(c);
      seenDigit = true;
    } else if (c == '.' && !seenPoint) {
      number.push_back(c);
      seenPoint = true;
    } else {
      break;
    }
    if (number.size() > 400) return ParentNumber::OutOfRange;  // far beyond 32 bits
  }
  if (!seenDigit) return ParentNumber::Read;
  const double value = RoundHalfEven(std::strtod(number.c_str(), nullptr));
  if (!(value >= -2147483648.0 && value <= 2147483647.0)) return ParentNumber::OutOfRange;
  Parent = static_cast<int32_t>(value);
  return ParentNumber::Read;
}

// The fourth character is the first after "/c:" and "/c ", the two forms the
// system's settings page uses.
ParentNumber ReadSettingsOwner(const std::string& ArgumentText, int32_t& Owner) {
  return ReadPreviewParent(ArgumentText, Owner);
}

}  // namespace sorvane
