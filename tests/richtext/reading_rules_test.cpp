// The reading rules: control words, skip counts, destinations, fields, breaks and errors.
#include <gtest/gtest.h>

#include <set>
#include <string_view>

#include "flatten.h"
#include "richtext/rtf_keywords.h"
#include "richtext/rtf_reader.h"

namespace richtext::testing {
namespace {

class ReadingRule : public ::testing::TestWithParam<Case> {};

// Each fragment stands inside a document; the result is the text it gives there.
TEST_P(ReadingRule, GivesTheExpectedText) {
  const Case& c = GetParam();
  bool raw = true;
  EXPECT_EQ(Visible(Flatten("{\\rtf1 " + c.input + "}", &raw)), Visible(c.expected));
  EXPECT_FALSE(raw);
}

const char k437[] = "{\\fonttbl{\\f0\\fcharset254 Terminal;}}\\f0 ";

INSTANTIATE_TEST_SUITE_P(
    Fragments, ReadingRule,
    ::testing::Values(
        Case{"UpperCaseWordIsUnknown", "A\\PAR B", "AB"},
        Case{"UnicodeSkipsOneFallback", "\\u8364?", "\x80"},
        Case{"Uc0KeepsTheFallback", "\\uc0\\u8364?", "\x80?"},
        Case{"Uc2SkipsTwo", "\\uc2\\u8364??x", "\x80x"},
        Case{"EscapedByteIsAFallback", "\\u8364\\'e4", "\x80"},
        Case{"ControlWordIsAFallback", "\\u8364\\par x", "\x80x"},
        Case{"NegativeUnicode", "\\u-3913?", "?"},
        Case{"IgnorableUnknownGroupSkipped", "A{\\*\\generator Name;}B", "AB"},
        Case{"UnknownWordIgnored", "A{\\generator Name;}B", "AName;B"},
        Case{"IgnorableKnownWordRead", "A{\\*\\v0 B}C", "ABC"},
        Case{"AlternateTakesUd", "{\\upr{Alt}{\\*\\ud{Neu}}}", "Neu"},
        Case{"HexIgnoredInAlternate", "{\\upr{Alt\\'zz}{\\*\\ud{Neu}}}", "Neu"},
        Case{"HyperlinkShowsResult",
             "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt Link}}", "Link"},
        Case{"SequenceValueReplacesResult",
             "{\\field{\\*\\fldinst SEQ Tabelle}{\\fldrslt 9}}", "1"},
        Case{"SequenceCounts",
             "{\\field{\\*\\fldinst SEQ T}{\\fldrslt 9}} {\\field{\\*\\fldinst SEQ T}{\\fldrslt 9}} "
             "{\\field{\\*\\fldinst SEQ U}{\\fldrslt 9}}",
             "1 2 1"},
        Case{"SequenceFormatsAndRestart",
             "{\\field{\\*\\fldinst SEQ a \\\\r 27 \\\\* alphabetic}{\\fldrslt x}},"
             "{\\field{\\*\\fldinst SEQ a \\\\* ALPHABETIC}{\\fldrslt x}},"
             "{\\field{\\*\\fldinst SEQ a \\\\*roman}{\\fldrslt x}},"
             "{\\field{\\*\\fldinst {SEQ a} {\\\\* ROMAN}}{\\fldrslt x}},"
             "{\\field{\\*\\fldinst SEQ a \\\\* Arabic}{\\fldrslt x}}",
             "aa,BB,xxix,XXX,31"},
        Case{"SymbolFieldAndResult",
             "{\\field{\\*\\fldinst SYMBOL 183 \\\\f \"Symbol\" \\\\s 10}{\\fldrslt\\'b7}}",
             "\xb7\xb7"},
        Case{"BookmarkNameIsNoText", "A{\\*\\bkmkstart Marke}B", "AB"},
        Case{"HexLineBreak", "A\\'0dB", "A\r\nB"},
        Case{"HexParagraph", "A\\'0aB", "A\r\nB"},
        Case{"Cp437UWithDiaeresis", std::string(k437) + "\\'81", "\xfc"},
        Case{"Cp437LineIsMinus", std::string(k437) + "\\'c4\\'b3\\'c5", "-|+"},
        Case{"Cp437Specials", std::string(k437) + "\\'e6\\'f9\\'fc", "?\xb7n"},
        Case{"BraceEndsTheSkipping", "{\\u8364}?", "\x80?"},
        Case{"RawTabIsATab", "A\tB", "A\tB"},
        Case{"InnerGroupEndIsNoDocumentEnd", "{A}B", "AB"},
        Case{"CharacterWords", "\\{\\}\\\\\\~\\bullet\\emdash\\-\\_", "{}\\\xa0\x95\x97\xad-"},
        Case{"BinaryBytesAreText", "A{\\bin3 B}C}D", "AB}CD"},
        Case{"BinaryInSkippedGroup", "A{\\*\\x\\bin2 }}}B", "AB"},
        Case{"HeadersAndInfoSkipped", "{\\info{\\title T}}{\\header H}{\\footer F}Text", "Text"},
        Case{"StyleSheetAndColoursSkipped",
             "{\\stylesheet{\\s1 Heading;}}{\\colortbl;\\red0\\green0\\blue0;}Text", "Text"},
        Case{"ObjectResultRead", "{\\object{\\*\\objdata 0102}{\\result R}}", "R"},
        Case{"NonShapePictureWithoutShape", "{\\nonshppict X}Y", "XY"}),
    [](const auto& info) { return std::string(info.param.name); });

// Items and their flags, as the reader leaves them.
struct Read {
  TRtfReadResult result;
  TRtfDocument document;
  TTextStyleTable styles;
};

std::unique_ptr<Read> ReadText(const std::string& rtf) {
  auto read = std::make_unique<Read>();
  read->result = ReadRtf(rtf, read->document, read->styles, TRtfReadSettings{});
  return read;
}

TEST(ReadingRules, LineBreaksAreSoftParagraphsAreNot) {
  for (const char* rtf : {"{\\rtf1 A\\line B}", "{\\rtf1 A\\'0dB}"}) {
    auto read = ReadText(rtf);
    ASSERT_EQ(read->document.items.size(), 2u) << rtf;
    EXPECT_TRUE(read->document.items[1].SoftBreak()) << rtf;
  }
  for (const char* rtf : {"{\\rtf1 A\\par B}", "{\\rtf1 A\\'0aB}"}) {
    auto read = ReadText(rtf);
    ASSERT_EQ(read->document.items.size(), 2u) << rtf;
    EXPECT_EQ(read->document.items[1].flags, 0) << rtf;
  }
  auto page = ReadText("{\\rtf1 A\\page B}");
  ASSERT_EQ(page->document.items.size(), 2u);
  EXPECT_TRUE(page->document.items[1].PageBreakAhead());
}

TEST(ReadingRules, TabIsARunOfItsOwn) {
  auto read = ReadText("{\\rtf1 A\tB}");
  ASSERT_EQ(read->document.items.size(), 3u);
  EXPECT_EQ(read->document.items[1].kind, TRtfItemKind::kTab);
  EXPECT_TRUE(read->document.items[2].ContinuesLine());
}

TEST(ReadingRules, UnicodeRunsKeepTheirCharacterSet) {
  auto read = ReadText("{\\rtf1{\\fonttbl{\\f0\\fcharset204 A;}{\\f1\\fcharset254 B;}}\\f0 x\\u1078?"
                       "\\f1 \\u1078?}");
  const auto& items = read->document.items;
  ASSERT_EQ(items.size(), 3u);
  EXPECT_FALSE(read->styles[items[0].style].Unicode);
  EXPECT_TRUE(read->styles[items[1].style].Unicode);
  EXPECT_EQ(read->styles[items[1].style].Charset, 204);
  EXPECT_EQ(read->styles[items[2].style].Charset, 0);  // the PC code page counts as Western
}

TEST(ReadingRules, EveryReadingErrorIsReported) {
  const struct {
    const char* rtf;
    TRtfReadResult result;
  } kCases[] = {
      {"}", TRtfReadResult::kUnbalancedClose},
      {"{\\rtf1 A", TRtfReadResult::kUnclosedGroups},
      {"{\\rtf1 {A}", TRtfReadResult::kUnclosedGroups},
      {"{\\rtf1 \\'4g}", TRtfReadResult::kBadHexDigit},
      {"{\\rtf1 \\'4}", TRtfReadResult::kBadHexDigit},
      {"{\\rtf1 \\'}", TRtfReadResult::kBadHexDigit},
      {"{\\rtf1 A\\", TRtfReadResult::kEndAfterBackslash},
      {"{\\rtf1 {\\pict\\pngblip 0102}}", TRtfReadResult::kBadPicture},
      {"{\\rtf1 {\\pict\\jpegblip ffd8ff{\\pict}}}", TRtfReadResult::kBadPicture},
      {"{\\rtf1 \\'4\r\n1}", TRtfReadResult::kOk},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(ReadText(c.rtf)->result, c.result) << Visible(c.rtf);
    bool raw = false;
    Flatten(c.rtf, &raw);
    EXPECT_EQ(raw, c.result != TRtfReadResult::kOk) << Visible(c.rtf);
  }
}

TEST(KeywordTable, HoldsEveryKeywordSortedOnce) {
  size_t count = 0;
  const TRtfKeyword* table = KeywordTable(&count);
  EXPECT_EQ(count, 378u);  // 377 names, "pnuld" twice
  std::set<std::string_view> names;
  for (size_t i = 0; i < count; ++i) {
    names.insert(table[i].name);
    if (i > 0) {
      EXPECT_LE(std::string_view(table[i - 1].name), std::string_view(table[i].name));
    }
    const TRtfKeyword* found = FindKeyword(table[i].name);
    ASSERT_NE(found, nullptr) << table[i].name;
    EXPECT_EQ(std::string_view(found->name), table[i].name);
  }
  EXPECT_EQ(names.size(), 377u);
  EXPECT_EQ(FindKeyword("PAR"), nullptr);
  EXPECT_EQ(FindKeyword("pa"), nullptr);
  EXPECT_EQ(FindKeyword("parx"), nullptr);
  ASSERT_NE(FindKeyword("\n"), nullptr);
  EXPECT_EQ(FindKeyword("\r")->index, 10);
  EXPECT_EQ(FindKeyword("rquote")->defaultValue, 0x2019);
}

}  // namespace
}  // namespace richtext::testing
