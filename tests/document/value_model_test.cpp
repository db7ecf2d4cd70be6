#include <gtest/gtest.h>

#include <string>

#include "document/zvjson.h"

namespace document {
namespace {

std::unique_ptr<TkxJSONstring> Text(std::u16string_view s) { return TkxJSONstring::Make(s); }

class ObjectTest : public ::testing::TestWithParam<bool> {};  // indexed or scanned

TEST_P(ObjectTest, KeepsInsertionOrderAndFindsTheFirstOfAName) {
  TZVJSON object(GetParam());
  EXPECT_EQ(object.AddMember(u"b", Text(u"1")), 0);
  EXPECT_EQ(object.AddMember(u"a", Text(u"2")), 1);
  EXPECT_EQ(object.AddMember(u"c", Text(u"3")), 2);
  EXPECT_EQ(object.MemberNameAt(0), u"b");
  EXPECT_EQ(object.MemberNameAt(2), u"c");
  EXPECT_EQ(object.MemberNameAt(3), u"");

  // A second member of a name is appended and counted, lookups keep the first.
  EXPECT_EQ(object.AddMember(u"a", Text(u"4")), 3);
  EXPECT_EQ(object.ItemCount(), 4);
  EXPECT_EQ(object.MemberIndexOf(u"a"), 1);
  EXPECT_EQ(object.WideStringAt(object.MemberIndexOf(u"a")), u"2");
  EXPECT_EQ(WriteText(&object), R"({"b":"1","a":"2","c":"3","a":"4"})");

  // Missing values add nothing.
  EXPECT_EQ(object.AddMember(u"d", nullptr), -1);
  EXPECT_EQ(object.AppendItem(nullptr), -1);
  EXPECT_EQ(object.ItemCount(), 4);
  EXPECT_EQ(object.MemberByName(u"d"), nullptr);
}

TEST_P(ObjectTest, SettersNeverDuplicateANameAndCaseMatters) {
  TZVJSON object(GetParam());
  object.AssignStringByName("x", "1");
  object.AssignBooleanByName("Order", true);
  object.AssignStringByName("x", "2");
  object.AssignBooleanByName("order", false);
  object.AssignIntegerByName("n", 7);
  object.AssignIntegerByName("n", -3);
  object.AssignCurrencyByName("c", TCurrency{15000});
  object.AssignFloatByName("f", 0.25);
  EXPECT_EQ(WriteText(&object), R"({"x":"2","Order":true,"order":false,"n":-3,"c":1.5,"f":0.25})");
  EXPECT_EQ(object.ItemCount(), 6);
}

TEST_P(ObjectTest, RemovingAndReplacingMembersKeepsLookupsRight) {
  TZVJSON object(GetParam());
  for (const char16_t* name : {u"a", u"b", u"c", u"d"}) object.AddMember(name, Text(name));
  object.RemoveItemAt(0);  // d moves to position 0
  EXPECT_EQ(object.MemberIndexOf(u"d"), 0);
  EXPECT_EQ(object.MemberIndexOf(u"a"), -1);
  EXPECT_EQ(object.MemberIndexOf(u"c"), 2);
  object.ReplaceItemAt(1, std::make_unique<TkxJSONobjectmethod>(CompactText(u"e"), Text(u"E")));
  EXPECT_EQ(object.MemberIndexOf(u"b"), -1);
  EXPECT_EQ(object.MemberIndexOf(u"e"), 1);
  object.AssignStringByName("e", "E2");
  EXPECT_EQ(WriteText(&object), R"({"d":"d","e":"E2","c":"c"})");
  // A value that is not a member becomes the value of a nameless one, and stays valid JSON.
  object.AppendItem(TkxJSONnumber::Make(5));
  EXPECT_EQ(WriteText(&object), R"({"d":"d","e":"E2","c":"c","":5})");
  EXPECT_EQ(object.MemberValueAt(3), nullptr);
}

INSTANTIATE_TEST_SUITE_P(IndexedAndScanned, ObjectTest, ::testing::Bool());

TEST(ValueModel, KindsOfEveryClass) {
  TZVJSON object(true);
  object.AddMember(u"m", TkxJSONnumber::Make(1));
  struct Case {
    const TZVCustomJSON* value;
    int32_t code;
    const char* name;
  };
  TkxJSONnull null;
  TZVSONList list;
  TkxJSONobjectmethod member;
  auto number = TkxJSONnumber::Make(1);
  auto text = Text(u"t");
  auto flag = TkxJSONboolean::Make(true);
  const Case all[] = {{number.get(), 1, "js_Number"}, {text.get(), 2, "js_String"},
                      {flag.get(), 3, "js_Boolean"},  {&null, 4, "js_Null"},
                      {&list, 5, "js_List"},          {&object, 6, "js_Object"},
                      {&member, 0, "js_Base"},        {object.ItemAt(0), 0, "js_Base"}};
  for (const Case& c : all) {
    EXPECT_EQ(c.value->KindCode(), c.code);
    EXPECT_STREQ(c.value->KindName(), c.name);
  }
}

TEST(ValueModel, TypedReadersTruncateDefaultAndRefuseOtherClasses) {
  TZVSONList list;
  list.AddElement(TkxJSONnumber::Make(2.9L));
  list.AddElement(TkxJSONnumber::Make(-2.9L));
  list.AddElement(TkxJSONboolean::Make(true));
  list.AddElement(Text(u"\u00E4\u4E2D"));
  list.AddElement(TkxJSONnumber::Make(1e20L));
  EXPECT_EQ(list.IntegerAt(0), 2);
  EXPECT_EQ(list.IntegerAt(1), -2);
  EXPECT_EQ(list.IntegerAt(4), INT32_MAX);
  EXPECT_DOUBLE_EQ(list.FloatAt(0), 2.9);
  EXPECT_TRUE(list.BooleanAt(2));
  EXPECT_EQ(list.StringAt(3), "\xE4?");  // no ANSI character, not even a best fit
  EXPECT_EQ(list.WideStringAt(3), u"\u00E4\u4E2D");
  // No item: defaults.
  EXPECT_EQ(list.IntegerAt(9), 0);
  EXPECT_EQ(list.StringAt(-1), "");
  EXPECT_FALSE(list.BooleanAt(5));
  EXPECT_EQ(list.ItemAt(-1), nullptr);
  EXPECT_EQ(list.ItemAt(list.ItemCount()), nullptr);
  // Another class: the invalid-cast failure, nothing changed.
  EXPECT_THROW(list.StringAt(2), EInvalidCast);
  EXPECT_THROW(list.IntegerAt(3), EInvalidCast);
  EXPECT_THROW(list.BooleanAt(0), EInvalidCast);
  EXPECT_EQ(list.ItemCount(), 5);

  std::string name;
  EXPECT_EQ(list.ItemAndNameAt(3, name), list.ItemAt(3));
  EXPECT_EQ(name, "3");

  TZVJSON object(true);
  object.AddMember(u"n", TkxJSONnumber::Make(-7.5L));
  object.AddMember(u"", Text(u"x"));
  EXPECT_EQ(object.IntegerAt(0), -7);
  EXPECT_EQ(object.WideStringAt(1), u"");  // a nameless member reads as absent
  EXPECT_EQ(object.ItemAndNameAt(0, name), object.MemberByName(u"n"));
  EXPECT_EQ(name, "n");
}

TEST(ValueModel, ListRemoveReplaceAndIdentity) {
  TZVSONList list;
  for (const char16_t* s : {u"a", u"b", u"c"}) list.AddElement(Text(s));
  const TZVCustomJSON* c = list.ItemAt(2);
  list.RemoveItemAt(0);
  EXPECT_EQ(WriteText(&list), R"(["c","b"])");
  EXPECT_EQ(list.IndexOfItem(c), 0);
  list.RemoveItemAt(2);
  list.ReplaceItemAt(1, TkxJSONnumber::Make(3));
  list.ReplaceItemAt(0, nullptr);  // no hole in the array
  EXPECT_EQ(WriteText(&list), R"(["c",3])");
  EXPECT_EQ(list.IndexOfItem(c), 0);
  TkxJSONnull other;
  EXPECT_EQ(list.IndexOfItem(&other), -1);
}

TEST(ValueModel, FieldByKeyAndLeafAssignment) {
  TZVJSON object(true);
  object.AddMember(u"s", Text(u"old"));
  object.AddMember(u"n", TkxJSONnumber::Make(1));
  EXPECT_EQ(object.FieldByKey(std::u16string(u"n")), object.MemberByName(u"n"));
  EXPECT_EQ(object.FieldByKey(int32_t{0}), object.ItemAt(0));
  EXPECT_EQ(object.FieldByKey(DynamicValue{}), &object);

  TkxJSONstring* s = static_cast<TkxJSONstring*>(object.MemberByName(u"s"));
  s->AssignValue(DynamicValue{});
  EXPECT_TRUE(s->TextValue.empty());
  s->AssignValue(int32_t{42});
  EXPECT_EQ(s->ReadValue(), DynamicValue(std::u16string(u"42")));

  // On a leaf, a by-name setter assigns to the leaf itself.
  auto number = TkxJSONnumber::Make(0);
  number->AssignFloatByName("anything", 2.5);
  EXPECT_EQ(number->ReadValue(), DynamicValue(2.5));
  auto flag = TkxJSONboolean::Make(false);
  flag->AssignValue(std::u16string(u"True"));
  EXPECT_TRUE(flag->FlagValue);
}

}  // namespace
}  // namespace document
