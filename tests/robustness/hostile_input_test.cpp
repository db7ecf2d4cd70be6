// Hostile inputs, each with a bounded run and the outcome the importer owes the user: the
// flattened text or the raw-text fallback, the document with what was read, or a message box
// with the failure's text.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../platform/test_text.h"
#include "../../fuzz/json_check.h"
#include "../platform/scratch_folder.h"
#include "import_run.h"
#include "platform/platform.h"
#include "richtext/rtf_plain.h"

namespace robust {
namespace {

using testing_support::Repeat;

std::string FixtureBytes(const std::string& name) {
  std::string path = std::string(GAEB_FIXTURES) + "/gaeb/" + name;
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string ReplaceLineEnds(const std::string& text, const std::string& end) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      out += end;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// ---- RTF -------------------------------------------------------------------------------------

struct RtfCase {
  const char* name;
  std::string input;
  std::string expected;  // the flattened text
};

std::vector<RtfCase> RtfCases() {
  const size_t million = 1000000;
  std::vector<RtfCase> cases = {
      {"million nested groups", "{\\rtf1 " + Repeat("{", million) + "x" + Repeat("}", million) + "}",
       "x"},
      // Never closed: a reading error, so the text comes back as it stands.
      {"million groups never closed", "{\\rtf1 " + Repeat("{", million) + "x", ""},
      // The binary count runs past the data: the groups stay open, the raw text comes back.
      {"bin beyond the data", "{\\rtf1 A{\\pict\\bin2000000000 xy}}", ""},
      {"bin with a huge negative count", "{\\rtf1 A\\bin-2147483648 B}", "AB"},
      // The fallback skip ends at the next brace, however large the count.
      {"huge uc", "{\\rtf1\\uc2147483647\\u8364 abcdef}", "\x80"},
      {"huge uc then more text", "{\\rtf1\\uc2147483647\\u8364 abc{x}}", "\x80x"},
      {"truncated hex before a brace", "{\\rtf1 A\\'e}", ""},
      {"truncated hex at the end", "{\\rtf1 A\\'e", ""},
      {"backslash at the end", "{\\rtf1 A\\", ""},
      {"overlong control word parameter", "{\\rtf1\\fs99999999999999999999 A}", "A"},
      {"overlong control word", "{\\rtf1\\" + Repeat("a", 100000) + " A}", "A"},
  };
  for (RtfCase& c : cases) {
    if (c.expected.empty()) c.expected = c.input;  // the raw-text fallback
  }
  return cases;
}

TEST(HostileRtf, EachEndsWithItsOutcome) {
  for (const RtfCase& c : RtfCases()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(richtext::RtfToPlainText(c.input), c.expected);
  }
}

TEST(HostileRtf, HugeTableNestingOpensABoundedNumberOfTables) {
  const std::string input = "{\\rtf1\\intbl\\itap2147483647 A\\nestcell\\nestrow\\pard B\\par}";
  const std::string plain = richtext::RtfToPlainText(input);
  EXPECT_NE(plain.find('A'), std::string::npos);
  EXPECT_NE(plain.find('B'), std::string::npos);
  EXPECT_LT(plain.size(), 1000u);  // a few CR LF per open level, not two billion levels
}

TEST(HostileRtf, NulBytesStayText) {
  const std::string input("{\\rtf1 A\0B}", 11);
  const std::string plain = richtext::RtfToPlainText(input);
  EXPECT_EQ(plain.front(), 'A');
  EXPECT_EQ(plain.back(), 'B');
  EXPECT_LE(plain.size(), 3u);
}

// ---- GAEB files through the importer ---------------------------------------------------------

class HostileFile : public ::testing::Test {
 protected:
  testing_support::ScratchFolder scratch{"robust"};
  std::string Write(const std::string& name, const std::string& bytes) {
    return scratch.Write(name, bytes);
  }
};

void ExpectSoundDocument(const ImportOutcome& r) {
  ASSERT_TRUE(r.sent);
  EXPECT_TRUE(fuzzcheck::IsJson(r.document));
  EXPECT_EQ(r.document.rfind("{\"Order\":[{", 0), 0u);
}

TEST_F(HostileFile, LineEndsOfEveryKindGiveTheSameDocument) {
  const std::string crlf = FixtureBytes("sample.d83");
  ASSERT_NE(crlf.find("\r\n"), std::string::npos);
  const ImportOutcome reference = RunImport(Write("crlf.d83", crlf));
  ExpectSoundDocument(reference);
  ASSERT_GT(PartCount(reference.document), 3);
  for (const std::string end : {"\r", "\n"}) {
    SCOPED_TRACE(end == "\r" ? "CR only" : "LF only");
    const ImportOutcome r = RunImport(Write(end == "\r" ? "cr.d83" : "lf.d83", ReplaceLineEnds(crlf, end)));
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(r.document, reference.document);
  }
}

TEST_F(HostileFile, NulBytesReachTheDocumentEscaped) {
  std::string text = FixtureBytes("sample.d83");
  const std::string needle = "Erdarbeiten";
  const size_t at = text.find(needle);
  ASSERT_NE(at, std::string::npos);
  text[at + 3] = '\0';
  // Not "nul.d83": on Windows that names the null device.
  const ImportOutcome r = RunImport(Write("zero-byte.d83", text));
  ExpectSoundDocument(r);
  EXPECT_TRUE(r.messages.empty());
  EXPECT_NE(r.document.find("Erd\\u0000rbeiten"), std::string::npos);
}

TEST_F(HostileFile, HundredMegabyteSingleLine) {
  const size_t size = 100u << 20;
  std::string line = "01";
  line.append(size, 'a');
  const ImportOutcome r = RunImport(Write("long.d83", line));
  ASSERT_TRUE(r.sent);
  EXPECT_TRUE(r.messages.empty());
  EXPECT_EQ(PartCount(r.document), 0);
  // A record's data ends at column 73, however long the line: 71 letters and the blank.
  EXPECT_NE(r.document.find("\"HeaderText\":\"" + std::string(71, 'a') + " \\r\\n\""),
            std::string::npos);
  EXPECT_LT(r.document.size(), 1000u);
}

TEST_F(HostileFile, RandomBytesAsGaeb90) {
  uint64_t x = 0x9E3779B97F4A7C15ull;
  std::string bytes(1u << 20, '\0');
  for (char& c : bytes) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    c = static_cast<char>(x >> 24);
  }
  // Not a marker on the first line: a GAEB 90 file.
  bytes[0] = '\n';
  const ImportOutcome r = RunImport(Write("random.d83", bytes));
  ExpectSoundDocument(r);
  EXPECT_TRUE(r.messages.empty());
}

struct TaggedCase {
  const char* name;
  std::string text;
  int parts;
  std::string headerHas;  // text the header must hold ("" when none is checked)
};

TEST_F(HostileFile, TaggedBlocksThatNeverClose) {
  const std::string head = "#begin[GAEB]\r\n";
  const TaggedCase cases[] = {
      // A project block takes the rest of the file into the header, its lines' values joined.
      {"project info", head + "#begin[PrjInfo]\r\nProjekt\r\n#begin[Position]\r\n[OZ]01\r\n", 0,
       "Projekt01"},
      {"award info", head + "#begin[Vergabe]\r\nVergabe\r\n#end[Vergabe]\r\nRest\r\n", 0, "Rest"},
      {"description", head + "#begin[Beschreibung]\r\nText\r\nmehr", 0, ""},
      {"group", head + "#begin[LVBereich]\r\n[OZ]01\r\n", 0, ""},
      {"position", head + "#begin[Position]\r\n[OZ]01020010\r\n[Kurztext]Wand", 0, ""},
      {"order position", head + "x #begin[BESTPOSITION]\r\n[ARTKURZTEXT]Schraube", 0, ""},
      {"short text", head + "#begin[Position]\r\n[Kurztext]" + Repeat("Wand ", 100000), 0, ""},
  };
  for (const TaggedCase& c : cases) {
    SCOPED_TRACE(c.name);
    const ImportOutcome r = RunImport(Write("open.txt", c.text));
    ExpectSoundDocument(r);
    EXPECT_TRUE(r.messages.empty());
    if (!c.headerHas.empty()) {
      EXPECT_EQ(PartCount(r.document), c.parts);
      EXPECT_NE(r.document.find(c.headerHas), std::string::npos);
    }
  }
}

TEST_F(HostileFile, NonAsciiFileName) {
  const std::string text = FixtureBytes("sample.d83");
  const ImportOutcome plain = RunImport(Write("plain.d83", text));
  // "Maßnahme Größe.d83" in the ANSI code page.
  const ImportOutcome umlauts = RunImport(Write("Ma\xDFnahme Gr\xF6\xDF" "e.d83", text));
  ExpectSoundDocument(umlauts);
  EXPECT_TRUE(umlauts.messages.empty());
  EXPECT_EQ(umlauts.document, plain.document);
}

TEST_F(HostileFile, FolderIsNoFile) {
  const std::string folder = scratch / "folder.d83";
  ASSERT_TRUE(platform::CreateDirectory(folder));
  const ImportOutcome r = RunImport(folder);
  EXPECT_EQ(r.opens, 0);  // no setting asked for, nothing sent
  EXPECT_FALSE(r.sent);
  EXPECT_TRUE(r.messages.empty());
}

TEST_F(HostileFile, FileLockedByAnotherProcess) {
  const std::string file = Write("locked.d83", FixtureBytes("sample.d83"));
  platform::FileHold hold(file, true);
  ASSERT_TRUE(hold.ok());
  const ImportOutcome r = RunImport(file);
  // The file counts as present, so the import runs and reports why it cannot read.
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_EQ(r.messages[0], "Datei \"" + file +
                               "\" kann nicht ge\xF6" "ffnet werden. Die Datei wird von einem "
                               "anderen Prozess verwendet.");
  ExpectSoundDocument(r);
  EXPECT_EQ(PartCount(r.document), 0);
  EXPECT_EQ(r.document.find("HeaderText"), std::string::npos);
  EXPECT_NE(r.document.find("\"AppendMode\":true"), std::string::npos);
}

}  // namespace
}  // namespace robust
