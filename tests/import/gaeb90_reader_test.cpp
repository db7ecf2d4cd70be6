// The GAEB 90 record reader on small inline files: one case per record rule that can go wrong.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "import/gaeb90_reader.h"
#include "import/oz_mask.h"
#include "platform/platform.h"

namespace import {
namespace {

// One record: the type in columns 1-2, each text placed from its 1-based column on.
std::string Rec(const std::string& type, std::vector<std::pair<size_t, std::string>> fields = {}) {
  std::string line = type;
  for (auto& [column, text] : fields) {
    if (line.size() < column - 1 + text.size()) line.resize(column - 1 + text.size(), ' ');
    line.replace(column - 1, text.size(), text);
  }
  return line;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (auto& l : lines) text += l + "\r\n";
  return text;
}

// "00" record with the mask from column 32 on.
std::string Mask(const std::string& mask) { return Rec("00", {{32, mask}}); }

std::string Position(const std::string& oz, const std::string& qty, const std::string& dec,
                     const std::string& unit) {
  return Rec("21", {{3, oz}, {11, "N"}, {24, qty}, {32, dec}, {35, unit}});
}

struct Entry {
  std::string TypLine, Position, Quantity, Unit, ShortText, LongText, TaxRate, Price;
};

struct Case {
  const char* name;
  std::vector<std::string> lines;
  std::vector<Entry> entries;
  std::vector<std::string> header;
  char separator = ',';
};

std::vector<Case> Cases() {
  const std::string price = "000000012345";   // columns 12-23
  const std::string second = "000000123456";  // columns 25-36
  return {
      {"default_mask_position_price_texts",
       {Rec("00", {{3, "short"}}), Position("01020010", "00000012", "500", "m2"),
        Rec("22", {{3, "01020010"}, {12, price}, {25, second}}), Rec("25", {{3, " Kurz "}}),
        Rec("26", {{3, "Lang eins"}}), Rec("26", {{3, "zwei"}})},
       {{"", "01.02.0010", "00000012,500", "m2", "Kurz", "Lang eins zwei", "19,00",
         "000000012,345"}},
       {}},
      {"point_separator_takes_second_price_field",
       {Position("01020010", "00000001", "000", "St"),
        Rec("23", {{3, "01020010"}, {12, price}, {25, second}})},
       {{"", "01020010", "00000001,000", "St", "", "", "19.00", "0000001234,56"}},
       {},
       '.'},
      {"zero_first_price_field_takes_second",
       {Position("01020010", "", "", ""),
        Rec("22", {{3, "01020010"}, {12, "000000000000"}, {25, second}}),
        Rec("22", {{3, "01020010"}, {12, "000000000000"}, {25, "000000000199"}})},
       {{"", "01020010", "        ,   ", "", "", "", "19,00", "0000000001,99"}},
       {}},
      {"no_mask_keeps_raw_numbers",
       {Rec("11", {{3, "01 02 N Rohbau"}}), Position("01020010", "1", "", "")},
       {{"-", "01.02", "", "", " Rohbau", "", "", ""},
        {"", "01020010", "1       ,   ", "", "", "", "19,00", ""}},
       {}},
      {"blank_mask_gives_empty_numbers",
       {Mask("         "), Rec("11", {{3, "0102 N Bau"}}), Position("01020010", "1", "", "")},
       {{"-", "", "", "", " Bau", "", "", ""},
        {"", "", "1       ,   ", "", "", "", "19,00", ""}},
       {}},
      {"group_with_N_and_without",
       {Mask("1122PPPPI"), Rec("11", {{3, "0102 N Mauerarbeiten"}}), Rec("11", {{3, "03 Erdbau"}}),
        Rec("12", {{3, "Erdarbeiten und Aushub aller Art"}}), Rec("12", {{3, "mehr"}}),
        Rec("11", {{3, "04"}}), Rec("12", {{3, "Kurz"}})},
       {{"-", "01.02", "", "", " Mauerarbeiten", "", "", ""},
        {"-", "03", "", "", "Erdarbeiten und Au..", "Erdarbeiten und Aushub aller Art mehr", "",
         ""},
        {"-", "04", "", "", "Kurz", "Kurz", "", ""}},
       {}},
      {"group_N_at_end_is_Gruppe",
       {Rec("11", {{3, "05 N"}})}, {{"-", "05", "", "", "Gruppe", "", "", ""}}, {}},
      {"price_with_foreign_key_is_ignored",
       {Mask("1122PPPPI"), Position("01020010", "1", "", ""), Rec("11", {{3, "02 N Dach"}}),
        Rec("22", {{3, "01020010"}, {12, price}})},
       {{"", "01.02.0010", "1       ,   ", "", "", "", "19,00", ""},
        {"-", "02", "", "", " Dach", "", "", ""}},
       {}},
      {"records_before_any_entry",
       {Rec("25", {{3, "verloren"}}), Rec("12", {{3, "verloren"}}), Rec("22", {{3, "x"}}),
        Rec("26", {{3, "Vorbemerkung"}}), Rec("01", {{3, "Projekt"}}), Rec("01", {{3, ""}}),
        Rec("02", {{3, "Bauherr   und  Co"}}), Rec("T1", {{3, "T eins"}}), Rec("T0", {{3, "nie"}})},
       {},
       {"Vorbemerkung ", "Projekt ", "Bauherr und Co ", "T eins "}},
      {"oem_umlauts_become_ansi",
       {Rec("01", {{3, "Stra\xE1" "e"}}), Rec("10", {{3, "\x84\x94\x81\x8E"}}),
        Rec("26", {{3, "Gr\x81n"}}), Position("01", "1", "", "m\xFD")},
       {{"-", "", "", "", "\xE4\xF6\xFC\xC4", "Gr\xFCn", "", ""},
        {"", "01      ", "1       ,   ", "m\xB2", "", "", "19,00", ""}},
       {"Stra\xDF" "e "}},
      {"oem_umlauts_after_long_ascii_runs",
       {Rec("01", {{3, "Baustelle Hauptstra\xE1" "e 12345678\x94"}})},
       {},
       {"Baustelle Hauptstra\xDF" "e 12345678\xF6 "}},
      {"separator_lines_and_short_records",
       {Rec("31", {{3, "x"}}), Rec("31"), Rec("33", {{3, "y"}}), "2", "", Rec("99", {{3, "z"}})},
       {{"-", "", "", "", "  ", "", "", ""}, {"-", "", "", "", "  ", "", "", ""}},
       {}},
      {"long_text_becomes_short_text_only_while_empty",
       {Position("01", "1", "", ""), Rec("26", {{3, "a"}}), Rec("25", {{3, ""}}),
        Rec("26", {{3, "b"}}), Rec("26", {{3, ""}}), Rec("26", {{3, "c"}}),
        Rec("10", {{3, "T"}}), Rec("26", {{3, "d"}})},
       {{"", "01      ", "1       ,   ", "", "a b", "a b c", "19,00", ""},
        {"-", "", "", "", "T", "d", "", ""}},
       {}},
      {"columns_past_73_are_not_read",
       {Position("01", "1", "", ""),
        Rec("26", {{3, std::string(70, 'x')}, {73, "yZZZZ"}})},
       {{"", "01      ", "1       ,   ", "", std::string(70, 'x') + "y",
         std::string(70, 'x') + "y", "19,00", ""}},
       {}},
  };
}

class GAEB90Reader : public testing::TestWithParam<Case> {
 protected:
  void TearDown() override { platform::OverrideDecimalSeparator(0); }
};

TEST_P(GAEB90Reader, CollectsEntriesAndHeader) {
  const Case& c = GetParam();
  platform::OverrideDecimalSeparator(c.separator);
  TDXFDataStack stack;
  stack.TaxRate = 19;
  std::vector<std::string> header{"stale"};
  CollectGAEB90(stack, Join(c.lines), header);
  ASSERT_EQ(stack.Count(), c.entries.size());
  for (size_t i = 0; i < stack.Count(); ++i) {
    const TDataLineStack& got = stack[i];
    const Entry& want = c.entries[i];
    SCOPED_TRACE("entry " + std::to_string(i));
    EXPECT_EQ(got.TypLine, want.TypLine);
    EXPECT_EQ(got.Position, want.Position);
    EXPECT_EQ(got.Quantity, want.Quantity);
    EXPECT_EQ(got.Unit, want.Unit);
    EXPECT_EQ(got.ShortText, want.ShortText);
    EXPECT_EQ(got.LongText, want.LongText);
    EXPECT_EQ(got.TaxRate, want.TaxRate);
    EXPECT_EQ(got.Price, want.Price);
    EXPECT_EQ(got.Number, "");
  }
  EXPECT_EQ(header, c.header);
}

INSTANTIATE_TEST_SUITE_P(Records, GAEB90Reader, testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GAEB90Reader, LineEndsOfEveryKind) {
  TDXFDataStack stack;
  std::vector<std::string> header;
  CollectGAEB90(stack, "01A\r02B\n03C\r\n\r\n04D", header);
  EXPECT_EQ(header, (std::vector<std::string>{"A ", "B ", "C ", "D "}));
}

TEST(GAEB90Reader, ManyTextRecordsStayLinear) {
  // 200,000 "26" lines on one position and as header: would hang if rebuilt per record.
  std::string text = Position("01", "1", "", "") + "\r\n";
  for (int i = 0; i < 200000; ++i) text += "26 wort\r\n";
  std::string header;
  for (int i = 0; i < 200000; ++i) header += "01zeile\r\n";
  TDXFDataStack stack;
  std::vector<std::string> lines;
  CollectGAEB90(stack, header + text, lines);
  ASSERT_EQ(stack.Count(), 1u);
  EXPECT_EQ(stack[0].LongText.size(), 200000u * 5 - 1);
  EXPECT_EQ(stack[0].ShortText, "wort");
  EXPECT_EQ(lines.size(), 200000u);
}

struct OZCase {
  const char* maskRecord;  // data of the "00" record from column 32 on; nullptr: no record
  const char* text;
  const char* expected;
};

TEST(OZMask, FormatsByMask) {
  const OZCase cases[] = {
      {nullptr, "01020010", "01020010"},  {"1122PPPPI", "01020010", "01.02.0010"},
      {"1122PPPPI", "0102", "01.02"},     {"1122PPPPI", "01", "01"},
      {"1122PPPPI", "", ""},              {"11PPPP", "011234", "01.1234"},
      {"1PPP", "1 23", "1. 23"},           {"11223PPPP", "0102 0010", "01.02. 001"},
      {"P1P2", "abcd", "a.b.cd"},         {"        ", "01020010", ""},
  };
  for (const OZCase& c : cases) {
    TOZMask mask;
    if (c.maskRecord) mask.ParseOZMask(std::string(29, ' ') + c.maskRecord);
    EXPECT_EQ(mask.FormatOZ(c.text), c.expected) << c.maskRecord << " / " << c.text;
  }
}

TEST(OZMask, ShortRecordGivesDefaultAndMaskIsPadded) {
  TOZMask mask;
  mask.ParseOZMask("short");
  EXPECT_EQ(mask.Mask(), "1122PPPPI");
  EXPECT_EQ(mask.Level1Digits, 2);
  EXPECT_EQ(mask.Level2Digits, 2);
  EXPECT_EQ(mask.PositionDigits, 4);
  mask.ParseOZMask(std::string(29, ' ') + "1P");
  EXPECT_EQ(mask.Mask(), "1P      ");
  EXPECT_EQ(mask.Level1Digits + mask.Level2Digits + mask.PositionDigits, 2);
}

}  // namespace
}  // namespace import
