// The real gaeb-importer against the stand-in exchange service: the command line, the settings,
// the document the host receives, and what the user would see.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "stub_session.h"

namespace e2e {
namespace {

const std::vector<std::string> kSettings = {"TAXH=19", "DEFAULTFONT=Arial"};
const std::vector<std::string> kFullRun = {"DEFAULTFONT", "TAXH", "OUTDATA"};
const std::string kStateMessage =
    "GAEB Importer: Auftrag muss auf \"Bearbeiten\" stehen!\n";

struct ImportRun {
  platform::ProcessResult importer;
  Received received;
};

ImportRun Import(const std::vector<std::string>& args, int requests,
           const std::vector<std::string>& settings = kSettings) {
  StubSession stub(settings, requests);
  EXPECT_TRUE(stub.listening());
  ImportRun run;
  run.importer = platform::RunProcess(Program(GAEB_IMPORTER), args);
  run.received = stub.Finish();
  return run;
}

// What gaeb2json prints for a file, which must be what the host receives.
std::string Expected(const std::string& fixture) {
  return ReadFile(Fixture(fixture + ".json"));
}

struct StateCase {
  std::vector<std::string> args;  // arguments after the program
  bool imports;
};

TEST(Importer, StateDecidesWhetherToImport) {
  const std::string file = Fixture("sample.d83");
  const StateCase cases[] = {
      {{"2", "x", "x", file}, true},    {{"6", "x", "x", file}, true},
      {{"258", "x", "x", file}, true},  {{"-250", "x", "x", file}, true},
      {{"3", "x", "x", file}, false},   {{}, false},
      {{"zwei", "x", "x", file}, false}, {{" 2", "x", "x", file}, false},
      {{"4294967298", "x", "x", file}, false},
  };
  for (const StateCase& c : cases) {
    const std::string state = c.args.empty() ? "(none)" : c.args[0];
    SCOPED_TRACE("state " + state);
    ImportRun run = Import(c.args, c.imports ? 3 : 0);
    EXPECT_EQ(run.importer.exitCode, 0);
    if (c.imports) {
      EXPECT_EQ(run.received.commands, kFullRun);
      EXPECT_EQ(run.received.outdata, Expected("sample.d83"));
      EXPECT_EQ(run.importer.err, "");
    } else {
      EXPECT_TRUE(run.received.commands.empty());
      EXPECT_EQ(run.importer.err, kStateMessage);
    }
  }
}

TEST(Importer, OnlyTheFirstDroppedFileIsImported) {
  const std::string first = Fixture("sample.d83"), second = Fixture("no_mask.d83");
  for (const std::string& joined : {first + "<br>" + second, first + "<BR>" + second}) {
    ImportRun run = Import({"6", "x", "x", joined}, 3);
    EXPECT_EQ(run.received.commands, kFullRun);
    EXPECT_EQ(run.received.outdata, Expected("sample.d83"));
  }
}

TEST(Importer, NothingToImportSendsNothing) {
  const std::string missing = Fixture("missing.d83");
  std::vector<std::vector<std::string>> cases = {
      {"2", "x", "x", ""},
      {"2", "x", "x"},
      {"2", "x", "x", missing},
      {"2", "x", "x", "<br>" + Fixture("sample.d83")},
      {"2", "x", "x", Fixture("")},  // a folder
  };
#ifndef _WIN32
  // The name is taken as it stands; Windows itself drops a trailing blank and finds the file.
  cases.push_back({"2", "x", "x", Fixture("sample.d83") + " "});
#endif
  for (const auto& args : cases) {
    SCOPED_TRACE(args.size() > 3 ? args[3] : "(no argument 4)");
    ImportRun run = Import(args, 0);
    EXPECT_EQ(run.importer.exitCode, 0);
    EXPECT_TRUE(run.received.commands.empty());
    EXPECT_EQ(run.importer.err, "");
  }
}

TEST(Importer, XmlIsRefusedButTheBareDocumentIsSent) {
  ImportRun run = Import({"2", "x", "x", Fixture("refused.x83")}, 3);
  EXPECT_EQ(run.importer.err, "GAEB Importer: Format nicht unterst\xFCtzt.\n");
  EXPECT_EQ(run.received.commands, kFullRun);
  EXPECT_EQ(run.received.outdata,
            "{\"Order\":[{\"Parts\":[],\"Adress\":[{}],\"NettoPrices\":true,\"TaxImport\":false,"
            "\"UpdateParts\":false,\"AppendMode\":true}],\"Description\":\"GAEB\"}");
}

TEST(Importer, FilesOfBothFormsArriveAsParts) {
  for (const char* name : {"sample.d83", "no_mask.d83", "short_mask.d83", "blank_mask.d83",
                           "empty.d83", "sample.p83"}) {
    SCOPED_TRACE(name);
    ImportRun run = Import({"2", "x", "x", Fixture(name)}, 3);
    EXPECT_EQ(run.importer.err, "");
    EXPECT_EQ(run.received.outdata, Expected(name));
  }
}

TEST(Importer, TaxRateFollowsSettingAndRegionalSeparator) {
  const char sep = platform::DecimalSeparator();
  const std::string s(1, sep);
  struct {
    std::vector<std::string> settings;
    std::string rate;
  } cases[] = {{{"TAXH=19"}, "19" + s + "00"},
               {{"TAXH=7"}, "07" + s + "00"},
               {{}, "00" + s + "00"},
               {{"TAXH=16" + s + "5"}, "16" + s + "50"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rate);
    ImportRun run = Import({"2", "x", "x", Fixture("sample.d83")}, 3, c.settings);
    const std::string& doc = run.received.outdata;
    EXPECT_NE(doc.find("\"TaxRate\":\"" + c.rate + "\""), std::string::npos) << doc;
    // On a point system the first price field never converts: the second field is taken.
    const bool comma = sep == ',';
    EXPECT_NE(doc.find(comma ? "\"Price\":\"000000018,450\"" : "\"Price\":\"0000000018,45\""),
              std::string::npos)
        << doc;
  }
}

}  // namespace
}  // namespace e2e
