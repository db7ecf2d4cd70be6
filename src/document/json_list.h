// Arrays and objects. An array owns its elements through pointers; an object keeps its
// members by value in one contiguous vector and finds them by name through its AA tree.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/bal_tree.h"
#include "document/json_value.h"

namespace document {

class TkxJSONcustomlist : public TZVCustomJSON {
 public:
  // An integer or Boolean key selects the item at that position, any other key the list.
  TZVCustomJSON* FieldByKey(const DynamicValue& key) override;

  virtual TZVCustomJSON* ItemAndNameAt(int32_t position, std::string& name) const;
  // Takes ownership; a missing item is not appended and gives -1.
  virtual int32_t AppendItem(std::unique_ptr<TZVCustomJSON> item) = 0;
  // Frees the item and moves the last one into its place (order is not kept).
  virtual void RemoveItemAt(int32_t position) = 0;
  virtual int32_t IndexOfItem(const TZVCustomJSON* item) const = 0;

  // Typed readers: the default (0, empty, false) when there is no item, EInvalidCast when the
  // item is of another class.
  virtual int32_t IntegerAt(int32_t position) const;
  virtual std::string StringAt(int32_t position) const;
  virtual std::u16string WideStringAt(int32_t position) const;
  virtual double FloatAt(int32_t position) const;
  virtual bool BooleanAt(int32_t position) const;

 protected:
  // The item that the typed readers look at: the element, or the member's value.
  virtual const TZVCustomJSON* ReadableAt(int32_t position) const { return ItemAt(position); }
};

class TZVSONList final : public TkxJSONcustomlist {
 public:
  TZVSONList() = default;
  ~TZVSONList() override;

  TZVCustomJSON* ItemAt(int32_t position) const override;
  void ReplaceItemAt(int32_t position, std::unique_ptr<TZVCustomJSON> item) override;
  int32_t ItemCount() const override { return static_cast<int32_t>(Items.size()); }
  int32_t KindCode() const override { return js_List; }
  const char* KindName() const override { return "js_List"; }

  int32_t AppendItem(std::unique_ptr<TZVCustomJSON> item) override;
  void RemoveItemAt(int32_t position) override;
  int32_t IndexOfItem(const TZVCustomJSON* item) const override;

  int32_t AddElement(std::unique_ptr<TZVCustomJSON> value) { return AppendItem(std::move(value)); }

  std::vector<std::unique_ptr<TZVCustomJSON>> Items;
};

class TZVJSON final : public TkxJSONcustomlist, private TkxBalTree::NameSource {
 public:
  explicit TZVJSON(bool indexed);
  ~TZVJSON() override;

  // By-name setters: update the member of that name, or append a new one of the setter's kind.
  void AssignBooleanByName(const std::string& name, bool value) override;
  void AssignIntegerByName(const std::string& name, int32_t value) override;
  void AssignCurrencyByName(const std::string& name, TCurrency value) override;
  void AssignFloatByName(const std::string& name, double value) override;
  void AssignStringByName(const std::string& name, const std::string& value) override;

  // The item of an object is its member (a TkxJSONobjectmethod); the pointer stays valid
  // until the object changes.
  TZVCustomJSON* ItemAt(int32_t position) const override;
  // A member item is taken apart into name and value; any other item becomes the value of a
  // member without a name.
  void ReplaceItemAt(int32_t position, std::unique_ptr<TZVCustomJSON> item) override;
  int32_t ItemCount() const override { return static_cast<int32_t>(members_.size()); }
  TZVCustomJSON* FieldByKey(const DynamicValue& key) override;
  int32_t KindCode() const override { return js_Object; }
  const char* KindName() const override { return "js_Object"; }

  TZVCustomJSON* ItemAndNameAt(int32_t position, std::string& name) const override;
  int32_t AppendItem(std::unique_ptr<TZVCustomJSON> item) override;
  void RemoveItemAt(int32_t position) override;
  int32_t IndexOfItem(const TZVCustomJSON* item) const override;

  // Appends without looking for a member of the same name; lookups keep finding the first.
  int32_t AddMember(std::u16string_view name, std::unique_ptr<TZVCustomJSON> value);
  int32_t AddMember(CompactText name, std::unique_ptr<TZVCustomJSON> value);
  int32_t MemberIndexOf(std::u16string_view name) const { return MemberIndexOf(CompactText(name)); }
  int32_t MemberIndexOf(const CompactText& name) const;
  TZVCustomJSON* MemberByName(std::u16string_view name) const {
    return MemberByName(CompactText(name));
  }
  TZVCustomJSON* MemberByName(const CompactText& name) const;
  std::u16string MemberNameAt(int32_t position) const;
  // None for a member without a name.
  TZVCustomJSON* MemberValueAt(int32_t position) const;

  bool Indexed() const { return indexed_; }
  const TkxBalTree& NameIndex() const { return nameIndex_; }
  using MemberArray = std::vector<TkxJSONobjectmethod, pool::Allocator<TkxJSONobjectmethod>>;
  const MemberArray& Members() const { return members_; }

 protected:
  const TZVCustomJSON* ReadableAt(int32_t position) const override { return MemberValueAt(position); }

 private:
  const CompactText& NameAt(int32_t itemIndex) const override { return members_[itemIndex].MemberName; }
  bool InRange(int32_t position) const {
    return position >= 0 && position < static_cast<int32_t>(members_.size());
  }
  template <class Make>
  void SetByName(const std::string& name, const DynamicValue& value, Make&& make);
  static TkxJSONobjectmethod ToMember(std::unique_ptr<TZVCustomJSON> item);
  void RebuildIndex();

  MemberArray members_;
  TkxBalTree nameIndex_;
  bool indexed_;
};

}  // namespace document
