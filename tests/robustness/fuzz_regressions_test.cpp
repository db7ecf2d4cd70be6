// Inputs that fuzzing and the review around it found, each pinned with the outcome it must
// have. The hostile ones are sized so that a quadratic reading would stall the test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../platform/test_text.h"
#include "../platform/scratch_folder.h"
#include "exchange/stream_storage.h"
#include "exchange/string_hash.h"
#include "import_run.h"
#include "richtext/rtf_plain.h"

namespace robust {
namespace {

using testing_support::Repeat;

std::string CrLf(size_t n) { return Repeat("\r\n", n); }

struct FlattenCase {
  const char* name;
  std::string input;
  std::string expected;
};

// A flattened text never grows beyond twice its RTF: padding short rows to the widest one is
// only done where the positions it adds are paid for by the table's own cells and rows.
TEST(FuzzRegressions, TableTextStaysWithinTwiceTheInput) {
  const std::vector<FlattenCase> cases = {
      // One wide row, then empty rows: each empty row is its row end only.
      {"wide row then empty rows", "{\\rtf1\\intbl" + Repeat("\\cell", 16) + Repeat("\\row", 19) + "}",
       CrLf(16) + CrLf(18)},
      // Rows of one tab each under a wide row.
      {"wide row then tab rows", "{\\rtf1\\intbl" + Repeat("\\cell", 9) + "\\row" + Repeat("\t\\row", 31) + "}",
       CrLf(9) + Repeat("\t\r\n", 31)},
      // A short row under a full one is still padded.
      {"short row padded", "{\\rtf1\\intbl A\\cell B\\cell C\\cell\\row\\intbl D\\cell\\row}",
       "A\r\nB\r\nC\r\nD\r\n\r\n\r\n"},
  };
  for (const FlattenCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string plain = richtext::RtfToPlainText(c.input);
    EXPECT_EQ(plain, c.expected);
    EXPECT_LE(plain.size(), 2 * c.input.size());
  }
}

// Byte 196 is a line character in code page 437 and becomes "-"; in any other font it stays.
std::string SymbolField(const std::string& font) {
  return "{\\field{\\*\\fldinst SYMBOL 196 \\\\f \"" + font + "\"}{\\fldrslt}}";
}

TEST(FuzzRegressions, SymbolFieldTakesTheLastFontOfItsName) {
  const std::string head = "{\\rtf1{\\fonttbl{\\f0\\fcharset0 Arial;}";
  const std::vector<FlattenCase> cases = {
      {"found", head + "{\\f1\\fcharset254 Term;}}\\f0 a" + SymbolField("Term") + "b}", "a-b"},
      {"last of two", head + "{\\f1\\fcharset254 Term;}{\\f2\\fcharset0 Term;}}\\f0 a" +
                          SymbolField("Term") + "b}",
       "a\xC4" "b"},
      // A later table gives the font a script character set, so the name loses its ending.
      {"ending dropped later", head + "{\\f1\\fcharset254 Term CYR;}}{\\fonttbl{\\f1\\fcharset204}}"
                                      "\\f0 a" + SymbolField("Term") + "b}",
       "a\xC4" "b"},
      // A name left open grows in a later table, after a look-up by its first part.
      {"name grows after a look-up", head + "{\\f1\\fcharset254 Ter}}\\f0" + SymbolField("Ter") +
                                         "{\\fonttbl{\\f1 m}}" + SymbolField("Ter") + SymbolField("Term") + "}",
       "-\xC4-"},
  };
  for (const FlattenCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(richtext::RtfToPlainText(c.input), c.expected);
  }
}

// Many fonts, then many symbol fields and many empty font tables: each costs its own bytes only.
TEST(FuzzRegressions, ManyFontsWithManySymbolsAndTables) {
  const size_t n = 100000;
  std::string rtf = "{\\rtf1{\\fonttbl";
  for (size_t i = 0; i < n; ++i)
    rtf += "{\\f" + std::to_string(i) + "\\fcharset254 F" + std::to_string(i) + ";}";
  rtf += "}" + Repeat("{\\fonttbl}", n) + "\\f0 ";
  for (size_t i = 0; i < n; i += 2) rtf += SymbolField("F" + std::to_string(i)) + "\\'c4";
  rtf += "}";
  EXPECT_EQ(richtext::RtfToPlainText(rtf), std::string(n, '-'));
}

// Every project block ends with a flattening of the whole header text so far; many small blocks
// must not cost the whole text each. An RTF document in a later block still drops what stands
// before it, and plain text that a flattening leaves holding the marker is flattened again.
TEST(FuzzRegressions, ManyProjectBlocks) {
  struct Case {
    const char* name;
    std::string blocks;
    std::string header;  // HeaderText as it stands in the document
  };
  const std::string block = "#begin[PrjInfo]\r\nProjekt\r\n#end[PrjInfo]\r\n";
  const size_t n = 200000;
  const Case cases[] = {
      {"many plain blocks", Repeat(block, n), Repeat("Projekt", n) + "\\r\\n"},
      {"rtf in the second block",
       "#begin[PrjInfo]\r\nEins\r\n#end[PrjInfo]\r\n#begin[PrjInfo]\r\n{\\rtf1 Zwei}\r\n"
       "#end[PrjInfo]\r\n#begin[PrjInfo]\r\nDrei\r\n#end[PrjInfo]\r\n",
       "ZweiDrei\\r\\n"},
      {"marker left by a flattening",
       "#begin[PrjInfo]\r\n{\\rtf1 \\{\\\\rtf1 X\\}}\r\n#end[PrjInfo]\r\n"
       "#begin[PrjInfo]\r\nY\r\n#end[PrjInfo]\r\n",
       "X\\r\\n"},
  };
  testing_support::ScratchFolder scratch{"fuzzreg"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ImportOutcome r =
        RunImport(scratch.Write("prj.txt", "#begin[GAEB]\r\n" + c.blocks));
    ASSERT_TRUE(r.sent);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_NE(r.document.find("\"HeaderText\":\"" + c.header + "\""), std::string::npos)
        << r.document.substr(0, 300);
  }
}

// A received run of many values: each scanned name is checked against the index, which must
// stay a short walk however many names came before.
TEST(FuzzRegressions, ReceivedRunWithManyNames) {
  const size_t n = 300000;
  auto le = [](std::string& out, uint64_t v, int width) {
    for (int i = 0; i < width; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  auto units = [](const std::string& ascii) {
    std::string out;
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
  };
  std::string bytes;
  for (size_t i = 0; i < n; ++i) {
    const std::string name = units("N" + std::to_string(i)), value = units("v" + std::to_string(i));
    le(bytes, name.size(), 4);
    bytes += name;
    le(bytes, value.size(), 8);
    bytes += value;
  }
  exchange::TStreamStorage run;
  run.Append(bytes.data(), bytes.size());
  run.SetPosition(0);
  EXPECT_EQ(run.GetString(u"DATA"), u"");  // scans the whole run
  EXPECT_EQ(run.GetString(u"N299999"), u"v299999");
  EXPECT_EQ(run.GetString(u"N0"), u"v0");
  EXPECT_EQ(run.GetString(u"N150000"), u"v150000");

  // The index grows from one bucket; the newest of equal keys still wins.
  exchange::TStringHash hash(1);
  for (int i = 0; i < 1000; ++i) {
    hash.Add("A", i);
    hash.Add("k" + std::to_string(i), i);
  }
  EXPECT_EQ(hash.Lookup("A"), 999);
  EXPECT_EQ(hash.Lookup("k0"), 0);
  EXPECT_EQ(hash.Lookup("k999"), 999);
  EXPECT_EQ(hash.Lookup("B"), -1);
}

}  // namespace
}  // namespace robust
