// gaeb2json: the same import without the host, its exit statuses, and the public sample files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "stub_session.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

platform::ProcessResult Convert(const std::vector<std::string>& args) {
  return platform::RunProcess(Program(GAEB2JSON), args);
}

TEST(Gaeb2Json, ExitStatuses) {
  const auto ok = Convert({Fixture("sample.d83"), "--taxh", "19", "--decimal-separator", ","});
  EXPECT_EQ(ok.exitCode, 0);
  EXPECT_EQ(ok.err, "");
  EXPECT_EQ(ok.out, ReadFile(Fixture("sample.d83.json")));

  const auto refused = Convert({Fixture("refused.x83")});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err, "GAEB Importer: Format nicht unterst\xFCtzt.\n");
  EXPECT_NE(refused.out.find("\"Parts\":[]"), std::string::npos);

  for (const auto& args : std::vector<std::vector<std::string>>{
           {Fixture("missing.d83")}, {}, {Fixture("sample.d83"), "--bogus"},
           {Fixture("sample.d83"), "--taxh"}, {Fixture("sample.d83"), "--decimal-separator", ",,"},
           {Fixture("")}}) {
    const auto bad = Convert(args);
    EXPECT_EQ(bad.exitCode, 2) << (args.empty() ? "" : args.back());
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err, "");
  }
  const auto help = Convert({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("usage: gaeb2json"), std::string::npos);
}

TEST(Gaeb2Json, DefaultsAndOptions) {
  // Without --taxh the rate is empty as when the host does not answer.
  const auto plain = Convert({Fixture("sample.d83"), "--decimal-separator", "."});
  EXPECT_NE(plain.out.find("\"TaxRate\":\"00.00\""), std::string::npos);
  EXPECT_NE(plain.out.find("\"Price\":\"0000000018,45\""), std::string::npos);
  const auto utf8 = Convert({Fixture("sample.d83"), "--utf8"});
  EXPECT_NE(utf8.out.find("T\xC3\xBCr\xC3\xB6" "ffnung"), std::string::npos);
  const auto ansi = Convert({Fixture("sample.d83")});
  EXPECT_NE(ansi.out.find("T\xFCr\xF6" "ffnung"), std::string::npos);
}

void ImportsEveryCorpusFile(const std::string& folder) {
  const fs::path dir = fs::path(Program(GAEB_CORPUS)) / folder;
  if (!fs::is_directory(dir)) GTEST_SKIP() << "no corpus at " << dir.string();
  int files = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (!entry.is_regular_file()) continue;
    ++files;
    const auto r = Convert({entry.path().string(), "--taxh", "19"});
    EXPECT_EQ(r.exitCode, 0) << entry.path().string() << ": " << r.err;
    EXPECT_NE(r.out.find("\"Parts\":[{\"TypLine\""), std::string::npos) << entry.path().string();
    EXPECT_NE(r.out.find("\"HeaderText\":"), std::string::npos) << entry.path().string();
  }
  EXPECT_GT(files, 0);
}

TEST(Gaeb2Json, CorpusGAEB90) { ImportsEveryCorpusFile("gaeb90"); }
TEST(Gaeb2Json, CorpusTagged) { ImportsEveryCorpusFile("gaeb2000"); }

}  // namespace
}  // namespace e2e
