// The property store of a gradient button: the values a host form keeps with
// its layout for each button instance, by key, plus the host's ambient font.
// Pairs with command_core.h, whose ReadProperties/WriteProperties use it.
// Portable; it knows nothing about windows and does not persist itself to disk.
//
// How a host uses it: keep one PropertyStore per button next to the form's
// layout (for example filled from the dialog's layout table with
// `Store.Set(L"Caption", PropertyValue::Text(L"設定"))` and
// `Store.Set(L"Font", PropertyValue::Font(...))`), hand it to ReadProperties
// when the form loads and to WriteProperties when it saves. A font is stored
// as a whole CaptionFont value.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace sorvane {

// A caption font: what the label needs to make its font.
struct CaptionFont {
  std::wstring Name;
  float Size = 0;        // points
  int16_t Weight = 400;  // 100..900, 400 regular, 700 bold
  int16_t Charset = 0;   // 128 is Shift-JIS
  bool Italic = false;
  bool Underline = false;
  bool Strikethrough = false;

  bool operator==(const CaptionFont& Other) const;
  bool operator!=(const CaptionFont& Other) const { return !(*this == Other); }
};

// "ＭＳ Ｐゴシック", 9.75 point, weight 400, Shift-JIS: the caption's font at
// creation and the ambient font a store offers unless its host says otherwise.
CaptionFont InitialCaptionFont();

// One stored value: a boolean, a number, a text or a font.
class PropertyValue {
 public:
  enum class Kind { Boolean, Number, Text, Font };

  static PropertyValue Boolean(bool Value);
  static PropertyValue Number(double Value);
  static PropertyValue Text(std::wstring Value);
  static PropertyValue Font(CaptionFont Value);

  Kind Type() const { return type_; }

  // Converting equality: numbers, booleans (true is -1) and numeric texts
  // compare as numbers, so Number(1) equals Text(L"1"); two texts compare
  // exactly; fonts compare field by field; anything else is unequal.
  bool Equals(const PropertyValue& Other) const;

  // Conversions. Each gives nothing when the value cannot be converted:
  // wrong kind, text that is not a number, out of range, not finite.
  std::optional<bool> AsBoolean() const;        // non-zero is true; "True"/"False" too
  std::optional<uint8_t> AsByte() const;        // 0..255, halves rounded to even
  std::optional<int16_t> AsInteger() const;     // 16-bit signed
  std::optional<int32_t> AsLong() const;        // 32-bit signed
  std::optional<std::wstring> AsText() const;   // numbers in decimal, "True"/"False"
  std::optional<CaptionFont> AsFont() const;    // fonts only, with a usable size

 private:
  std::optional<double> AsNumber() const;

  Kind type_ = Kind::Number;
  double number_ = 0;   // Boolean (-1 or 0) and Number
  std::wstring text_;   // Text
  CaptionFont font_;    // Font
};

// The values of one button instance, by key.
class PropertyStore {
 public:
  // The host form's font, the default of the "Font" entry.
  CaptionFont AmbientFont = InitialCaptionFont();

  // The stored value of Key, or Default when nothing is stored under it.
  PropertyValue ReadProperty(const std::wstring& Key, const PropertyValue& Default) const;

  // Stores Value under Key, unless it equals Default (converting comparison):
  // then nothing is kept under Key, and an earlier entry is dropped.
  void WriteProperty(const std::wstring& Key, const PropertyValue& Value, const PropertyValue& Default);

  // Direct access for a host filling the store from its layout, and for tests.
  void Set(const std::wstring& Key, const PropertyValue& Value);
  void Remove(const std::wstring& Key);
  const PropertyValue* Find(const std::wstring& Key) const;
  size_t Count() const { return values_.size(); }

 private:
  std::map<std::wstring, PropertyValue> values_;
};

}  // namespace sorvane
