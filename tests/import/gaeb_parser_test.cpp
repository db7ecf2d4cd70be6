// The GAEB importer in-process, with the host replaced: format detection, settings, the
// document that would be sent, and the messages shown.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "document/json_import.h"
#include "import/gaeb_parser.h"
#include "platform/platform.h"

namespace import {
namespace {

namespace fs = std::filesystem;

class TTestParser : public TGAEBParser {
 public:
  std::map<std::string, std::string> Settings;
  std::vector<std::string> Asked, Messages, Sent;

 protected:
  std::string QuerySetting(const std::string& Name) override {
    Asked.push_back(Name);
    return Settings[Name];
  }
  void ShowMessage(const std::string& Text) override { Messages.push_back(Text); }
  void Deliver(const std::string& Text) override { Sent.push_back(Text); }
};

class GAEBParser : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("gaeb_parser_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir_);
    platform::OverrideDecimalSeparator(',');
  }
  void TearDown() override {
    platform::OverrideDecimalSeparator(0);
    document::TJSON::Discard();
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string File(const std::string& name, const std::string& bytes) {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }
  // Runs one import as the launcher does and returns what was sent ("" when nothing).
  std::string Run(TTestParser& parser, const std::string& path) {
    parser.Execute(path, "GAEB", 0, 1);
    EXPECT_LE(parser.Sent.size(), 1u);
    return parser.Sent.empty() ? std::string() : parser.Sent.front();
  }
  fs::path dir_;
};

const std::string kHead = "{\"Order\":[{\"Parts\":[";
const std::string kFlags =
    "],\"Adress\":[{}],\"NettoPrices\":true,\"TaxImport\":false,\"UpdateParts\":false,"
    "\"AppendMode\":true";
const std::string kTail = "}],\"Description\":\"GAEB\"}";

TEST_F(GAEBParser, XmlIsRefusedAndTheBareDocumentStillSent) {
  TTestParser parser;
  const std::string sent = Run(parser, File("a.x83", "<?xml version=\"1.0\"?>\r\n<GAEB/>"));
  EXPECT_EQ(parser.Messages, std::vector<std::string>{"Format nicht unterst\xFCtzt."});
  EXPECT_EQ(sent, kHead + kFlags + kTail);
  EXPECT_EQ(parser.FormatKind, 2);
}

TEST_F(GAEBParser, EmptyFileIsGAEB90WithoutParts) {
  TTestParser parser;
  EXPECT_EQ(Run(parser, File("e.d83", "")), kHead + kFlags + ",\"HeaderText\":\"\"" + kTail);
  EXPECT_TRUE(parser.Messages.empty());
  EXPECT_EQ(parser.Asked, (std::vector<std::string>{"DEFAULTFONT", "TAXH"}));
}

TEST_F(GAEBParser, MissingFileOrFolderDoesNothing) {
  for (const std::string& path : {std::string(), (dir_ / "none.d83").string(), dir_.string()}) {
    TTestParser parser;
    EXPECT_EQ(Run(parser, path), "");
    EXPECT_TRUE(parser.Asked.empty());
    EXPECT_TRUE(parser.Messages.empty());
  }
}

TEST_F(GAEBParser, MarkerMustMatchCaseAndStandOnTheFirstLine) {
  for (const std::string& text : {std::string("#BEGIN[GAEB]\r\n"), std::string("01x\r\n#begin[GAEB]\r\n"),
                                  std::string("<?XML version\r\n")}) {
    TTestParser parser;
    Run(parser, File("m.d83", text));
    EXPECT_EQ(parser.FormatKind, 0) << text;
    EXPECT_TRUE(parser.Messages.empty());
  }
}

TEST_F(GAEBParser, TaxRateFromTheSetting) {
  struct {
    const char* taxh;
    char separator;
    const char* expected;
  } cases[] = {{"19", ',', "19,00"}, {"7", ',', "07,00"},  {"", ',', "00,00"},
               {"abc", ',', "00,00"}, {"19,5", ',', "19,50"}, {"19", '.', "19.00"},
               {"19,5", '.', "00.00"}, {"19.5", '.', "19.50"}};
  for (const auto& c : cases) {
    platform::OverrideDecimalSeparator(c.separator);
    TTestParser parser;
    parser.Settings["TAXH"] = c.taxh;
    const std::string sent = Run(parser, File("t.d83", "21010200101\r\n1101 N Gruppe\r\n"));
    EXPECT_NE(sent.find("\"TaxRate\":\"" + std::string(c.expected) + "\""), std::string::npos)
        << c.taxh << " " << c.separator << ": " << sent;
    // The group heading carries no rate.
    EXPECT_NE(sent.find("\"TypLine\":\"-\",\"Position\":\"01\",\"Unit\":\"\",\"Quantity\":\"\","
                        "\"Description1\":\"Gruppe\",\"Number\":\"\",\"TaxRate\":\"\""),
              std::string::npos)
        << sent;
  }
}

}  // namespace
}  // namespace import
