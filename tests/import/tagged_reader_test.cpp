// The tagged GAEB text reader on small inline files, and its line operations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/tagged_reader.h"
#include "import/tagged_text.h"
#include "platform/platform.h"

namespace import {
namespace {

struct Result {
  std::vector<TDataLineStack> entries;
  std::vector<std::string> header;
};

Result Read(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  TDXFDataStack stack;
  stack.TaxRate = 19;
  Result r;
  CollectTaggedGAEB(stack, text, r.header);
  for (size_t i = 0; i < stack.Count(); ++i) r.entries.push_back(stack[i]);
  return r;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += l + "|";
  return s;
}

class TaggedReader : public testing::Test {
 protected:
  void SetUp() override { platform::OverrideDecimalSeparator(','); }
  void TearDown() override { platform::OverrideDecimalSeparator(0); }
};

TEST(TaggedText, StripTags) {
  const struct {
    const char* line;
    bool trim;
    const char* value;
  } cases[] = {
      {"[OZ]0102", false, "0102"},          {"  [OZ] 0102 [end]", false, "   0102 "},
      {"  [OZ] 0102 [end]", true, "0102"},  {"#end[Beschreibung]", true, ""},
      {" #BEGIN[Position]x", false, " x"},  {"a]b", false, "ab"},
      {"a[b", false, "a"},                  {"a[b[c]d]e", false, "ade"},
      {"#Endlich", false, "lich"},          {"Preis 12,50 EUR", true, "Preis 12,50 EUR"},
      // brackets past the first eight bytes and in the last ones
      {"Langtext mit [Marke] und mehr", false, "Langtext mit  und mehr"},
      {"abcdefgh]ijklmnop[q", false, "abcdefghijklmnop"},
      {"abcdefghijklmno[p]", false, "abcdefghijklmno"},
  };
  for (const auto& c : cases) EXPECT_EQ(StripTags(c.line, c.trim), c.value) << c.line;
}

TEST(TaggedText, FormatTaggedOZ) {
  const std::string over(101, '1');
  const struct {
    std::string in, out;
  } cases[] = {{"", ""},          {"1", "1."},           {"01", "01."},
               {" 01 ", "01."},   {"010", "01.0"},       {"0102", "01.02"},
               {"01020", "01.02.0"}, {"01020010", "01.02.0010"}, {std::string(100, '2'), "22.22." + std::string(96, '2')},
               {over, over}};
  for (const auto& c : cases) EXPECT_EQ(FormatTaggedOZ(c.in), c.out) << c.in;
}

TEST(TaggedText, MarkersIgnoreTheCaseOfAToZOnly) {
  EXPECT_TRUE(ContainsMarker("  #BEGIN[position]", "#begin[Position]"));
  EXPECT_TRUE(ContainsMarker("x [end]", "[end]"));
  EXPECT_FALSE(ContainsMarker("#begin[Positio]", "#begin[Position]"));
  EXPECT_FALSE(ContainsMarker("#begin[BESTPOSITION]", " #begin[BESTPOSITION]"));
  EXPECT_TRUE(ContainsMarker("\t #begin[bestposition]", " #begin[BESTPOSITION]"));
  EXPECT_FALSE(ContainsMarker("[\xC4ND]", "[\xE4nd]"));
  EXPECT_EQ(RtfBlank("x{\\rtf1 y}"), "");
  EXPECT_EQ(RtfBlank("x{\\RTF1 y}"), " ");
}

TEST_F(TaggedReader, PositionKeys) {
  const Result r = Read({"#begin[GAEB]", " #begin[Position]", "  [OZ]01020010[end]",
                         "  [Menge]12,5[end]", "  [ME]m2[end]", "  [EP]45,10[end]",
                         "  [Kurztext]Mauerwerk[end]", "  [KatZuord]  ", " #end[Position]",
                         " #begin[Position]", "  [OZ]01[end]", "  [Kurztext]Eins", "Zwei ",
                         " Drei[end]", " #end[Position]", " #BEGIN[position]",
                         "  [oz]" + std::string(101, '9'), " #END[POSITION]"});
  ASSERT_EQ(r.entries.size(), 3u);
  const TDataLineStack& a = r.entries[0];
  EXPECT_EQ(a.TypLine, "");
  EXPECT_EQ(a.Position, "01.02.0010");
  EXPECT_EQ(a.Quantity, "12,5");
  EXPECT_EQ(a.Unit, "m2");
  EXPECT_EQ(a.Price, "45,10");
  EXPECT_EQ(a.TaxRate, "19,00");
  EXPECT_EQ(a.ShortText, "");  // "[KatZuord]" came later and is empty
  EXPECT_EQ(r.entries[1].Position, "01.");
  EXPECT_EQ(r.entries[1].ShortText, "EinsZweiDrei");
  EXPECT_EQ(r.entries[2].Position, std::string(101, '9'));
}

// Keys and markers are found wherever they stand among other bracketed parts: behind many of
// them, inside an unclosed one, right after a "[" or in a line crowded with brackets.
TEST_F(TaggedReader, KeysAmongManyBrackets) {
  const Result r = Read({"#begin[GAEB]", "[x] #begin[Position]",
                         "[a][b][c][d][e][f][g][h][i][j][OZ]0102[end]",
                         "[[Menge]7", "[m][ME]m2 [end]", "x[z]y [EP] 3,5",
                         "[1][2][3][4][5][6][7][8][9] #END[position]", "[OZ]99",
                         " #begin[Position]", "[OZ]0304", "[#end[Position]", "[OZ]55"});
  ASSERT_EQ(r.entries.size(), 2u);
  EXPECT_EQ(r.entries[0].Position, "01.02");
  EXPECT_EQ(r.entries[0].Quantity, "7");
  EXPECT_EQ(r.entries[0].Unit, "m2");
  EXPECT_EQ(r.entries[0].Price, "xy  3,5");
  EXPECT_EQ(r.entries[1].Position, "03.04");
}

TEST_F(TaggedReader, OrderPositions) {
  const Result r = Read({"#begin[GAEB]", " #begin[BESTPOSITION]", "  [OZ] 0102 ",
                         "  [POSKENNZ]A", "  [ARTNR]4711", "  [ARTMENGE]3", "  [ST]Stk",
                         "  [PRNETTO]9,99", "  [ARTKURZTEXT]D\xFC" "bel", "[end]",
                         "  [ARTHINWEIS]Hinweis", "zwei", "drei[end]", " #end[BESTPOSITION]",
                         " #begin[BESTPOSITION]", "  [POSKENNZ]a", "  [ARTKURZTEXT]Kurz[end]",
                         "  [ARTNR]0815", " #end[BESTPOSITION]",
                         "#begin[BESTPOSITION]", "  [ARTNR]nie"});
  ASSERT_EQ(r.entries.size(), 2u);
  const TDataLineStack& a = r.entries[0];
  EXPECT_EQ(a.TypLine, "-");
  EXPECT_EQ(a.Position, "   0102 ");
  EXPECT_EQ(a.Number, "4711");
  EXPECT_EQ(a.Quantity, "3");
  EXPECT_EQ(a.Unit, "Stk");
  EXPECT_EQ(a.Price, "9,99");
  EXPECT_EQ(a.ShortText, "D\xFC" "bel ");
  EXPECT_EQ(a.LongText, "Hinweis zwei drei");
  const TDataLineStack& b = r.entries[1];
  EXPECT_EQ(b.TypLine, "");
  // A one-line value ends on its own line and does not swallow the article number.
  EXPECT_EQ(b.ShortText, "Kurz");
  EXPECT_EQ(b.Number, "0815");
}

TEST_F(TaggedReader, HeaderFromProjectAwardAndDescription) {
  const Result r = Read({"#begin[GAEB]", " #begin[PrjInfo]", "  [Bez]Neubau[end]",
                         " #end[PrjInfo]", " #begin[Vergabe]", "  [DP]83[end]",
                         "  #end[VergabeInfo]", " #begin[Beschreibung]", "  Vorwort",
                         "  #begin[Beschreibung]", "  [Langtext]Erster Teil[end]",
                         "  #end[Beschreibung]", "  zwischen", "  #begin[Beschreibung]",
                         "  Zweiter Teil", " #end[Beschreibung]", " #begin[Position]",
                         "  [OZ]0101", "  #begin[Beschreibung]", "  Langtext der Position",
                         "  #end[Beschreibung]", " #end[Position]", " #begin[Beschreibung]",
                         "  nicht im Kopf", " #end[Beschreibung]"});
  // The award block right after the project block's end line opens as well.
  EXPECT_EQ(Joined(r.header), "  Neubau   83   Vorwort  Erster Teil  Zweiter Teil |");
  ASSERT_EQ(r.entries.size(), 1u);
  EXPECT_EQ(r.entries[0].LongText, " Langtext der Position ");
}

TEST_F(TaggedReader, VergabeEndDoesNotCloseTheAwardBlock) {
  const Result r = Read({"#begin[GAEB]", "#begin[Vergabe]", "[DP]83", "#end[Vergabe]",
                         "#begin[Position]", "[OZ]0101", "#end[Position]"});
  EXPECT_TRUE(r.entries.empty());
  EXPECT_EQ(Joined(r.header), "830101|");
}

TEST_F(TaggedReader, GroupHeadingsByPlaceAndEveryGroupKept) {
  const Result r = Read({"#begin[GAEB]", "#begin[Beschreibung]", "Vorbemerkung",
                         "#end[Beschreibung]", "#begin[LVBereich]", "[OZ]01[end]",
                         "[Bez]Rohbau[end]", "#begin[LVBereich]", "[OZ]0102[end]",
                         "[Bez]Mauerwerk[end]", "#begin[Beschreibung]", "[Langtext]Hinweis[end]",
                         "#end[Beschreibung]", "#begin[Position]", "[OZ]01020010", "#end[Position]",
                         "#begin[LVBereich]", "[Nummer]02", "[Titel]Dach"});
  EXPECT_EQ(Joined(r.header), " Vorbemerkung |");
  ASSERT_EQ(r.entries.size(), 4u);
  const char* expected[][4] = {{"-", "01.", "Rohbau", ""},
                               {"-", "01.02", "Mauerwerk", " Hinweis "},
                               {"", "01.02.0010", "", ""},
                               {"-", "02.", "Dach", ""}};
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(r.entries[i].TypLine, expected[i][0]);
    EXPECT_EQ(r.entries[i].Position, expected[i][1]);
    EXPECT_EQ(r.entries[i].ShortText, expected[i][2]);
    EXPECT_EQ(r.entries[i].LongText, expected[i][3]);
    EXPECT_EQ(r.entries[i].TaxRate, i == 2 ? "19,00" : "");
  }
}

TEST_F(TaggedReader, BlocksAtTheEndOfTheFileKeepTheirText) {
  const Result position = Read({"#begin[GAEB]", "#begin[Position]", "[OZ]0101",
                                "#begin[Beschreibung]", "Langtext ohne Ende"});
  ASSERT_EQ(position.entries.size(), 1u);
  EXPECT_EQ(position.entries[0].LongText, " Langtext ohne Ende");
  const Result shortText = Read({"#begin[GAEB]", "#begin[Position]", "[Kurztext]Eins", "Zwei"});
  EXPECT_EQ(shortText.entries.at(0).ShortText, "EinsZwei");
  const Result hint = Read({"#begin[GAEB]", " #begin[BESTPOSITION]", "[ARTHINWEIS]Eins", "Zwei"});
  EXPECT_EQ(hint.entries.at(0).LongText, "Eins Zwei");
  const Result desc = Read({"#begin[GAEB]", "#begin[Beschreibung]", "Nur Vorwort"});
  EXPECT_EQ(Joined(desc.header), " Nur Vorwort|");
  // A project block without its end stays as gathered, RTF included.
  const Result project = Read({"#begin[GAEB]", "#begin[PrjInfo]", "{\\rtf1 Projekt}"});
  EXPECT_EQ(Joined(project.header), "{\\rtf1 Projekt}|");
}

TEST_F(TaggedReader, RtfDescriptionLinesAreFlattened) {
  const Result r = Read({"#begin[GAEB]", "#begin[Position]", "#begin[Beschreibung]",
                         "Vortext", "{\\rtf1\\ansi Hallo Welt\\par}", "#end[Beschreibung]",
                         "#end[Position]"});
  ASSERT_EQ(r.entries.size(), 1u);
  const std::string& text = r.entries[0].LongText;
  EXPECT_NE(text.find("Hallo Welt"), std::string::npos) << text;
  EXPECT_EQ(text.find("Vortext"), std::string::npos) << text;
  EXPECT_EQ(text.find("rtf1"), std::string::npos) << text;
}

}  // namespace
}  // namespace import
