#include "document/json_value.h"

#include <cmath>

#include "document/number_text.h"
#include "platform/platform.h"
#include "support/support.h"

namespace document {

void TZVCustomJSON::AssignByName(const std::string& name, const DynamicValue& value) {
  if (TZVCustomJSON* target = FieldByKey(DynamicValue(platform::AnsiToWide(name))))
    target->AssignValue(value);
}

void TZVCustomJSON::AssignBooleanByName(const std::string& name, bool value) {
  AssignByName(name, value);
}
void TZVCustomJSON::AssignIntegerByName(const std::string& name, int32_t value) {
  AssignByName(name, value);
}
void TZVCustomJSON::AssignCurrencyByName(const std::string& name, TCurrency value) {
  AssignByName(name, value);
}
void TZVCustomJSON::AssignFloatByName(const std::string& name, double value) {
  AssignByName(name, value);
}
void TZVCustomJSON::AssignStringByName(const std::string& name, const std::string& value) {
  AssignByName(name, platform::AnsiToWide(value));
}

long double DynamicToNumber(const DynamicValue& value) {
  struct Visitor {
    long double operator()(std::monostate) const { return 0; }
    long double operator()(bool b) const { return b ? 1 : 0; }
    long double operator()(int32_t i) const { return i; }
    long double operator()(TCurrency c) const { return static_cast<long double>(c.Scaled) / 10000; }
    long double operator()(double d) const { return d; }
    long double operator()(const std::u16string& s) const {
      return support::TextToFloatOrZero(platform::WideToAnsi(s));
    }
  };
  return std::visit(Visitor{}, value);
}

bool DynamicToBoolean(const DynamicValue& value) {
  if (const auto* text = std::get_if<std::u16string>(&value)) {
    const std::string ansi = support::Trim(platform::WideToAnsi(*text));
    if (ansi.size() == 4 && (ansi[0] | 0x20) == 't' && (ansi[1] | 0x20) == 'r' &&
        (ansi[2] | 0x20) == 'u' && (ansi[3] | 0x20) == 'e')
      return true;
  }
  return DynamicToNumber(value) != 0;
}

std::u16string DynamicToText(const DynamicValue& value) {
  struct Visitor {
    std::u16string operator()(std::monostate) const { return {}; }
    std::u16string operator()(bool b) const { return b ? u"true" : u"false"; }
    std::u16string operator()(int32_t i) const { return platform::AnsiToWide(std::to_string(i)); }
    std::u16string operator()(TCurrency c) const {
      return platform::AnsiToWide(NumberText(static_cast<long double>(c.Scaled) / 10000));
    }
    std::u16string operator()(double d) const { return platform::AnsiToWide(NumberText(d)); }
    std::u16string operator()(const std::u16string& s) const { return s; }
  };
  return std::visit(Visitor{}, value);
}

std::unique_ptr<TkxJSONnumber> TkxJSONnumber::Make(long double value) {
  auto number = std::make_unique<TkxJSONnumber>();
  number->NumberValue = value;
  return number;
}

void TkxJSONnumber::AssignValue(const DynamicValue& value) { NumberValue = DynamicToNumber(value); }

std::unique_ptr<TkxJSONstring> TkxJSONstring::Make(std::u16string_view text) {
  return Make(CompactText(text));
}

std::unique_ptr<TkxJSONstring> TkxJSONstring::Make(CompactText text) {
  auto string = std::make_unique<TkxJSONstring>();
  string->TextValue = std::move(text);
  return string;
}

void TkxJSONstring::AssignValue(const DynamicValue& value) {
  if (const auto* text = std::get_if<std::u16string>(&value))
    TextValue = CompactText(*text);
  else
    TextValue = CompactText(DynamicToText(value));
}

std::unique_ptr<TkxJSONboolean> TkxJSONboolean::Make(bool value) {
  auto flag = std::make_unique<TkxJSONboolean>();
  flag->FlagValue = value;
  return flag;
}

void TkxJSONboolean::AssignValue(const DynamicValue& value) { FlagValue = DynamicToBoolean(value); }

}  // namespace document
