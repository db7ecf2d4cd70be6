#include <gtest/gtest.h>

#include "platform/platform.h"

// Both builds must give the same bytes: the Windows build asks the system, the POSIX build
// uses the tables dumped from it. Every expectation here holds on both.
namespace {

struct ToBytes {
  unsigned codePage;
  std::u16string text;
  bool compose;
  std::string bytes;
  bool usedDefault;
};

TEST(CodePages, WideToMultiByteWithBestFit) {
  const ToBytes cases[] = {
      {1252, u"\u2264", false, "=", false},
      {1252, u"\u0101", false, "a", false},
      {1252, u"\u2500", false, "-", false},
      {1252, u"\u20AC\u00E4\u00DF", false, "\x80\xE4\xDF", false},
      {1252, u"\u0081\u008D", false, "\x81\x8D", false},
      {1252, u"x\u4E00y", false, "x?y", true},
      {1252, u"\xD83D\xDE00", false, "??", true},
      {1252, u"a\u0308", true, "\xE4", false},
      {1252, u"a\u0308", false, "a\xA8", false},
      {1252, u"e\u0301\u0301", true, "\xE9\xB4", false},
      {1252, u"q\u0308", true, "q\xA8", false},
      {1252, u"x\u0308", true, "x", false},
      {1252, u"A\u030A\u0327", true, "\xC5\xB8", false},
      {1252, u"\u0308a", true, "\xA8" "a", false},
      {850, u"o\u0308", true, "\x94", false},
      {1251, u"\u0415\u0308", true, "\xA8", false},
      {1252, u"", false, "", false},
      {1251, u"\u20AC", false, "\x88", false},
      {1251, u"\u0416", false, "\xC6", false},
      {850, u"\u00E4\u00DF", false, "\x84\xE1", false},
      {850, u"\u2500", false, "\xC4", false},
      {437, u"\u00E4\u20A7", false, "\x84\x9E", false},
      {10000, u"\u00E4", false, "\x8A", false},
      {1250, u"\u0151", false, "\xF5", false},
      {932, u"\u65E5\u672C", false, "\x93\xFA\x96\x7B", false},
      {936, u"\u4E2D", false, "\xD6\xD0", false},
      {949, u"\uD55C", false, "\xC7\xD1", false},
      {950, u"\u4E2D", false, "\xA4\xA4", false},
      {932, u"a\u00E4", false, "aa", false},
      {932, u"\u0E01", false, "?", true},
      {65001, u"\u00E4\u20AC", false, "\xC3\xA4\xE2\x82\xAC", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.codePage << " " << testing::PrintToString(c.bytes));
    std::string out = "junk";
    bool used = !c.usedDefault;
    ASSERT_TRUE(platform::WideToMultiByte(c.codePage, c.text, out, c.compose, &used));
    EXPECT_EQ(out, c.bytes);
    if (c.codePage != 65001) {
      EXPECT_EQ(used, c.usedDefault);
    }
  }
}

TEST(CodePages, MultiByteToWide) {
  struct Case {
    unsigned codePage;
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {1252, "\x80\x81\xE4\x9F", u"\u20AC\u0081\u00E4\u0178"},
      {850, "\x84\x81\xC4", u"\u00E4\u00FC\u2500"},
      {437, "\x9E", u"\u20A7"},
      {1251, "\x88", u"\u20AC"},
      {10000, "\x8A", u"\u00E4"},
      {932, "\x93\xFA\x96\x7B", u"\u65E5\u672C"},
      {65001, "\xC3\xA4", u"\u00E4"},
      {1252, std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
  };
  for (const auto& c : cases) {
    std::u16string out;
    ASSERT_TRUE(platform::MultiByteToWide(c.codePage, c.bytes, out)) << c.codePage;
    EXPECT_EQ(out, c.text) << c.codePage << " " << testing::PrintToString(c.bytes);
  }
}

TEST(CodePages, EveryAnsiByteRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  for (unsigned cp : {1250u, 1251u, 1252u, 1254u, 850u, 437u}) {
    std::u16string wide;
    std::string back;
    ASSERT_TRUE(platform::MultiByteToWide(cp, all, wide));
    ASSERT_TRUE(platform::WideToMultiByte(cp, wide, back));
    EXPECT_EQ(back, all) << cp;
  }
}

TEST(CodePages, OemToAnsiAndTheSymbolicPages) {
  EXPECT_EQ(platform::OemToAnsi("\x81\x84\xE1\x9A"), "\xFC\xE4\xDF\xDC");
  EXPECT_EQ(platform::OemToAnsi("plain"), "plain");
  EXPECT_EQ(platform::OemToAnsi(std::string("\0\xC4", 2)), std::string("\0-", 2));
  std::string viaSymbolic, viaNumber;
  platform::WideToMultiByte(platform::kCodePageAnsi, u"\u2264\u00E4", viaSymbolic);
  platform::WideToMultiByte(1252, u"\u2264\u00E4", viaNumber);
  EXPECT_EQ(viaSymbolic, viaNumber);
  EXPECT_EQ(platform::WideToAnsi(u"\u20AC"), "\x80");
  EXPECT_EQ(platform::AnsiToWide("\x80"), u"\u20AC");
  std::string untouched = "kept";
  EXPECT_FALSE(platform::WideToMultiByte(12345, u"x", untouched));
  EXPECT_EQ(untouched, "kept");
  std::u16string wideUntouched = u"kept";
  EXPECT_FALSE(platform::MultiByteToWide(12345, "x", wideUntouched));
  EXPECT_EQ(wideUntouched, u"kept");
}

}  // namespace
