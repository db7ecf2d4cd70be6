#include <gtest/gtest.h>

#include <cstdio>

#include "exchange/exchange_calls.h"
#include "exchange/message_data.h"
#include "fake_pipe.h"
#include "support/support.h"

namespace exchange {
namespace {

using exchange_test::FakeScript;
using exchange_test::FakeTransport;
using exchange_test::Frame;
using exchange_test::Hex;
using exchange_test::LE;
using exchange_test::StringEntry;

std::string LocationPath() { return support::TempSubFolder("") + kServiceLocationFile; }

class ExchangeCalls : public ::testing::Test {
 protected:
  void SetUp() override { Location("ZVService\r\n"); }
  void TearDown() override { Location(""); }
  static void Location(const std::string& text) {
    ASSERT_EQ(platform::WriteWholeFileExclusive(LocationPath(), text), 0u);
  }
  static FakeScript Answering(const std::string& frame) {
    FakeScript script;
    script.answer = frame;
    return script;
  }
  // The request's data run as the fake received it.
  static std::string RequestRun(const exchange_test::FakeRecord& record) {
    std::string wire = record.Wire();
    EXPECT_GE(wire.size(), 24u);
    EXPECT_EQ(Hex(wire.substr(0, 8)), "0000000000000000");
    return wire.substr(16, wire.size() - 24);
  }
};

TEST_F(ExchangeCalls, ReadSendsThreeEntriesAndReturnsData) {
  FakeTransport transport;
  transport.scripts.push_back(Answering(Frame("", StringEntry(u"X", u"y") + StringEntry(u"DATA", u"Arial \u00C4"))));
  std::string value = "stale";
  ReadIPCValueSync("DEFAULTFONT", false, "", value);
  EXPECT_EQ(value, "Arial \xC4");
  ASSERT_EQ(transport.records.size(), 1u);
  EXPECT_EQ(transport.opened[0], "\\\\.\\pipe\\ZVService");
  std::string run = RequestRun(transport.records[0]);
  EXPECT_EQ(run.size(), 95u);
  EXPECT_EQ(run, StringEntry(u"COMMAND", u"DEFAULTFONT") + LE(10, 4) +
                     exchange_test::Utf16(u"INDEX") + LE(4, 8) + LE(0xFFFFFFFF, 4) + LE(8, 4) +
                     exchange_test::Utf16(u"SYNC") + LE(1, 8) + "\x01");
}

TEST_F(ExchangeCalls, AsyncWriteSendsIndexAndDataWithoutSync) {
  FakeTransport transport;
  transport.scripts.push_back(Answering(Frame("", "")));
  EXPECT_TRUE(WriteIPCValueASync("{", 11, false, "OUTDATA"));
  std::string run = RequestRun(transport.records.at(0));
  std::string data = StringEntry(u"DATA", u"{");
  EXPECT_EQ(data.size(), 22u);
  EXPECT_EQ(run, StringEntry(u"COMMAND", u"OUTDATA") + LE(10, 4) + exchange_test::Utf16(u"INDEX") +
                     LE(4, 8) + LE(11, 4) + data);
}

TEST_F(ExchangeCalls, SyncWriteReturnsTheReply) {
  FakeTransport transport;
  transport.scripts.push_back(Answering(Frame("", StringEntry(u"DATA", u"OK"))));
  std::string reply;
  WriteIPCValueSync("{}", 11, false, "OUTDATA", reply);
  EXPECT_EQ(reply, "OK");
  std::string run = RequestRun(transport.records.at(0));
  EXPECT_EQ(run.substr(run.size() - 21), LE(8, 4) + exchange_test::Utf16(u"SYNC") + LE(1, 8) + "\x01");
}

// With empty data nothing is read or sent: a location file held by another process would
// otherwise keep the call waiting for ten seconds.
TEST_F(ExchangeCalls, EmptyDataNeitherReadsTheFileNorOpensAPipe) {
  FakeTransport transport;
  platform::FileHold hold(LocationPath(), true);
  ASSERT_TRUE(hold.ok());
  const int64_t start = platform::WallClockMilliseconds();
  std::string reply = "stale";
  WriteIPCValueSync("", 11, true, "OUTDATA", reply);
  EXPECT_EQ(reply, "");
  EXPECT_FALSE(WriteIPCValueASync("", 11, true, "OUTDATA"));
  EXPECT_LT(platform::WallClockMilliseconds() - start, 500);
  EXPECT_TRUE(transport.opened.empty());
}

TEST_F(ExchangeCalls, FirstLineOfTheLocationFileNamesThePipe) {
  struct Case {
    std::string file;
    std::string pipe;
  } cases[] = {
      {"PipeA\r\nPipeB\r\n", "PipeA"},
      {" Pipe A \n", " Pipe A "},
      {"PipeC", "PipeC"},
      {std::string("PipeD\0rest\r\n", 12), "PipeD"},
      {"\r\nPipeE", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    Location(c.file);
    std::string name = "stale";
    ReadExchangeServiceName(name);
    EXPECT_EQ(name, c.pipe) << Hex(c.file);
  }
  Location("PipeA\r\nPipeB");
  FakeTransport transport;
  std::string value;
  ReadIPCValueSync("TAXH", false, "", value);
  EXPECT_EQ(transport.opened.at(0), "\\\\.\\pipe\\PipeA");
}

TEST_F(ExchangeCalls, MissingLocationFileMeansNoServer) {
  ASSERT_TRUE(std::remove(LocationPath().c_str()) == 0);
  FakeTransport transport;
  transport.openResults = {2, 2, 2};
  transport.waitError = 2;
  std::string value;
  ReadIPCValueSync("TAXH", false, "", value);
  EXPECT_EQ(value, "");
  EXPECT_EQ(transport.opened, std::vector<std::string>(3, "\\\\.\\pipe\\"));
}

// The tick count on Windows moves in steps of up to 16 ms, so a pause of 50 ms can read as 34.
constexpr int64_t kClockStep = 16;

TEST_F(ExchangeCalls, ServiceAnsweringTheSecondAttempt) {
  FakeTransport transport;
  transport.openResults = {2};
  transport.waitError = 2;
  const int64_t start = platform::WallClockMilliseconds();
  std::string value;
  // The first open fails, its wait fails at once; the second attempt connects.
  transport.scripts.push_back(Answering(Frame("", StringEntry(u"DATA", u"19"))));
  ReadIPCValueSync("TAXH", false, "", value);
  const int64_t took = platform::WallClockMilliseconds() - start;
  EXPECT_EQ(value, "19");
  EXPECT_EQ(transport.opened.size(), 2u);
  EXPECT_GE(took, 50 - kClockStep);
  EXPECT_LT(took, 1000);
}

TEST_F(ExchangeCalls, NoServiceMeansThreeAttemptsAndNoException) {
  FakeTransport transport;
  transport.openResults = {2, 2, 2, 2, 2, 2, 2, 2, 2};
  transport.waitError = 2;
  const int64_t start = platform::WallClockMilliseconds();
  std::string value = "stale";
  ReadIPCValueSync("TAXH", false, "", value);
  EXPECT_EQ(value, "");
  std::string reply = "stale";
  WriteIPCValueSync("{}", 11, false, "OUTDATA", reply);
  EXPECT_EQ(reply, "");
  EXPECT_FALSE(WriteIPCValueASync("{}", 11, false, "OUTDATA"));
  const int64_t took = platform::WallClockMilliseconds() - start;
  EXPECT_EQ(transport.opened.size(), 9u);
  EXPECT_GE(took, 9 * 50 - kClockStep);
  EXPECT_LT(took, 3000);
}

TEST_F(ExchangeCalls, RaisingCallersGetTheServiceText) {
  FakeTransport transport;
  transport.openResults.assign(10, 2);
  transport.waitError = 2;
  std::string value;
  try {
    ReadIPCValueSync("TAXH", true, "", value);
    FAIL();
  } catch (const TIPCClientException& e) {
    EXPECT_STREQ(e.what(),
                 "Named Pipe Error [ReadIPCValueSync]\r\nErrorDesc: WaitNamedPipe failed while "
                 "wating for the pipe\r\nComputerName: .\r\nServerName: ZVService");
  }
  try {
    WriteIPCValueSync("{}", 11, true, "OUTDATA", value);
    FAIL();
  } catch (const TIPCClientException& e) {
    EXPECT_STREQ(e.what(), "WriteIPCValueSync: Der Server ZVService antwortet nicht");
  }
  try {
    WriteIPCValueASync("{}", 11, true, "OUTDATA");
    FAIL();
  } catch (const TIPCClientException& e) {
    EXPECT_STREQ(e.what(), "WriteIPCValueASync: Der Server ZVService antwortet nicht");
  }
  EXPECT_EQ(transport.opened.size(), 3u) << "one attempt each";
}

// Half an answer is no answer: a cut "TAXH" must not become the tax rate.
TEST_F(ExchangeCalls, SettingsComeOnlyFromCompleteAnswers) {
  FakeTransport transport;
  std::string run = StringEntry(u"DATA", u"19");
  for (int i = 0; i < 4; ++i) {
    transport.scripts.push_back(Answering(LE(0, 8) + LE(run.size() + 4, 8) + run));
  }
  std::string value = "stale";
  TIPCResult result;
  RequestIPCValue("TAXH", "ZVService", result, "", value);
  EXPECT_FALSE(result.Answered);
  EXPECT_EQ(result.ErrorDesc, "ReadFile failed while reading message data");
  EXPECT_EQ(result.ServerName, "ZVService");
  EXPECT_EQ(result.ComputerName, ".");
  EXPECT_EQ(value, "");
  ReadIPCValueSync("TAXH", false, "", value);
  EXPECT_EQ(value, "");
  EXPECT_EQ(transport.records.size(), 4u) << "one attempt, then three";
}

TEST_F(ExchangeCalls, AnswerWithoutDataCountsAsAnswered) {
  FakeTransport transport;
  transport.scripts.push_back(Answering(Frame("", StringEntry(u"OTHER", u"x"))));
  std::string value = "stale";
  ReadIPCValueSync("TAXH", false, "", value);
  EXPECT_EQ(value, "");
  EXPECT_EQ(transport.records.size(), 1u);
}

}  // namespace
}  // namespace exchange
