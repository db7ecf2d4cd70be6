#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "platform/platform.h"
#include "support/support.h"

namespace {

struct ReplaceCase {
  std::string text, search, replacement, expected;
};

TEST(ReplaceAllText, CaseInsensitiveForLetterPairsOnly) {
  const ReplaceCase cases[] = {
      {"a.gaeb<BR>b.gaeb<br>", "<br>", "\r\n", "a.gaeb\r\nb.gaeb\r\n"},
      {"<bR><Br>", "<br>", "\r\n", "\r\n\r\n"},
      {"     ", "  ", " ", "   "},
      {"1...2", "..", ".", "1..2"},
      {"ab", "abc", "x", "ab"},
      {"", "a", "x", ""},
      {"abc", "", "x", "abc"},
      {"\xE4\xC4", "\xE4", "ae", "aeae"},          // ä matches Ä
      {"\xC4\xE4", "x\xE4", "-", "\xC4\xE4"},       // ...and a later byte too
      {"S\xDF\x53S", "\xDF", "ss", "SssSS"},         // ß matches only itself
      {"\xE1" "a", "a", "b", "\xE1" "b"},            // a does not match á
      {"\x8A\x8C\x8E\x9F", "\x9A\x9C\x9E\xFF", "!", "!"},          // Š Œ Ž Ÿ
      {"\x9A\x8C\x9E\x9F", "\x8A\x9C\x8E\xFF", "!", "!"},
      {"\xD7\xF7\xB5", "\xF7", "/", "\xD7/\xB5"},    // × ÷ µ have no partner
      {"\xDE\xFE", "\xFE", "th", "thth"},
      {std::string("a\0b\0", 4), std::string("\0b", 2), "-", std::string("a-\0", 3)},
      {"end<BR", "<br>", "\r\n", "end<BR"},
      {"xAbAbA", "aba", "_", "x_bA"},
      {"short", "o", "a much longer replacement", "sha much longer replacementrt"},
      {"aaaa", "a", "", ""},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    support::ReplaceAllText(text, c.search, c.replacement);
    EXPECT_EQ(text, c.expected) << testing::PrintToString(c.text) << " / "
                                << testing::PrintToString(c.search);
    EXPECT_EQ(support::FastReplaceText(c.text, c.search, c.replacement), c.expected);
  }
}

// The straightforward reading of the rule, to hold the fast scanner against.
std::string ReferenceReplace(const std::string& text, const std::string& search,
                             const std::string& replacement) {
  auto fold = [](unsigned char c) -> unsigned char {
    if ((c >= 'a' && c <= 'z') || (c >= 224 && c <= 254 && c != 247)) return c - 32;
    if (c == 154 || c == 156 || c == 158) return c - 16;
    if (c == 255) return 159;
    return c;
  };
  if (search.empty() || search.size() > text.size()) return text;
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    bool match = i + search.size() <= text.size();
    for (size_t k = 0; match && k < search.size(); ++k)
      match = fold(static_cast<unsigned char>(text[i + k])) ==
              fold(static_cast<unsigned char>(search[k]));
    if (match) {
      out += replacement;
      i += search.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

TEST(FastReplaceText, AgreesWithTheReferenceOnRandomTexts) {
  std::mt19937 rng(20240611);
  const std::string alphabet = std::string("aAbB<>rR\xE4\xC4\xDF\xFF\x9F ", 14) + '\0';
  for (int round = 0; round < 3000; ++round) {
    auto make = [&](size_t maxLen) {
      std::string s(rng() % (maxLen + 1), ' ');
      for (char& c : s) c = alphabet[rng() % alphabet.size()];
      return s;
    };
    std::string text = make(60), search = make(4), replacement = make(5);
    const std::string expected = ReferenceReplace(text, search, replacement);
    ASSERT_EQ(support::FastReplaceText(text, search, replacement), expected)
        << testing::PrintToString(text) << " / " << testing::PrintToString(search);
    std::string inPlace = text;
    support::ReplaceAllText(inPlace, search, replacement);
    ASSERT_EQ(inPlace, expected);
    std::string reused = make(80);  // a dirty buffer of any size
    support::FastReplaceTextInto(reused, text, search, replacement);
    ASSERT_EQ(reused, expected);
  }
}

TEST(ReplaceAllText, SearchAndReplacementMayPointIntoTheText) {
  std::string text = "ab-AB-ab";
  std::string_view view(text);
  support::ReplaceAllText(text, view.substr(0, 2), view.substr(2, 1));
  EXPECT_EQ(text, "-----");
  text = "xyXY";
  view = text;
  support::ReplaceAllText(text, view.substr(0, 1), view.substr(0, 2));
  EXPECT_EQ(text, "xyyxyY");
}

TEST(ShortenText, CutsToMaxLengthWithTwoDots) {
  const std::string t25 = "abcdefghijklmnopqrstuvwxy";
  struct Case {
    std::string text;
    int max;
    std::string expected;
  } cases[] = {
      {t25, 20, t25.substr(0, 18) + ".."},
      {t25.substr(0, 20), 20, t25.substr(0, 20)},
      {"abc", 2, ".."},
      {"abc", 1, ".."},
      {"abc", 0, ".."},
      {"abc", -5, ".."},
      {"", 0, ""},
      {"", -1, ".."},
  };
  for (const auto& c : cases)
    EXPECT_EQ(support::ShortenText(c.text, c.max), c.expected) << c.text << " " << c.max;
}

class TextToFloat : public testing::Test {
 protected:
  ~TextToFloat() override { platform::OverrideDecimalSeparator(0); }
};

TEST_F(TextToFloat, FollowsTheDecimalSeparator) {
  struct Case {
    char separator;
    std::string text;
    long double expected;
  } cases[] = {
      {',', "19,00", 19},         {',', "19.00", 0},       {',', "", 0},
      {',', "abc", 0},            {',', "1.000,5", 0},     {',', "  -2,5  ", -2.5L},
      {',', "+3", 3},             {',', "1,5E2", 150},     {',', "1,5e-1", 0.15L},
      {',', ",5", 0.5L},          {',', "5,", 5},          {',', ",", 0},
      {',', "1,2,3", 0},          {',', "1E", 0},          {',', "1e+", 0},
      {',', "- 1", 0},            {',', "1 2", 0},         {',', "\t1", 0},
      {',', "1e99999", 0},        {',', "0x10", 0},        {',', "inf", 0},
      {',', "nan", 0},            {',', std::string("1\0", 2), 0},
      {'.', "19.00", 19},         {'.', "19,00", 0},       {'.', "1,000.5", 0},
      {'.', "-0.25", -0.25L},
  };
  for (const auto& c : cases) {
    platform::OverrideDecimalSeparator(c.separator);
    long double got = support::TextToFloatOrZero(c.text);
    EXPECT_NEAR(static_cast<double>(got), static_cast<double>(c.expected), 1e-12)
        << c.separator << " " << testing::PrintToString(c.text);
  }
}

TEST_F(TextToFloat, HugeInputGivesAValueOrZero) {
  platform::OverrideDecimalSeparator(',');
  EXPECT_EQ(support::TextToFloatOrZero(std::string(1 << 20, '0') + "7"), 7);
  EXPECT_EQ(support::TextToFloatOrZero(std::string(1 << 20, '9')), 0);  // overflow
}

TEST(Lines, SplitKeepsNulBytesAndTrimDropsControlBytes) {
  EXPECT_EQ(support::SplitLines(std::string("a\0b\r\nc", 6)),
            (std::vector<std::string>{std::string("a\0b", 3), "c"}));
  EXPECT_EQ(support::SplitLines("\n\r\n\r"), (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(support::Trim(std::string("\t\x01 x y \r\n\0", 11)), "x y");
  EXPECT_EQ(support::Trim("\xA0x\xA0"), "\xA0x\xA0");  // above the blank: kept
  EXPECT_EQ(support::Trim("   "), "");
}

TEST(Lines, EveryMixOfLineEnds) {
  using L = std::vector<std::string>;
  const struct {
    const char* text;
    L lines;
  } cases[] = {
      {"", {}},
      {"x", {"x"}},
      {"\r\n", {""}},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"a\r\rb", {"a", "", "b"}},
      {"a\n\nb\r", {"a", "", "b"}},
      {"a\n\rb\r\n\r\nc", {"a", "", "b", "", "c"}},
      {"long line one\nx\ry\r\nlast", {"long line one", "x", "y", "last"}},
      {"a\r\n\nb\r\r\nc", {"a", "", "b", "", "c"}},
  };
  for (const auto& c : cases) EXPECT_EQ(support::SplitLines(c.text), c.lines) << c.text;
}

TEST(FreeAndClear, ReferenceIsEmptyBeforeTheObjectGoes) {
  struct Probe {
    std::unique_ptr<Probe>* owner;
    bool* sawEmpty;
    ~Probe() { *sawEmpty = (*owner == nullptr); }
  };
  std::unique_ptr<Probe> ref;
  bool sawEmpty = false;
  ref = std::make_unique<Probe>(Probe{&ref, &sawEmpty});
  support::FreeAndClear(ref);
  EXPECT_EQ(ref, nullptr);
  EXPECT_TRUE(sawEmpty);
  support::FreeAndClear(ref);  // a null reference is fine
}

}  // namespace
