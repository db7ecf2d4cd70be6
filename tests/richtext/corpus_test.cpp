// Every public sample RTF file is read as RTF (no fallback) and its words come through.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "flatten.h"

namespace richtext::testing {
namespace {

namespace fs = std::filesystem;

// Words that must appear, and texts that must not (footnote bodies, control words).
const std::map<std::string, std::pair<std::vector<std::string>, std::vector<std::string>>>
    kExpected = {
        {"pandoc__accent.rtf", {{"le caf\xe9 o\xf9 on ne fume pas"}, {}}},
        {"pandoc__footnote.rtf",
         {{"amply annotated.1 It was", "noted,2 this period", "Margaret Mead."},
          {"Sahlins", "bibliography"}}},
        {"pandoc__list_legacy.rtf", {{"Numbered", "Bulleted"}, {"\xb7"}}},
        {"pandoc__list_simple.rtf", {{"one", "two", "new list"}, {}}},
        {"pandoc__table_nested.rtf",
         {{"Deep A\r\nDeep B\r\nDeep C\r\nDeep D\r\n", "Outer after", "Outside table"},
          {"FALLBACK"}}},
        {"pandoc__table_simple.rtf", {{"A \r\nB \r\nC \r\nD \r\n", "H"}, {}}},
        {"pandoc__tables.rtf", {{"Simple table with caption:", "Right", "Center"}, {}}},
        {"pandoc__unicode.rtf", {{"\x93hi\x94\x91hi\x92"}, {}}},
        {"tika__testRTFHexEscapeInsideWord.rtf", {{"ESP\xcdRITO SANTO"}, {}}},
        {"tika__testRTFListLibreOffice.rtf", {{"ordered list", "third"}, {}}},
        {"tika__testRTFTableCellSeparation.rtf", {{"a\r\nb\r\nc\r\nd\r\n"}, {}}},
        {"tika__testRTFUmlautSpaces.rtf", {{"\xdc" "bersicht"}, {}}},
        {"tika__testRTFUnicodeUCNControlWordCharacterDoubling.rtf", {{"abc"}, {}}},
        {"tika__testRTFWindowsCodepage1250.rtf", {{"za", "ja"}, {}}},
        {"tika__testRTFWithCurlyBraces.rtf", {{"{ some text inside curly brackets }"}, {}}},
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

TEST(Corpus, EveryRtfFileIsReadAsRtf) {
  const fs::path folder = fs::path(GAEB_CORPUS) / "rtf";
  if (!fs::is_directory(folder)) GTEST_SKIP() << "no corpus at " << folder;
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".rtf") continue;
    ++files;
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    std::string rtf = ReadFile(entry.path());
    // A fragment without the document group is read inside one.
    if (rtf.find("{\\rtf1") == std::string::npos) rtf = "{\\rtf1\\ansi " + rtf + "}";
    bool raw = true;
    const std::string text = Flatten(rtf, &raw);
    EXPECT_FALSE(raw);
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find("\\par"), std::string::npos);
    auto expected = kExpected.find(name);
    if (expected == kExpected.end()) continue;
    for (const std::string& word : expected->second.first)
      EXPECT_NE(text.find(word), std::string::npos) << Visible(word) << " in " << Visible(text);
    for (const std::string& word : expected->second.second)
      EXPECT_EQ(text.find(word), std::string::npos) << Visible(word) << " in " << Visible(text);
  }
  EXPECT_GT(files, 0u);
}

}  // namespace
}  // namespace richtext::testing
