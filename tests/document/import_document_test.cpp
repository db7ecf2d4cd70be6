#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "document/json_const.h"
#include "document/json_import.h"
#include "platform/platform.h"
#include "support/support.h"

namespace document {
namespace {

class ImportDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override { TJSON::Discard(); }
  void TearDown() override {
    TJSON::Discard();
    if (!root_.empty()) std::filesystem::remove_all(root_);
  }
  std::string TempRoot() {
    root_ = platform::GetTempPath() + "gaeb-import-test-" +
            std::to_string(platform::WallClockMilliseconds());
    return root_;
  }
  static void WriteFlags() {
    TJSON::SetFlag(kSectionOrder, "NettoPrices", true);
    TJSON::SetFlag(kSectionOrder, "TaxImport", false);
    TJSON::SetFlag(kSectionOrder, "UpdateParts", false);
    TJSON::SetFlag(kSectionOrder, "AppendMode", true);
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static std::string SendText() {
    std::string text;
    TJSON::Serialize("", soSendToHost, text);
    return text;
  }
  std::string root_;
};

TEST_F(ImportDocumentTest, WorkedExampleOfAGaebRun) {
  TJSONImport import("", "");
  import.SetDescription("GAEB");
  WriteFlags();
  TJSON::AddPart();
  for (const char* key : {"TypLine", "Position", "Unit", "Quantity", "Description1", "Number",
                          "TaxRate", "Price"})
    TJSON::SetText(kSectionPart, key, "");
  TJSON::SetText(kSectionOrder, "HeaderText", "");
  std::string text = "stale";
  import.Save("", soSendToHost, text);
  EXPECT_EQ(text,
            R"({"Order":[{"Parts":[{"TypLine":"","Position":"","Unit":"","Quantity":"",)"
            R"("Description1":"","Number":"","TaxRate":"","Price":""}],"Adress":[{}],)"
            R"("NettoPrices":true,"TaxImport":false,"UpdateParts":false,"AppendMode":true,)"
            R"("HeaderText":""}],"Description":"GAEB"})");
  EXPECT_FALSE(TJSON::HasDocument());
}

TEST_F(ImportDocumentTest, FlagsOnlyDocument) {
  TJSONImport import("C:\\dp", "prog");
  import.SetDescription("GAEB");
  WriteFlags();
  std::string text;
  import.Save("", soSendToHost, text);  // the paths play no part without soSaveFile
  EXPECT_EQ(text,
            R"({"Order":[{"Parts":[],"Adress":[{}],"NettoPrices":true,"TaxImport":false,)"
            R"("UpdateParts":false,"AppendMode":true}],"Description":"GAEB"})");
}

TEST_F(ImportDocumentTest, SectionsSelectTheirObjects) {
  TJSON::SetText(kSectionPart, "Position", "lost");  // no part yet
  TJSON::SetText(3, "Position", "lost");
  TJSON::SetText(kSectionAddress, "Company", "M\xFCller & \"S\xF6hne\"");
  TJSON::AddPart();
  TJSON::SetText(kSectionPart, "Position", "1");
  TJSON::AddPart();
  TJSON::SetText(kSectionPart, "Position", "2");
  TJSON::SetText(kSectionPart, "LongText", std::string("a\\b\0c\x80", 6));
  TJSON::SetText(kSectionPart, "Position", "2.1");  // updated in place
  TJSON::SetText(kSectionOrder, "RessourceName", "r");
  EXPECT_EQ(SendText(),
            "{\"Order\":[{\"Parts\":[{\"Position\":\"1\"},"
            "{\"Position\":\"2.1\",\"LongText\":\"a\\\\b\\u0000c\\u20ac\"}],"
            "\"Adress\":[{\"Company\":\"M\xFCller & \\\"S\xF6hne\\\"\"}],\"RessourceName\":\"r\"}]}");
}

TEST_F(ImportDocumentTest, SerializeReleasesTheDocumentEveryTime) {
  TJSON::SetFlag(kSectionOrder, "NettoPrices", true);
  EXPECT_TRUE(TJSON::HasDocument());
  EXPECT_NE(SendText(), "");
  EXPECT_FALSE(TJSON::HasDocument());
  EXPECT_EQ(SendText(), "");  // nothing left to write

  // A file asked for without a name: nothing written, the document still released.
  TJSON::AddPart();
  std::string text = "stale";
  TJSON::Serialize("", soSaveFile, text);
  EXPECT_EQ(text, "");
  EXPECT_FALSE(TJSON::HasDocument());

  // A setter after a write starts a new, empty document.
  TJSON::SetText(kSectionPart, "Position", "x");
  EXPECT_EQ(SendText(), R"({"Order":[{"Parts":[],"Adress":[{}]}]})");
}

TEST_F(ImportDocumentTest, SerializeToFileAndText) {
  const std::string d(1, platform::PathDelimiter());
  const std::string path = TempRoot() + d + "sub" + d + "doc.json";
  TJSON::SetText(kSectionOrder, "HeaderText", "\xC4nderung");
  std::string text;
  TJSON::Serialize(path, soSaveFile | soSendToHost, text);
  EXPECT_EQ(text, "{\"Order\":[{\"Parts\":[],\"Adress\":[{}],\"HeaderText\":\"\xC4nderung\"}]}");
  EXPECT_EQ(Read(path), text);
}

TEST_F(ImportDocumentTest, FailedSavesLeaveNoDocument) {
  const struct {
    const char* dpPath;
    const char* folder;
    const char* message;
  } cases[] = {
      {"C:\\dp", "", "ProgrammUIDFolderName fehlt!"},
      {"", "prog", "DPPath fehlt!"},
      // Neither path: the file name has no folder, so the folder step fails.
      {"", "", "Verzeichnis kann nicht erstellt werden"},
  };
  for (const auto& c : cases) {
    TJSONImport import(c.dpPath, c.folder);
    import.SetDescription("GAEB");
    std::string text;
    try {
      import.Save("", soSaveFile | soSendToHost, text);
      ADD_FAILURE() << "no error for " << c.message;
    } catch (const std::exception& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
    EXPECT_FALSE(TJSON::HasDocument()) << c.message;
  }
}

TEST_F(ImportDocumentTest, PathsGetTheirDelimiter) {
  const std::string d(1, platform::PathDelimiter());
  TJSONImport import("base", "prog" + d);
  EXPECT_EQ(import.DPPath(), "base" + d);
  EXPECT_EQ(import.ProgrammUIDFolderName(), "prog" + d);
  EXPECT_EQ(TJSONImport("", "").DPPath(), "");
  std::string path = "unchanged";
  TJSONImport("", "prog").ImportFolder(path);
  EXPECT_EQ(path, "unchanged");
}

TEST_F(ImportDocumentTest, SaveNamesTheFileByDateAndAvoidsCollisions) {
  const std::string d(1, platform::PathDelimiter());
  const std::string base = TempRoot();
  TJSONImport import(base, "prog");
  std::string folder;
  import.ImportFolder(folder);
  EXPECT_EQ(folder, base + d + "uniimport" + d + "files" + d + "prog" + d);
  ASSERT_TRUE(support::FolderIsPresent(support::StripBackslash(folder)));

  const std::string stamp = TJSONImport::DateFileName("");
  ASSERT_EQ(stamp.size(), 24u);  // dd.mm.yyyy hh.nn.ss.json
  EXPECT_EQ(stamp.substr(2, 1) + stamp.substr(5, 1) + stamp.substr(10, 1) + stamp.substr(13, 1) +
                stamp.substr(16, 1) + stamp.substr(19),
            ".. ...json");
  EXPECT_EQ(TJSONImport::DateFileName("[3]").substr(19), "[3].json");

  // The clock may pass a second boundary between the names; try until it does not.
  bool checked = false;
  for (int attempt = 0; attempt < 5 && !checked; ++attempt) {
    const std::string now = TJSONImport::DateFileName("");
    const std::string stem = now.substr(0, 19);
    std::ofstream(folder + now) << "taken";
    std::ofstream(folder + stem + "[1].json") << "taken";
    import.SetDescription("GAEB");
    std::string text;
    import.Save("", soSaveFile, text);
    EXPECT_EQ(text, "");
    if (TJSONImport::DateFileName("") != now) continue;
    EXPECT_EQ(Read(folder + stem + "[2].json"), R"({"Order":[{"Parts":[],"Adress":[{}]}],"Description":"GAEB"})");
    EXPECT_EQ(Read(folder + now), "taken");
    checked = true;
  }
  EXPECT_TRUE(checked);
  EXPECT_FALSE(TJSON::HasDocument());
}

TEST(KeyTable, GroupsInOrderAndSpelledAsTheHostExpects) {
  std::vector<std::string> joined;
  for (const char* k : UJSONConst::Structure::All) joined.push_back(k);
  for (const char* k : UJSONConst::Address::All) joined.push_back(k);
  for (const char* k : UJSONConst::Order::All) joined.push_back(k);
  for (const char* k : UJSONConst::Part::All) joined.push_back(k);
  ASSERT_EQ(joined.size(), UJSONConst::Table.size());
  for (size_t i = 0; i < joined.size(); ++i) EXPECT_EQ(joined[i], UJSONConst::Table[i]);
  EXPECT_STREQ(UJSONConst::Structure::Adress, "Adress");
  EXPECT_STREQ(UJSONConst::Order::RessourceName, "RessourceName");
  EXPECT_STREQ(UJSONConst::Order::ReferenzText, "ReferenzText");
  EXPECT_STREQ(UJSONConst::Order::ReferenzDate, "ReferenzDate");
  EXPECT_STREQ(UJSONConst::Order::Human_Creator, "Human.Creator");
  EXPECT_STREQ(UJSONConst::Address::L10, "L10");
  EXPECT_STREQ(UJSONConst::Part::L2, "L2");
}

}  // namespace
}  // namespace document
