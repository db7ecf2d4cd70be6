// The JSON values: the common base with its operations, the four leaves and the member that
// joins a name to a value inside an object.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "document/compact_text.h"
#include "document/dynamic_value.h"
#include "document/pool.h"

namespace document {

// Raised by a typed reader that finds an item of another class than it asks for.
class EInvalidCast : public std::runtime_error {
 public:
  EInvalidCast() : std::runtime_error("Invalid class typecast") {}
};

enum TJSONKind : int32_t {
  js_Base = 0,
  js_Number = 1,
  js_String = 2,
  js_Boolean = 3,
  js_Null = 4,
  js_List = 5,
  js_Object = 6,
};

class TZVCustomJSON {
 public:
  TZVCustomJSON() = default;
  TZVCustomJSON(const TZVCustomJSON&) = delete;
  TZVCustomJSON& operator=(const TZVCustomJSON&) = delete;
  virtual ~TZVCustomJSON() = default;
  // Every value and member comes from the document's pool; the virtual destructor hands the
  // size of the whole object back.
  static void* operator new(size_t size) { return pool::Allocate(size); }
  static void operator delete(void* block, size_t size) noexcept { pool::Free(block, size); }

  // By-name setters: on anything but an object they assign to FieldByKey of the name.
  virtual void AssignBooleanByName(const std::string& name, bool value);
  virtual void AssignIntegerByName(const std::string& name, int32_t value);
  virtual void AssignCurrencyByName(const std::string& name, TCurrency value);
  virtual void AssignFloatByName(const std::string& name, double value);
  virtual void AssignStringByName(const std::string& name, const std::string& value);
  virtual DynamicValue ReadValue() const { return {}; }
  virtual void AssignValue(const DynamicValue&) {}
  virtual TZVCustomJSON* ItemAt(int32_t) const { return nullptr; }
  virtual void ReplaceItemAt(int32_t, std::unique_ptr<TZVCustomJSON>) {}
  virtual int32_t ItemCount() const { return 0; }
  virtual TZVCustomJSON* FieldByKey(const DynamicValue&) { return this; }
  virtual int32_t KindCode() const { return js_Base; }
  virtual const char* KindName() const { return "js_Base"; }

 protected:
  TZVCustomJSON(TZVCustomJSON&&) = default;
  TZVCustomJSON& operator=(TZVCustomJSON&&) = default;

 private:
  void AssignByName(const std::string& name, const DynamicValue& value);
};

class TkxJSONnumber final : public TZVCustomJSON {
 public:
  static std::unique_ptr<TkxJSONnumber> Make(long double value);
  DynamicValue ReadValue() const override { return static_cast<double>(NumberValue); }
  void AssignValue(const DynamicValue& value) override;
  int32_t KindCode() const override { return js_Number; }
  const char* KindName() const override { return "js_Number"; }

  long double NumberValue = 0;
};

class TkxJSONstring final : public TZVCustomJSON {
 public:
  static std::unique_ptr<TkxJSONstring> Make(std::u16string_view text);
  static std::unique_ptr<TkxJSONstring> Make(CompactText text);
  DynamicValue ReadValue() const override { return TextValue.ToWide(); }
  void AssignValue(const DynamicValue& value) override;
  int32_t KindCode() const override { return js_String; }
  const char* KindName() const override { return "js_String"; }

  CompactText TextValue;
};

class TkxJSONboolean final : public TZVCustomJSON {
 public:
  static std::unique_ptr<TkxJSONboolean> Make(bool value);
  DynamicValue ReadValue() const override { return FlagValue; }
  void AssignValue(const DynamicValue& value) override;
  int32_t KindCode() const override { return js_Boolean; }
  const char* KindName() const override { return "js_Boolean"; }

  bool FlagValue = false;
};

class TkxJSONnull final : public TZVCustomJSON {
 public:
  int32_t KindCode() const override { return js_Null; }
  const char* KindName() const override { return "js_Null"; }
};

// One member of an object. Objects keep their members by value, side by side, so a member
// is movable where the other values are not.
class TkxJSONobjectmethod final : public TZVCustomJSON {
 public:
  TkxJSONobjectmethod() = default;
  TkxJSONobjectmethod(CompactText name, std::unique_ptr<TZVCustomJSON> value)
      : MemberValue(std::move(value)), MemberName(std::move(name)) {}
  TkxJSONobjectmethod(TkxJSONobjectmethod&&) = default;
  TkxJSONobjectmethod& operator=(TkxJSONobjectmethod&&) = default;

  std::unique_ptr<TZVCustomJSON> MemberValue;
  CompactText MemberName;
};

// Number conversions shared by the leaves and the typed readers.
long double DynamicToNumber(const DynamicValue& value);
bool DynamicToBoolean(const DynamicValue& value);
std::u16string DynamicToText(const DynamicValue& value);

}  // namespace document
