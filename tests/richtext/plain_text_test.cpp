// RtfToPlainText as the importer sees it: the marker, paragraphs, breaks, code pages, hidden
// text, notes, lists and the raw-text fallback.
#include <gtest/gtest.h>

#include "flatten.h"

namespace richtext::testing {
namespace {

class PlainTextCase : public ::testing::TestWithParam<Case> {};

TEST_P(PlainTextCase, GivesTheExpectedBytes) {
  const Case& c = GetParam();
  EXPECT_EQ(Visible(RtfToPlainText(c.input)), Visible(c.expected));
}

const char kArial0[] = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0 Arial;}}\\f0 ";

INSTANTIATE_TEST_SUITE_P(
    Basics, PlainTextCase,
    ::testing::Values(
        Case{"Empty", "", ""},
        Case{"NoMarker", "Plain text", "Plain text"},
        Case{"MarkerIsCaseSensitive", "{\\RTF1 x}", "{\\RTF1 x}"},
        Case{"TextBeforeMarkerDropped", "Kopf {\\rtf1 x}", "x"},
        Case{"Word", "{\\rtf1\\ansi Hallo}", "Hallo"},
        Case{"Paragraph", "{\\rtf1 Eins\\par Zwei}", "Eins\r\nZwei"},
        Case{"LineBreak", "{\\rtf1 Eins\\line Zwei}", "Eins\r\nZwei"},
        Case{"FinalParagraphMarkAddsNothing", "{\\rtf1 Eins\\par}", "Eins"},
        Case{"TwoFinalMarksGiveOneBreak", "{\\rtf1 Eins\\par\\par}", "Eins\r\n"},
        Case{"LeadingParagraphMark", "{\\rtf1 \\par Eins}", "\r\nEins"},
        Case{"Tab", "{\\rtf1 A\\tab B}", "A\tB"},
        Case{"HexEscape", std::string(kArial0) + "M\\'e4rz}", "M\xe4rz"},
        Case{"EuroIn1252", std::string(kArial0) + "\\u8364?}", "\x80"},
        Case{"EuroIn1251", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset204 Arial;}}\\f0 \\u8364?}",
             "\x88"},
        Case{"EuroInDefaultCharset", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 \\u8364?}", "\x80"},
        Case{"HiddenText", "{\\rtf1 Text {\\v versteckt}sichtbar}", "Text sichtbar"},
        Case{"MissingCloseBraceFallsBack", "{\\rtf1 Eins\\par Zwei", "{\\rtf1 Eins\\par Zwei"},
        Case{"ReadingStopsAtDocumentEnd", "{\\rtf1 Eins}} Rest", "Eins"},
        Case{"BadHexFallsBack", "{\\rtf1 \\'zz}", "{\\rtf1 \\'zz}"},
        Case{"PageBreakStartsALine", "{\\rtf1 Eins\\page Zwei}", "Eins\r\nZwei"},
        Case{"MissingCharacterGivesQuestionMark", std::string(kArial0) + "a\\u20013?b}", "a?b"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    ListsAndNotes, PlainTextCase,
    ::testing::Values(
        Case{"BulletList",
             "{\\rtf1{\\*\\listtable{\\list{\\listlevel{\\leveltext\\'01\\u8226 ?;}"
             "{\\levelnumbers;}}\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
             "\\pard\\ls1{\\listtext\\'95\\tab}Eins\\par{\\listtext\\'95\\tab}Zwei\\par}",
             "Eins\r\nZwei"},
        Case{"OldStyleNumberedList",
             "{\\rtf1{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}Eins\\par"
             "{\\pntext\\f0 2.\\tab}{\\*\\pn\\pnlvlbody\\pndec{\\pntxta .}}Zwei\\par}",
             "Eins\r\nZwei"},
        Case{"FootnoteNumber",
             "{\\rtf1 Text{\\super\\chftn}{\\footnote\\pard{\\super\\chftn} Body\\par}}", "Text1"},
        Case{"FootnotesCount", "{\\rtf1 A\\chftn{\\footnote X}B\\chftn{\\footnote Y}C}", "A1B2C"},
        Case{"EndnotesAreRoman",
             "{\\rtf1 A\\chftn{\\footnote\\ftnalt X}B\\chftn{\\footnote\\ftnalt Y}C\\chftn"
             "{\\footnote Z}}",
             "AiBiiC1"},
        Case{"FootnoteWithoutMarkGetsNumber", "{\\rtf1 Text{\\footnote Body}more}", "Text1more"},
        Case{"BodyParagraphsDoNotMoveTheText",
             "{\\rtf1 A\\chftn{\\footnote\\pard Body\\par\\par}B}", "A1B"}),
    [](const auto& info) { return std::string(info.param.name); });

// The raw-text fallback: the data from "{\rtf1" on, every kind of line break as CR LF.
INSTANTIATE_TEST_SUITE_P(
    RawText, PlainTextCase,
    ::testing::Values(
        Case{"LineBreaks", "x{\\rtf1 A\r\nB\rC\n\rD\fE\nF", "{\\rtf1 A\r\nB\r\nC\r\nD\r\nE\r\nF"},
        Case{"FinalBreakKept", "{\\rtf1 A\n", "{\\rtf1 A\r\n"},
        Case{"EmptyLinesKept", "{\\rtf1\n\n\tA", "{\\rtf1\r\n\r\n\tA"},
        Case{"ZeroBytesStaySingleByte", std::string("{\\rtf1 A\0B\0", 10),
             std::string("{\\rtf1 A\0B\0", 10)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PlainTextConverter, ReplacesTheStreamContent) {
  TMemoryStream stream;
  stream.data = "{\\rtf1 Eins\\par Zwei}";
  {
    TRtfPlainConverter converter(stream);
    EXPECT_FALSE(converter.UsedRawText());
  }
  EXPECT_EQ(stream.data, "Eins\r\nZwei");
  EXPECT_EQ(stream.position, 0u);
}

TEST(PlainTextConverter, ReportsTheFallback) {
  bool raw = false;
  EXPECT_EQ(Flatten("{\\rtf1 open", &raw), "{\\rtf1 open");
  EXPECT_TRUE(raw);
  EXPECT_EQ(Flatten("{\\rtf1 closed}", &raw), "closed");
  EXPECT_FALSE(raw);
}

}  // namespace
}  // namespace richtext::testing
