#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "document/compact_text.h"
#include "platform/platform.h"

namespace document {
namespace {

// Lengths around the point where the stored bytes leave the object for the heap, in both
// forms (one byte per unit, two bytes per unit), plus the empty text.
std::vector<std::u16string> TextsAroundTheBoundary() {
  std::vector<std::u16string> texts;
  for (size_t n : {0, 1, 6, 7, 8, 13, 14, 15, 16, 17, 31, 100}) {
    std::u16string narrow, wide;
    for (size_t i = 0; i < n; ++i) {
      narrow += static_cast<char16_t>(u'a' + i % 26);
      wide += static_cast<char16_t>(i % 2 ? u'\u20AC' : u'\u00E4');
    }
    texts.push_back(narrow);
    if (n) texts.push_back(wide);
  }
  return texts;
}

TEST(CompactText, KeepsEveryUnitAtEveryLength) {
  for (const std::u16string& units : TextsAroundTheBoundary()) {
    SCOPED_TRACE(units.size());
    const CompactText text(units);
    EXPECT_EQ(text.ToWide(), units);
    EXPECT_EQ(text.size(), units.size());
    EXPECT_EQ(text.empty(), units.empty());
    EXPECT_TRUE(text == units);
    for (size_t i = 0; i < units.size(); ++i) EXPECT_EQ(text.UnitAt(i), units[i]);
    EXPECT_EQ(CompactText::FromAnsi(std::string(units.size(), 'x')).size(), units.size());
  }
}

// The fast path copies eight bytes at a time and must give way at any byte the code page
// turns into another unit, wherever it stands.
TEST(CompactText, FromAnsiMatchesThePlatformForEveryByteAtEveryPlace) {
  for (size_t place : {0, 7, 8, 15, 16, 23}) {
    for (int b = 1; b < 256; ++b) {
      std::string ansi(24, 'x');
      ansi[place] = static_cast<char>(b);
      ansi += "\xE4\xFC";  // a tail shorter than eight, above 0x9F
      EXPECT_EQ(CompactText::FromAnsi(ansi).ToWide(), platform::AnsiToWide(ansi))
          << "byte " << b << " at " << place;
    }
  }
}

TEST(CompactText, CopiesMovesAndAssignmentsAcrossForms) {
  const std::vector<std::u16string> texts = TextsAroundTheBoundary();
  for (const std::u16string& a : texts) {
    for (const std::u16string& b : texts) {
      CompactText target(a);
      const CompactText source(b);
      target = source;  // copy over whatever form the target had
      EXPECT_EQ(target.ToWide(), b);
      EXPECT_TRUE(target == source);
      EXPECT_EQ(Compare(target, source), 0);

      CompactText moved(std::move(target));
      EXPECT_EQ(moved.ToWide(), b);
      EXPECT_TRUE(target.empty());  // a moved-from text is left empty
      CompactText other(a);
      other = std::move(moved);
      EXPECT_EQ(other.ToWide(), b);
      other = other;  // self-assignment keeps the text
      EXPECT_EQ(other.ToWide(), b);
    }
  }
}

// Ordinal order of the units, a prefix first, across forms and lengths, NUL units included.
TEST(CompactText, OrderIsThatOfTheUnits) {
  std::vector<std::u16string> texts = TextsAroundTheBoundary();
  for (const std::u16string& extra :
       {std::u16string(u"a"), std::u16string(1, u'\0'), std::u16string(u"a\0", 2),
        std::u16string(u"a\0\0", 3), std::u16string(u"ab"), std::u16string(u"\u00FF"),
        std::u16string(u"\u0100"), std::u16string(13, u'z') + u'\0', std::u16string(14, u'z')})
    texts.push_back(extra);
  auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (const std::u16string& a : texts)
    for (const std::u16string& b : texts)
      EXPECT_EQ(sign(Compare(CompactText(a), CompactText(b))), sign(a.compare(b)))
          << a.size() << " vs " << b.size();
}

TEST(CompactText, OrderAndEqualityOnLongTexts) {
  const std::u16string base(40, u'k');
  EXPECT_LT(Compare(CompactText(base), CompactText(base + u"a")), 0);  // prefix first
  EXPECT_GT(Compare(CompactText(base + u"b"), CompactText(base + u"a")), 0);
  EXPECT_FALSE(CompactText(base + u"a") == CompactText(base + u"b"));
  EXPECT_FALSE(CompactText(u"\u00E4") == CompactText(u"\u0100"));
  EXPECT_TRUE(CompactText(base) == CompactText(base));
}

}  // namespace
}  // namespace document
