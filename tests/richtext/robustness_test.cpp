// Hostile or careless input: bounded time and memory, nothing lost or reordered, no file access.
#include <gtest/gtest.h>

#include "../platform/test_text.h"
#include "flatten.h"
#include "richtext/rtf_builder.h"

namespace richtext::testing {
namespace {

using testing_support::Repeat;

TEST(Robustness, HugeNestingLevelOpensAtMost64Tables) {
  bool raw = true;
  const std::string text = Flatten("{\\rtf1\\pard\\intbl\\itap2000000000 A\\nestcell\\nestrow\\pard B}", &raw);
  EXPECT_FALSE(raw);
  // Only the innermost level got a row; the levels around it hand their content outwards.
  EXPECT_EQ(text, "A\r\n\r\nB");
}

TEST(Robustness, HugeCountsConsumeOnlyWhatTheDataHolds) {
  bool raw = false;
  // The binary data runs past the end of the text: the groups stay open.
  EXPECT_EQ(Flatten("{\\rtf1 A{\\*\\x\\bin2000000000 xyz}}", &raw), "{\\rtf1 A{\\*\\x\\bin2000000000 xyz}}");
  EXPECT_TRUE(raw);
  EXPECT_EQ(Flatten("{\\rtf1 A{\\bin2000000000 xyz}}", &raw), "{\\rtf1 A{\\bin2000000000 xyz}}");
  EXPECT_TRUE(raw);
  // A huge fallback count ends at the group's brace.
  EXPECT_EQ(Visible(Flatten("{\\rtf1 {\\uc2000000000\\u8364 abc\\par def}ghi}", &raw)),
            Visible("\x80ghi"));
  EXPECT_FALSE(raw);
}

TEST(Robustness, DeepGroupNestingNeedsNoCallStack) {
  const size_t depth = 1000000;
  const std::string rtf = "{\\rtf1 " + std::string(depth, '{') + "x" + std::string(depth, '}') + "}";
  bool raw = true;
  EXPECT_EQ(Flatten(rtf, &raw), "x");
  EXPECT_FALSE(raw);
}

TEST(Robustness, SequenceValuesStayBounded) {
  EXPECT_EQ(RtfToPlainText("{\\rtf1{\\field{\\*\\fldinst SEQ a \\\\r 99999999999999999999999 "
                           "\\\\* ROMAN}{\\fldrslt x}}}"),
            "2147483647");
  const struct {
    int64_t value;
    TNumberFormat format;
    const char* text;
  } kCases[] = {
      {1, TNumberFormat::kLowerRoman, "i"},
      {3999, TNumberFormat::kUpperRoman, "MMMCMXCIX"},
      {4000, TNumberFormat::kUpperRoman, "4000"},
      {0, TNumberFormat::kLowerRoman, "0"},
      {26, TNumberFormat::kLowerLetter, "z"},
      {53, TNumberFormat::kUpperLetter, "AAA"},
      {780, TNumberFormat::kLowerLetter, "zzzzzzzzzzzzzzzzzzzzzzzzzzzzzz"},
      {781, TNumberFormat::kLowerLetter, "781"},
      {-5, TNumberFormat::kUpperLetter, "-5"},
      {2147483647, TNumberFormat::kDecimal, "2147483647"},
  };
  for (const auto& c : kCases) EXPECT_EQ(FormatNumber(c.value, c.format), c.text) << c.value;
}

// One row of 100,000 cells, then 100,000 rows of one cell: the text stays in proportion to the
// input because short rows are not padded to the widest one.
TEST(Robustness, RaggedTableBuildsNoGrid) {
  const size_t n = 100000;
  const std::string rtf = "{\\rtf1\\pard\\intbl " + Repeat("x\\cell ", n) + "\\row " +
                          Repeat("y\\cell\\row ", n) + "}";
  bool raw = true;
  const std::string text = Flatten(rtf, &raw);
  EXPECT_FALSE(raw);
  EXPECT_EQ(text.size(), 3 * n + 3 * n);
  EXPECT_EQ(text.substr(0, 6), "x\r\nx\r\n");
  EXPECT_EQ(text.substr(text.size() - 6), "y\r\ny\r\n");
}

TEST(Robustness, TextBeforeANoteStaysInTheDocument) {
  EXPECT_EQ(RtfToPlainText("{\\rtf1 Text\\chftn{\\footnote Body}more}"), "Text1more");
  EXPECT_EQ(RtfToPlainText("{\\rtf1 Text{\\footnote Body}more}"), "Text1more");
}

TEST(Robustness, DroppedHiddenRunKeepsThePosition) {
  EXPECT_EQ(RtfToPlainText("{\\rtf1 A\\par{\\v H}B}"), "A\r\nB");
  EXPECT_EQ(RtfToPlainText("{\\rtf1 A\\par\\v H\\v0 B}"), "A\r\nB");
  EXPECT_EQ(RtfToPlainText("{\\rtf1 A{\\v \\tab\\par H}B}"), "AB");
}

TEST(Robustness, FallbackCountBelongsToTheGroup) {
  EXPECT_EQ(Visible(RtfToPlainText("{\\rtf1 {\\uc0 x}\\u8364?y}")), Visible("x\x80y"));
  EXPECT_EQ(Visible(RtfToPlainText("{\\rtf1\\uc2 {\\uc0 a}\\u8364??b{\\uc0 c}\\u8364??d}")),
            Visible("a\x80" "bc\x80" "d"));
}

TEST(Robustness, FieldsThatNameFilesInsertNothing) {
  for (const char* instruction :
       {"INCLUDEPICTURE \\\\\\\\server\\\\share\\\\x.png", "\\\\IMPORT /etc/passwd",
        "includepicture \"C:\\\\x.jpg\" \\\\* MERGEFORMAT"}) {
    const std::string rtf =
        std::string("{\\rtf1 A{\\field{\\*\\fldinst ") + instruction + "}{\\fldrslt B}}C}";
    EXPECT_EQ(RtfToPlainText(rtf), "ABC") << instruction;
  }
}

TEST(Robustness, NonHexAfterEscapeIsAnError) {
  for (const char* rtf : {"{\\rtf1 A\\'4}", "{\\rtf1 A\\'{}}", "{\\rtf1 A\\'g0}", "{\\rtf1 A\\' 41}"}) {
    bool raw = false;
    EXPECT_EQ(Flatten(rtf, &raw), rtf);
    EXPECT_TRUE(raw) << rtf;
  }
}

}  // namespace
}  // namespace richtext::testing
