// The screen-saver switches and the preview parent's number.

#include "command_line.h"

#include <gtest/gtest.h>

namespace sorvane {
namespace {

TEST(SwitchOf, SecondCharacterUpperCased) {
  EXPECT_EQ(SwitchOf("/s"), 'S');
  EXPECT_EQ(SwitchOf("/S"), 'S');
  EXPECT_EQ(SwitchOf("-s"), 'S');
  EXPECT_EQ(SwitchOf("xs"), 'S');
  EXPECT_EQ(SwitchOf("/c:1234"), 'C');
  EXPECT_EQ(SwitchOf("/p 1234"), 'P');
  EXPECT_EQ(SwitchOf("/a"), 'A');
  EXPECT_EQ(SwitchOf("s"), '\0');
  EXPECT_EQ(SwitchOf(""), '\0');
}

// Windows' Configure verb passes nothing at all: that is the settings.
TEST(ModeOf, AnEmptyArgumentTextIsTheSettings) {
  EXPECT_EQ(ModeOf(""), 'C');
  EXPECT_EQ(ModeOf("/s"), 'S');
  EXPECT_EQ(ModeOf("/c:1234"), 'C');
  EXPECT_EQ(ModeOf("s"), '\0');
}

// The settings page's window in the three forms it comes in.
TEST(ReadSettingsOwner, ColonOrBlankThenTheNumber) {
  for (const char* args : {"/c:1234", "/c 1234", "/C:1234", "/c:  1234"}) {
    int32_t owner = -1;
    EXPECT_EQ(ReadSettingsOwner(args, owner), ParentNumber::Read) << args;
    EXPECT_EQ(owner, 1234) << args;
  }
  int32_t owner = -1;
  EXPECT_EQ(ReadSettingsOwner("/c", owner), ParentNumber::Read);
  EXPECT_EQ(owner, 0);
  EXPECT_EQ(ReadSettingsOwner("/c:99999999999", owner), ParentNumber::OutOfRange);
}

TEST(ReadPreviewParent, ReadsTheNumberFromTheFourthCharacter) {
  int32_t parent = -1;
  EXPECT_EQ(ReadPreviewParent("/p 1234", parent), ParentNumber::Read);
  EXPECT_EQ(parent, 1234);
  EXPECT_EQ(ReadPreviewParent("/p", parent), ParentNumber::Read);
  EXPECT_EQ(parent, 0);
  EXPECT_EQ(ReadPreviewParent("/p   77x", parent), ParentNumber::Read);
  EXPECT_EQ(parent, 77);
  EXPECT_EQ(ReadPreviewParent("/p abc", parent), ParentNumber::Read);
  EXPECT_EQ(parent, 0);
  EXPECT_EQ(ReadPreviewParent("/p 12.5", parent), ParentNumber::Read);
  EXPECT_EQ(parent, 12);
  EXPECT_EQ(ReadPreviewParent("/p 13.5", parent), ParentNumber::Read);
  EXPECT_EQ(parent, 14);
  EXPECT_EQ(ReadPreviewParent("/p 1 2", parent), ParentNumber::Read);
  EXPECT_EQ(parent, 12);
  EXPECT_EQ(ReadPreviewParent("/p:2147483647", parent), ParentNumber::Read);
  EXPECT_EQ(parent, 2147483647);
  EXPECT_EQ(ReadPreviewParent("/p -2147483648", parent), ParentNumber::Read);
  EXPECT_EQ(parent, -2147483648);
}

TEST(ReadPreviewParent, NumbersBeyond32BitsAreRefused) {
  int32_t parent = -1;
  EXPECT_EQ(ReadPreviewParent("/p 2147483648", parent), ParentNumber::OutOfRange);
  EXPECT_EQ(ReadPreviewParent("/p 99999999999999999999999", parent), ParentNumber::OutOfRange);
  EXPECT_EQ(ReadPreviewParent("/p " + std::string(100000, '9'), parent), ParentNumber::OutOfRange);
}

}  // namespace
}  // namespace sorvane
