// The button's property store: the not-stored-when-default rule with its
// converting comparison, reading with defaults, and the conversions that
// decide whether an entry is usable.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "property_store.h"

namespace sorvane {
namespace {

using V = PropertyValue;

TEST(PropertyValues, CompareByConvertingNumbersBooleansAndTexts) {
  EXPECT_TRUE(V::Number(1).Equals(V::Text(L"1")));
  EXPECT_TRUE(V::Text(L"1").Equals(V::Number(1)));
  EXPECT_TRUE(V::Number(0).Equals(V::Text(L" 0 ")));
  EXPECT_TRUE(V::Boolean(true).Equals(V::Boolean(true)));
  EXPECT_TRUE(V::Boolean(true).Equals(V::Number(-1)));
  EXPECT_FALSE(V::Boolean(true).Equals(V::Number(1)));
  EXPECT_TRUE(V::Number(255).Equals(V::Text(L"&HFF")));
  EXPECT_FALSE(V::Number(1).Equals(V::Text(L"one")));
  EXPECT_FALSE(V::Number(std::nan("")).Equals(V::Number(std::nan(""))));
  // Texts compare exactly, not as numbers.
  EXPECT_TRUE(V::Text(L"Command").Equals(V::Text(L"Command")));
  EXPECT_FALSE(V::Text(L"Command").Equals(V::Text(L"command")));
  EXPECT_FALSE(V::Text(L"1").Equals(V::Text(L"1.0")));
  // Fonts compare field by field and never equal anything else.
  CaptionFont Font = InitialCaptionFont();
  EXPECT_TRUE(V::Font(Font).Equals(V::Font(InitialCaptionFont())));
  Font.Size = 12;
  EXPECT_FALSE(V::Font(Font).Equals(V::Font(InitialCaptionFont())));
  EXPECT_FALSE(V::Font(Font).Equals(V::Text(Font.Name)));
  EXPECT_FALSE(V::Text(L"0").Equals(V::Font(Font)));
}

TEST(PropertyValues, ConvertWithinRangeRoundingHalvesToEven) {
  EXPECT_EQ(V::Text(L"2.5").AsByte(), 2);
  EXPECT_EQ(V::Text(L"3.5").AsByte(), 4);
  EXPECT_EQ(V::Number(255.4).AsByte(), 255);
  EXPECT_FALSE(V::Number(255.5).AsByte());
  EXPECT_FALSE(V::Number(-1).AsByte());
  EXPECT_EQ(V::Number(-32768).AsInteger(), -32768);
  EXPECT_FALSE(V::Number(32768).AsInteger());
  EXPECT_EQ(V::Text(L"&HFF00").AsInteger(), -256);  // four digits are a 16-bit pattern
  EXPECT_EQ(V::Text(L"&HFFFFFFFF").AsLong(), -1);
  EXPECT_FALSE(V::Text(L"&H1FFFFFFFF").AsLong());
  EXPECT_EQ(V::Text(L"1e3").AsLong(), 1000);
  EXPECT_FALSE(V::Number(2147483648.0).AsLong());
  EXPECT_FALSE(V::Number(std::numeric_limits<double>::infinity()).AsLong());
  for (const wchar_t* Bad : {L"", L" ", L"-", L".", L"1e", L"12abc", L"&H", L"&HG1", L"0x10", L"1 2"}) {
    EXPECT_FALSE(V::Text(Bad).AsLong()) << Bad;
  }
  EXPECT_FALSE(V::Text(std::wstring(100, L'9')).AsLong());
  EXPECT_FALSE(V::Font(InitialCaptionFont()).AsLong());
}

TEST(PropertyValues, BooleansTextsAndFonts) {
  EXPECT_EQ(V::Text(L"True").AsBoolean(), true);
  EXPECT_EQ(V::Text(L"false").AsBoolean(), false);
  EXPECT_EQ(V::Number(5).AsBoolean(), true);
  EXPECT_EQ(V::Text(L"0").AsBoolean(), false);
  EXPECT_FALSE(V::Text(L"maybe").AsBoolean());
  EXPECT_EQ(V::Number(-7).AsText(), L"-7");
  EXPECT_EQ(V::Number(0.25).AsText(), L"0.25");
  EXPECT_EQ(V::Boolean(true).AsText(), L"True");
  EXPECT_FALSE(V::Font(InitialCaptionFont()).AsText());
  EXPECT_FALSE(V::Text(L"Arial").AsFont());
  CaptionFont Font = InitialCaptionFont();
  for (float Bad : {0.0f, -1.0f, 5000.0f, std::nanf("")}) {
    Font.Size = Bad;
    EXPECT_FALSE(V::Font(Font).AsFont()) << Bad;
  }
  EXPECT_EQ(InitialCaptionFont().Name, L"ＭＳ Ｐゴシック");
  EXPECT_FLOAT_EQ(InitialCaptionFont().Size, 9.75f);
  EXPECT_EQ(InitialCaptionFont().Weight, 400);
  EXPECT_EQ(InitialCaptionFont().Charset, 128);
}

TEST(PropertyStores, KeepOnlyValuesThatDifferFromTheWritersDefault) {
  PropertyStore Store;
  Store.WriteProperty(L"FirstRun", V::Number(1), V::Text(L"1"));
  EXPECT_EQ(Store.Find(L"FirstRun"), nullptr);
  Store.WriteProperty(L"FirstRun", V::Number(0), V::Text(L"1"));
  ASSERT_NE(Store.Find(L"FirstRun"), nullptr);
  EXPECT_EQ(Store.Find(L"FirstRun")->AsByte(), 0);
  // Writing the default again drops the earlier entry.
  Store.WriteProperty(L"FirstRun", V::Number(1), V::Text(L"1"));
  EXPECT_EQ(Store.Find(L"FirstRun"), nullptr);
  EXPECT_EQ(Store.Count(), 0u);
}

TEST(PropertyStores, ReadBackTheStoredValueOrTheReadersDefault) {
  PropertyStore Store;
  EXPECT_EQ(Store.ReadProperty(L"Caption", V::Text(L"Command1")).AsText(), L"Command1");
  Store.Set(L"Caption", V::Text(L"設定"));
  EXPECT_EQ(Store.ReadProperty(L"Caption", V::Text(L"Command1")).AsText(), L"設定");
  EXPECT_EQ(Store.ReadProperty(L"caption", V::Text(L"Command1")).AsText(), L"Command1");  // keys are exact
  Store.Remove(L"Caption");
  EXPECT_EQ(Store.Count(), 0u);
}

}  // namespace
}  // namespace sorvane
