// The gradient button's property store and the conversions of its values
// (property_store.h). Portable; no window, no file.

#include "property_store.h"

#include <cmath>
#include <cstdio>
#include <cwctype>

#include "numeric.h"

namespace sorvane {

namespace {

// Lower-cased copy of an ASCII word, for the boolean names.
std::wstring Lowered(const std::wstring& Text) {
  std::wstring Result;
  for (wchar_t c : Text) Result += static_cast<wchar_t>(c < 128 ? std::towlower(c) : c);
  return Result;
}

// Text without blanks at either end.
std::wstring Trimmed(const std::wstring& Text) {
  size_t First = Text.find_first_not_of(L" \t");
  if (First == std::wstring::npos) return std::wstring();
  size_t Last = Text.find_last_not_of(L" \t");
  return Text.substr(First, Last - First + 1);
}

// A hexadecimal text after "&H": up to four digits read as a 16-bit pattern,
// up to eight as a 32-bit pattern, both signed.
std::optional<double> HexNumber(const std::wstring& Digits) {
  if (Digits.empty() || Digits.size() > 8) return std::nullopt;
  uint32_t Value = 0;
  for (wchar_t c : Digits) {
    int d;
    if (c >= L'0' && c <= L'9') d = c - L'0';
    else if (c >= L'a' && c <= L'f') d = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F') d = c - L'A' + 10;
    else return std::nullopt;
    Value = Value * 16 + static_cast<uint32_t>(d);
  }
  if (Digits.size() <= 4) return static_cast<double>(static_cast<int16_t>(static_cast<uint16_t>(Value)));
  return static_cast<double>(static_cast<int32_t>(Value));
}

// A numeric text: decimal with optional sign, fraction and exponent, or "&H"
// and hexadecimal digits. Anything else is not a number.
std::optional<double> TextNumber(const std::wstring& Raw) {
  std::wstring Text = Trimmed(Raw);
  if (Text.size() > 2 && Text[0] == L'&' && (Text[1] == L'H' || Text[1] == L'h')) return HexNumber(Text.substr(2));
  if (Text.empty() || Text.size() > 64) return std::nullopt;
  size_t i = 0;
  if (Text[i] == L'+' || Text[i] == L'-') ++i;
  size_t Digits = 0;
  while (i < Text.size() && std::iswdigit(Text[i])) ++i, ++Digits;
  if (i < Text.size() && Text[i] == L'.') {
    ++i;
    while (i < Text.size() && std::iswdigit(Text[i])) ++i, ++Digits;
  }
  if (Digits == 0) return std::nullopt;
  if (i < Text.size() && (Text[i] == L'e' || Text[i] == L'E')) {
    ++i;
    if (i < Text.size() && (Text[i] == L'+' || Text[i] == L'-')) ++i;
    size_t ExponentDigits = 0;
    while (i < Text.size() && std::iswdigit(Text[i])) ++i, ++ExponentDigits;
    if (ExponentDigits == 0) return std::nullopt;
  }
  if (i != Text.size()) return std::nullopt;
  std::string Narrow(Text.begin(), Text.end());  // digits, signs, '.', 'e' only
  double Value = std::strtod(Narrow.c_str(), nullptr);
  if (!std::isfinite(Value)) return std::nullopt;
  return Value;
}

// Number rounded half to even when it lies in [Low, High].
std::optional<double> InRange(std::optional<double> Number, double Low, double High) {
  if (!Number || !std::isfinite(*Number)) return std::nullopt;
  double Rounded = RoundHalfEven(*Number);
  if (Rounded < Low || Rounded > High) return std::nullopt;
  return Rounded;
}

}  // namespace

// Field-by-field comparison of two fonts.
bool CaptionFont::operator==(const CaptionFont& Other) const {
  return Name == Other.Name && Size == Other.Size && Weight == Other.Weight && Charset == Other.Charset &&
         Italic == Other.Italic && Underline == Other.Underline && Strikethrough == Other.Strikethrough;
}

// The caption font of a new button.
CaptionFont InitialCaptionFont() {
  CaptionFont Font;
  Font.Name = L"ＭＳ Ｐゴシック";
  Font.Size = 9.75f;
  Font.Weight = 400;
  Font.Charset = 128;
  return Font;
}

// A boolean value (kept as -1 or 0).
PropertyValue PropertyValue::Boolean(bool Value) {
  PropertyValue Result;
  Result.type_ = Kind::Boolean;
  Result.number_ = Value ? -1 : 0;
  return Result;
}

// A numeric value.
PropertyValue PropertyValue::Number(double Value) {
  PropertyValue Result;
  Result.type_ = Kind::Number;
  Result.number_ = Value;
  return Result;
}

// A text value.
PropertyValue PropertyValue::Text(std::wstring Value) {
  PropertyValue Result;
  Result.type_ = Kind::Text;
  Result.text_ = std::move(Value);
  return Result;
}

// A font value.
PropertyValue PropertyValue::Font(CaptionFont Value) {
  PropertyValue Result;
  Result.type_ = Kind::Font;
  Result.font_ = std::move(Value);
  return Result;
}

// The value as a number, for the numeric conversions and comparisons.
std::optional<double> PropertyValue::AsNumber() const {
  switch (type_) {
    case Kind::Boolean:
    case Kind::Number:
      if (!std::isfinite(number_)) return std::nullopt;
      return number_;
    case Kind::Text: {
      std::wstring Word = Lowered(Trimmed(text_));
      if (Word == L"true") return -1.0;
      if (Word == L"false") return 0.0;
      return TextNumber(text_);
    }
    case Kind::Font:
      break;
  }
  return std::nullopt;
}

// Converting equality (see the header).
bool PropertyValue::Equals(const PropertyValue& Other) const {
  if (type_ == Kind::Font || Other.type_ == Kind::Font) {
    return type_ == Other.type_ && font_ == Other.font_;
  }
  if (type_ == Kind::Text && Other.type_ == Kind::Text) return text_ == Other.text_;
  std::optional<double> Mine = AsNumber();
  std::optional<double> Theirs = Other.AsNumber();
  return Mine && Theirs && *Mine == *Theirs;
}

// Non-zero numbers are true.
std::optional<bool> PropertyValue::AsBoolean() const {
  std::optional<double> Number = AsNumber();
  if (!Number) return std::nullopt;
  return *Number != 0;
}

// 8-bit unsigned.
std::optional<uint8_t> PropertyValue::AsByte() const {
  std::optional<double> Number = InRange(AsNumber(), 0, 255);
  if (!Number) return std::nullopt;
  return static_cast<uint8_t>(*Number);
}

// 16-bit signed.
std::optional<int16_t> PropertyValue::AsInteger() const {
  std::optional<double> Number = InRange(AsNumber(), -32768, 32767);
  if (!Number) return std::nullopt;
  return static_cast<int16_t>(*Number);
}

// 32-bit signed.
std::optional<int32_t> PropertyValue::AsLong() const {
  std::optional<double> Number = InRange(AsNumber(), -2147483648.0, 2147483647.0);
  if (!Number) return std::nullopt;
  return static_cast<int32_t>(*Number);
}

// Text; numbers in their shortest decimal form.
std::optional<std::wstring> PropertyValue::AsText() const {
  switch (type_) {
    case Kind::Text:
      return text_;
    case Kind::Boolean:
      return std::wstring(number_ != 0 ? L"True" : L"False");
    case Kind::Number: {
      if (!std::isfinite(number_)) return std::nullopt;
      char Buffer[40];
      std::snprintf(Buffer, sizeof Buffer, "%.15g", number_);
      std::string Narrow(Buffer);
      return std::wstring(Narrow.begin(), Narrow.end());
    }
    case Kind::Font:
      break;
  }
  return std::nullopt;
}

// Fonts whose size can be drawn (finite, above 0, at most 2048 points).
std::optional<CaptionFont> PropertyValue::AsFont() const {
  if (type_ != Kind::Font) return std::nullopt;
  if (!std::isfinite(font_.Size) || font_.Size <= 0 || font_.Size > 2048) return std::nullopt;
  return font_;
}

// Stored value or the reader's default.
PropertyValue PropertyStore::ReadProperty(const std::wstring& Key, const PropertyValue& Default) const {
  auto Found = values_.find(Key);
  return Found == values_.end() ? Default : Found->second;
}

// Stores unless equal to the writer's default.
void PropertyStore::WriteProperty(const std::wstring& Key, const PropertyValue& Value, const PropertyValue& Default) {
  if (Value.Equals(Default)) {
    values_.erase(Key);
  } else {
    values_[Key] = Value;
  }
}

// Puts a value under Key as it is.
void PropertyStore::Set(const std::wstring& Key, const PropertyValue& Value) { values_[Key] = Value; }

// Drops the entry of Key.
void PropertyStore::Remove(const std::wstring& Key) { values_.erase(Key); }

// The entry of Key, or nullptr.
const PropertyValue* PropertyStore::Find(const std::wstring& Key) const {
  auto Found = values_.find(Key);
  return Found == values_.end() ? nullptr : &Found->second;
}

}  // namespace sorvane
