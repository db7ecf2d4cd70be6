#include "document/json_list.h"

#include <cmath>
#include <limits>

#include "document/growth.h"
#include "platform/platform.h"

namespace document {
namespace {

template <class Leaf>
const Leaf* ItemOfClass(const TZVCustomJSON* item) {
  const Leaf* leaf = dynamic_cast<const Leaf*>(item);
  if (!leaf) throw EInvalidCast();
  return leaf;
}

int32_t TruncateToInt32(long double value) {
  // Out-of-range numbers saturate instead of overflowing.
  if (std::isnan(value)) return 0;
  const long double t = std::trunc(value);
  if (t <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (t >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(t);
}

}  // namespace

// ---- common list ---------------------------------------------------------------------------

TZVCustomJSON* TkxJSONcustomlist::FieldByKey(const DynamicValue& key) {
  if (std::holds_alternative<int32_t>(key) || std::holds_alternative<double>(key) ||
      std::holds_alternative<TCurrency>(key) || std::holds_alternative<bool>(key))
    return ItemAt(TruncateToInt32(DynamicToNumber(key)));
  return this;
}

TZVCustomJSON* TkxJSONcustomlist::ItemAndNameAt(int32_t position, std::string& name) const {
  name = std::to_string(position);
  return ItemAt(position);
}

int32_t TkxJSONcustomlist::IntegerAt(int32_t position) const {
  const TZVCustomJSON* item = ReadableAt(position);
  return item ? TruncateToInt32(ItemOfClass<TkxJSONnumber>(item)->NumberValue) : 0;
}

std::string TkxJSONcustomlist::StringAt(int32_t position) const {
  const TZVCustomJSON* item = ReadableAt(position);
  return item ? ItemOfClass<TkxJSONstring>(item)->TextValue.ToAnsi() : std::string();
}

std::u16string TkxJSONcustomlist::WideStringAt(int32_t position) const {
  const TZVCustomJSON* item = ReadableAt(position);
  return item ? ItemOfClass<TkxJSONstring>(item)->TextValue.ToWide() : std::u16string();
}

double TkxJSONcustomlist::FloatAt(int32_t position) const {
  const TZVCustomJSON* item = ReadableAt(position);
  return item ? static_cast<double>(ItemOfClass<TkxJSONnumber>(item)->NumberValue) : 0.0;
}

bool TkxJSONcustomlist::BooleanAt(int32_t position) const {
  const TZVCustomJSON* item = ReadableAt(position);
  return item ? ItemOfClass<TkxJSONboolean>(item)->FlagValue : false;
}

// ---- array ---------------------------------------------------------------------------------

TZVSONList::~TZVSONList() {
  while (!Items.empty()) Items.pop_back();
}

TZVCustomJSON* TZVSONList::ItemAt(int32_t position) const {
  if (position < 0 || position >= ItemCount()) return nullptr;
  return Items[position].get();
}

void TZVSONList::ReplaceItemAt(int32_t position, std::unique_ptr<TZVCustomJSON> item) {
  // A missing item would leave a hole in the text; the old item stays instead.
  if (position < 0 || position >= ItemCount() || !item) return;
  Items[position] = std::move(item);
}

int32_t TZVSONList::AppendItem(std::unique_ptr<TZVCustomJSON> item) {
  if (!item) return -1;
  GrowForOneMore(Items);
  Items.push_back(std::move(item));
  return ItemCount() - 1;
}

void TZVSONList::RemoveItemAt(int32_t position) {
  if (position < 0 || position >= ItemCount()) return;
  Items[position] = std::move(Items.back());
  Items.pop_back();
}

int32_t TZVSONList::IndexOfItem(const TZVCustomJSON* item) const {
  for (size_t i = 0; i < Items.size(); ++i)
    if (Items[i].get() == item) return static_cast<int32_t>(i);
  return -1;
}

// ---- object --------------------------------------------------------------------------------

TZVJSON::TZVJSON(bool indexed) : nameIndex_(this), indexed_(indexed) {}

TZVJSON::~TZVJSON() {
  while (!members_.empty()) members_.pop_back();
}

template <class Make>
void TZVJSON::SetByName(const std::string& name, const DynamicValue& value, Make&& make) {
  CompactText key = CompactText::FromAnsi(name);
  if (TZVCustomJSON* member = MemberByName(key)) {
    member->AssignValue(value);
    return;
  }
  AddMember(std::move(key), make());
}

void TZVJSON::AssignBooleanByName(const std::string& name, bool value) {
  SetByName(name, value, [&] { return TkxJSONboolean::Make(value); });
}

void TZVJSON::AssignIntegerByName(const std::string& name, int32_t value) {
  SetByName(name, value, [&] { return TkxJSONnumber::Make(value); });
}

void TZVJSON::AssignCurrencyByName(const std::string& name, TCurrency value) {
  SetByName(name, value, [&] {
    return TkxJSONnumber::Make(static_cast<long double>(value.Scaled) / 10000);
  });
}

void TZVJSON::AssignFloatByName(const std::string& name, double value) {
  SetByName(name, value, [&] { return TkxJSONnumber::Make(value); });
}

void TZVJSON::AssignStringByName(const std::string& name, const std::string& value) {
  // The hot path of every import: no detour through a dynamic value.
  CompactText key = CompactText::FromAnsi(name);
  if (TZVCustomJSON* member = MemberByName(key)) {
    if (auto* text = dynamic_cast<TkxJSONstring*>(member))
      text->TextValue = CompactText::FromAnsi(value);
    else
      member->AssignValue(platform::AnsiToWide(value));
    return;
  }
  AddMember(std::move(key), TkxJSONstring::Make(CompactText::FromAnsi(value)));
}

TZVCustomJSON* TZVJSON::ItemAt(int32_t position) const {
  if (!InRange(position)) return nullptr;
  return const_cast<TkxJSONobjectmethod*>(&members_[position]);
}

TkxJSONobjectmethod TZVJSON::ToMember(std::unique_ptr<TZVCustomJSON> item) {
  TkxJSONobjectmethod member;
  if (auto* given = dynamic_cast<TkxJSONobjectmethod*>(item.get())) {
    member = std::move(*given);
  } else {
    member.MemberValue = std::move(item);
  }
  // Every member carries a value, so the text always has one after the colon.
  if (!member.MemberValue) member.MemberValue = std::make_unique<TkxJSONnull>();
  return member;
}

void TZVJSON::ReplaceItemAt(int32_t position, std::unique_ptr<TZVCustomJSON> item) {
  if (!InRange(position) || !item) return;
  members_[position] = ToMember(std::move(item));
  RebuildIndex();
}

TZVCustomJSON* TZVJSON::FieldByKey(const DynamicValue& key) {
  if (const auto* text = std::get_if<std::u16string>(&key)) return MemberByName(*text);
  return TkxJSONcustomlist::FieldByKey(key);
}

TZVCustomJSON* TZVJSON::ItemAndNameAt(int32_t position, std::string& name) const {
  name = platform::WideToAnsi(MemberNameAt(position));
  return MemberValueAt(position);
}

int32_t TZVJSON::AppendItem(std::unique_ptr<TZVCustomJSON> item) {
  if (!item) return -1;
  TkxJSONobjectmethod member = ToMember(std::move(item));
  GrowForOneMore(members_, kFirstMembers);
  members_.push_back(std::move(member));
  const int32_t position = ItemCount() - 1;
  if (indexed_) nameIndex_.InsertName(members_.back().MemberName, position);
  return position;
}

void TZVJSON::RemoveItemAt(int32_t position) {
  if (!InRange(position)) return;
  members_[position] = std::move(members_.back());
  members_.pop_back();
  RebuildIndex();
}

// Positions moved, so the index is built anew; it keeps the first member of every name.
void TZVJSON::RebuildIndex() {
  nameIndex_.ClearTree();
  if (!indexed_) return;
  for (size_t i = 0; i < members_.size(); ++i)
    nameIndex_.InsertName(members_[i].MemberName, static_cast<int32_t>(i));
}

int32_t TZVJSON::IndexOfItem(const TZVCustomJSON* item) const {
  for (size_t i = 0; i < members_.size(); ++i)
    if (&members_[i] == item) return static_cast<int32_t>(i);
  return -1;
}

int32_t TZVJSON::AddMember(std::u16string_view name, std::unique_ptr<TZVCustomJSON> value) {
  return AddMember(CompactText(name), std::move(value));
}

int32_t TZVJSON::AddMember(CompactText name, std::unique_ptr<TZVCustomJSON> value) {
  if (!value) return -1;
  GrowForOneMore(members_, kFirstMembers);
  members_.emplace_back(std::move(name), std::move(value));
  const int32_t position = ItemCount() - 1;
  if (indexed_) nameIndex_.InsertName(members_.back().MemberName, position);
  return position;
}

int32_t TZVJSON::MemberIndexOf(const CompactText& name) const {
  if (indexed_) return nameIndex_.FindIndex(name);
  for (size_t i = 0; i < members_.size(); ++i)
    if (members_[i].MemberName == name) return static_cast<int32_t>(i);
  return -1;
}

TZVCustomJSON* TZVJSON::MemberByName(const CompactText& name) const {
  const int32_t position = MemberIndexOf(name);
  return position < 0 ? nullptr : members_[position].MemberValue.get();
}

std::u16string TZVJSON::MemberNameAt(int32_t position) const {
  return InRange(position) ? members_[position].MemberName.ToWide() : std::u16string();
}

TZVCustomJSON* TZVJSON::MemberValueAt(int32_t position) const {
  if (!InRange(position) || members_[position].MemberName.empty()) return nullptr;
  // The member's own value, also when an earlier member carries the same name.
  return members_[position].MemberValue.get();
}

}  // namespace document
