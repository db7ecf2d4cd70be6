// Character sets of fonts, code-page translation tables and Unicode runs in and out of cells.
#include <gtest/gtest.h>

#include "flatten.h"
#include "richtext/rtf_charset.h"

namespace richtext::testing {
namespace {

std::string InFont(const std::string& fontEntry, const std::string& text) {
  return "{\\rtf1\\ansi{\\fonttbl{\\f0" + fontEntry + " Font;}}\\f0 " + text + "}";
}

class CodePageCase : public ::testing::TestWithParam<Case> {};

TEST_P(CodePageCase, GivesTheExpectedBytes) {
  const Case& c = GetParam();
  EXPECT_EQ(Visible(RtfToPlainText(c.input)), Visible(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Fonts, CodePageCase,
    ::testing::Values(
        // Single-byte runs keep their bytes whatever the font's character set.
        Case{"SingleByteUnchanged", InFont("\\fcharset204", "\\'c0\\'e4"), "\xc0\xe4"},
        Case{"Cp437Translated", InFont("\\fcharset254", "\\'81\\'c4\\'e1\\'9b"), "\xfc-\xdf\xa2"},
        Case{"MacTranslated", InFont("\\fcharset77", "\\'8a\\'da\\'f5\\'fa\\'fc"),
             "\xe4/I\xb7?"},
        Case{"LargeCharsetCountsAsMac", InFont("\\fcharset300", "\\'8a"), "\xe4"},
        Case{"UnicodeInCp437FontIsWestern", InFont("\\fcharset254", "\\u8364?"), "\x80"},
        Case{"UnicodeInGreekFont", InFont("\\fcharset161", "\\u945?"), "\xe1"},
        Case{"UnicodeInOemFont", InFont("\\fcharset255", "\\u228?"), "\x84"},
        Case{"UnicodeInEasternEuropeanFont", InFont("\\fcharset238", "\\u322?"), "\xb3"},
        Case{"CombiningMarkComposed", InFont("\\fcharset0", "\\u97?\\u776?"), "\xe4"},
        Case{"WithoutFontTableDocumentCodePage", "{\\rtf1\\ansi\\ansicpg1251 \\u1078?}", "\xe6"},
        Case{"UnknownFontNumberTakesDefaultFont",
             "{\\rtf1\\deff1{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset204 B;}}\\f7 \\u1078?}",
             "\xe6"},
        Case{"PlainSelectsTheDefaultFont",
             "{\\rtf1\\deff1{\\fonttbl{\\f0\\fcharset0 A;}{\\f1\\fcharset204 B;}}\\f0\\plain "
             "\\u1078?}",
             "\xe6"},
        // A cell converts with the system ANSI code page, the text around it with the font's.
        Case{"UnicodeInCells",
             "{\\rtf1{\\fonttbl{\\f0\\fcharset204 X;}}\\f0\\trowd\\cellx1\\pard\\intbl\\u8364?\\cell"
             "\\row\\pard\\u8364?}",
             "\x80\r\n\r\n\x88"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CodePages, CharsetTable) {
  const struct {
    int charset;
    unsigned codePage;
  } kCases[] = {{0, 1252},   {1, 0},    {2, 0},    {77, 2},   {128, 932},  {129, 949},
                {130, 1361}, {134, 936}, {136, 950}, {161, 1253}, {162, 1254}, {163, 1258},
                {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251}, {222, 874},  {238, 1250},
                {254, 1252}, {255, 1},  {3, 0},    {200, 0}};
  for (const auto& c : kCases) EXPECT_EQ(CharsetCodePage(c.charset), c.codePage) << c.charset;
  EXPECT_EQ(CharsetCodePage(1, 1250), 1250u);
}

TEST(CodePages, UnicodeToAnsiFallsBack) {
  EXPECT_EQ(UnicodeToAnsi(0, u""), "");
  EXPECT_EQ(UnicodeToAnsi(1251, u"\u0436"), "\xe6");
  // A code page that does not exist converts with the ANSI code page.
  EXPECT_EQ(UnicodeToAnsi(54321, u"\u00e4\u20ac"), "\xe4\x80");
}

TEST(CodePages, CachedWriterMatchesWholeConversion) {
  TUnicodeWriter writer;
  for (const std::u16string& text :
       {std::u16string(u"a\u00e4\u20ac\u4e2d"), std::u16string(u"e\u0301x"),
        std::u16string(u"\xd83d\xde00!")}) {
    std::string bytes;
    for (char16_t c : text) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    for (unsigned codePage : {0u, 1252u, 1251u, 932u}) {
      std::string out;
      writer.Append(codePage, bytes, out);
      writer.Append(codePage, bytes, out);
      const std::string once = UnicodeToAnsi(codePage, text);
      EXPECT_EQ(out, once + once) << codePage;
    }
  }
}

}  // namespace
}  // namespace richtext::testing
