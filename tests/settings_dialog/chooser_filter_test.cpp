// The photo chooser's filter made from decoder extension lists
// (chooser_filter.h). Runs in both builds.

#include "chooser_filter.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(ChooserFilter, ListsEachDecoderExtensionOnceBmpAndJpgFirstThenAllFiles) {
  // Lists as decoders give them: repeats, upper case, stars and spaces, and
  // texts that would break the filter.
  const std::vector<std::string> extensions =
      ChooserExtensions({".jpeg,.jpe,.jpg,.jfif", ".PNG", " .tiff; .tif", ".png,.bmp,.dib", "*.ico", "",
                         ".a b", ".gif,", ".x\"y"});
  EXPECT_EQ(extensions, (std::vector<std::string>{"bmp", "jpg", "dib", "gif", "ico", "jfif", "jpe", "jpeg",
                                                  "png", "tif", "tiff"}));
  EXPECT_EQ(ChooserExtensions({}), (std::vector<std::string>{"bmp", "jpg"})) << "no decoder asked: what we read";

  // jpg keeps the chooser's pattern without a dot; the string's terminator
  // is the filter's second NUL.
  static const wchar_t kWant[] =
      L"\u753B\u50CF\uFF8C\uFF67\uFF72\uFF99 (BMP JPG PNG)\0*.BMP;*JPG;*.PNG\0"
      L"\u3059\u3079\u3066\u306E\uFF8C\uFF67\uFF72\uFF99 (*.*)\0*.*\0";
  EXPECT_EQ(ChooserFilter({"bmp", "jpg", "png"}), std::wstring(kWant, sizeof kWant / sizeof kWant[0] - 1));
}

}  // namespace
}  // namespace sorvane
