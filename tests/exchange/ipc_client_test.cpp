#include <gtest/gtest.h>

#include "exchange/ipc_client.h"
#include "fake_pipe.h"

namespace exchange {
namespace {

using exchange_test::FakeScript;
using exchange_test::FakeTransport;
using exchange_test::Frame;
using exchange_test::Hex;
using exchange_test::LE;
using exchange_test::StringEntry;

MessageRef Request95() {
  MessageRef request = NewMessage();
  request->GetData().PutString(u"COMMAND", u"DEFAULTFONT");
  request->GetData().PutInteger(u"INDEX", -1);
  request->GetData().PutBoolean(u"SYNC", true);
  return request;
}

std::string Answer(const std::u16string& data, const std::string& id = "") {
  return Frame(id, StringEntry(u"DATA", data));
}

TEST(IPCClient, SelectServerBuildsThePipePath) {
  TIPCClient client;
  EXPECT_EQ(client.ComputerName, ".");
  client.SelectServer("X");
  EXPECT_EQ(client.PipePath, "\\\\.\\pipe\\X");
  client.SelectServer("");
  EXPECT_EQ(client.PipePath, "\\\\.\\pipe\\");
}

TEST(IPCClient, RequestFrameThenEndMarkerThenClose) {
  FakeTransport transport;
  FakeScript script;
  script.answer = Answer(u"Arial");
  transport.scripts.push_back(script);
  TIPCClient client;
  client.SelectServer("ZV");
  MessageRef request = Request95();
  ASSERT_EQ(request->GetData().Size(), 95);
  MessageRef answer;
  client.Exchange(request, 5000, answer);

  ASSERT_TRUE(client.Answered);
  EXPECT_EQ(client.ErrorDesc, "");
  EXPECT_EQ(client.ErrorCode, 0u);
  EXPECT_EQ(transport.opened, std::vector<std::string>{"\\\\.\\pipe\\ZV"});
  const auto& record = transport.records.at(0);
  ASSERT_EQ(record.writes.size(), 4u);  // ID length + ID, data length, one chunk, end marker
  EXPECT_EQ(Hex(record.writes[0]), "0000000000000000");
  EXPECT_EQ(Hex(record.writes[1]), "5F00000000000000");
  EXPECT_EQ(record.writes[2], request->GetData().Bytes());
  EXPECT_EQ(Hex(record.writes[3]), "FFFFFFFFFFFFFFFF");
  EXPECT_TRUE(record.closed);
  EXPECT_FALSE(client.Connected);
  EXPECT_EQ(answer->GetData().GetString(u"DATA"), u"Arial");
}

TEST(IPCClient, IdGoesOutInOneWriteAndDataInFullChunks) {
  FakeTransport transport;
  TIPCClient client;
  client.SelectServer("ZV");
  MessageRef request = NewMessage();
  request->SetID("REQ");
  std::u16string big(65536 + 10, u'x');  // run: 12 + 8 + 131092 bytes
  request->GetData().PutString(u"DATA", big);
  const size_t size = request->GetData().Bytes().size();
  MessageRef answer;
  client.Exchange(request, 5000, answer);
  const auto& writes = transport.records.at(0).writes;
  ASSERT_EQ(writes.size(), 6u);
  EXPECT_EQ(writes[0], LE(3, 8) + "REQ");
  EXPECT_EQ(writes[1], LE(size, 8));
  EXPECT_EQ(writes[2].size(), 65536u);
  EXPECT_EQ(writes[3].size(), 65536u);
  EXPECT_EQ(writes[4].size(), size - 2 * 65536);
  EXPECT_EQ(writes[2] + writes[3] + writes[4], request->GetData().Bytes());
  // The default fake answers nothing: the read fails once the service has gone.
  EXPECT_FALSE(client.Answered);
  EXPECT_EQ(client.ErrorDesc, "ReadFile failed while reading message ID length");
  EXPECT_EQ(client.ErrorCode, 109u);
  ASSERT_TRUE(answer);
}

TEST(IPCClient, ConnectFailures) {
  struct Case {
    const char* what;
    std::deque<uint32_t> opens;
    uint32_t waitError;
    uint32_t timeoutMs;
    const char* desc;
    uint32_t code;
  } cases[] = {
      {"no service", {2}, 2, 5000, "WaitNamedPipe failed while wating for the pipe", 2},
      {"busy, wait runs out", {231}, 121, 5000, "WaitNamedPipe failed while wating for the pipe", 121},
      {"access denied", {5}, 0, 5000, "CreateFile failed while creating new pipe handle", 5},
      {"zero time-out", {}, 0, 0, "IPC client failed with WAIT timeout", 258},
  };
  for (const Case& c : cases) {
    FakeTransport transport;
    transport.openResults = c.opens;
    transport.waitError = c.waitError;
    TIPCClient client;
    client.SelectServer("ZV");
    MessageRef answer = NewMessage();
    const int64_t start = platform::WallClockMilliseconds();
    client.Exchange(Request95(), c.timeoutMs, answer);
    EXPECT_LT(platform::WallClockMilliseconds() - start, 1000) << c.what;
    EXPECT_EQ(client.ErrorDesc, c.desc) << c.what;
    EXPECT_EQ(client.ErrorCode, c.code) << c.what;
    EXPECT_FALSE(client.Answered) << c.what;
    EXPECT_FALSE(answer) << c.what;
    EXPECT_TRUE(transport.records.empty()) << c.what;
    EXPECT_EQ(transport.opened.size(), c.timeoutMs ? 1u : 0u) << c.what;
  }
}

TEST(IPCClient, WaitThatKeepsLosingTheInstanceEndsInTimeout) {
  FakeTransport transport;
  transport.openResults.assign(1000, 231);
  transport.waitSleepMs = 20;
  TIPCClient client;
  client.SelectServer("ZV");
  MessageRef answer;
  const int64_t start = platform::WallClockMilliseconds();
  client.Exchange(Request95(), 200, answer);
  const int64_t took = platform::WallClockMilliseconds() - start;
  EXPECT_EQ(client.ErrorDesc, "IPC client failed with WAIT timeout");
  EXPECT_EQ(client.ErrorCode, 258u);
  EXPECT_GE(took, 190);
  EXPECT_LT(took, 1500);
  ASSERT_GE(transport.waitTimeouts.size(), 2u);
  EXPECT_LE(transport.waitTimeouts[0], 200u);
  EXPECT_LT(transport.waitTimeouts.back(), transport.waitTimeouts[0]);  // only what is left
}

TEST(IPCClient, WaitThenOpenConnects) {
  FakeTransport transport;
  transport.openResults = {2, 231};
  TIPCClient client;
  client.SelectServer("ZV");
  MessageRef answer;
  client.Exchange(Request95(), 5000, answer);
  EXPECT_FALSE(client.Answered);  // the default fake sends nothing back
  EXPECT_EQ(transport.opened.size(), 3u);
  EXPECT_EQ(transport.records.size(), 1u);
}

TEST(IPCClient, AnswersAreAssembledFromAnyPieces) {
  const std::u16string data(70000, u'\u00F6');
  for (size_t piece : {size_t{1}, size_t{3}, size_t{7}, size_t{65535}, size_t{0}}) {
    for (bool moreData : {false, true}) {
      FakeTransport transport;
      FakeScript script;
      script.answer = Answer(data, "ID7");
      script.piece = piece;
      script.moreDataErrors = moreData;
      transport.scripts.push_back(script);
      TIPCClient client;
      client.SelectServer("ZV");
      MessageRef answer;
      client.Exchange(Request95(), 5000, answer);
      ASSERT_TRUE(client.Answered) << piece << " " << moreData << " " << client.ErrorDesc;
      std::string id;
      answer->GetID(id);
      EXPECT_EQ(id, "ID7");
      EXPECT_EQ(answer->GetData().Position(), 0);
      EXPECT_EQ(answer->GetData().GetString(u"DATA"), data) << piece;
    }
  }
}

TEST(IPCClient, EmptyAnswerCountsAsAnswered) {
  FakeTransport transport;
  FakeScript script;
  script.answer = Frame("", "");
  transport.scripts.push_back(script);
  TIPCClient client;
  client.SelectServer("ZV");
  MessageRef answer;
  client.Exchange(Request95(), 5000, answer);
  ASSERT_TRUE(client.Answered);
  std::string id = "x";
  answer->GetID(id);
  EXPECT_EQ(id, "");
  EXPECT_EQ(answer->GetData().Size(), 0);
}

// The service may say anything: lengths that cannot be true, a pipe closed halfway, reads of
// nothing. None may crash, allocate what the lengths claim, or spin.
TEST(IPCClient, HostileAnswersAreNotAnswered) {
  const std::string run = StringEntry(u"DATA", u"19");
  struct Case {
    const char* what;
    std::string answer;
    bool zeroRead;
    const char* desc;
    uint32_t code;
    bool dataKept;
  } cases[] = {
      {"nothing", "", false, "ReadFile failed while reading message ID length", 109, false},
      {"ID length cut", LE(0, 4), false, "ReadFile failed while reading message ID length", 109, false},
      {"negative ID length", LE(~0ull, 8), false, "ReadFile failed while reading message ID length", 13, false},
      {"huge ID length", LE(1ull << 62, 8) + "abc", false, "ReadFile failed while reading message ID length", 13, false},
      {"ID cut short", LE(100, 8) + "abc", false, "ReadFile failed while reading message ID", 109, false},
      {"ID of 2 GiB, 3 bytes sent", LE(0x7FFFFFFF, 8) + "abc", false, "ReadFile failed while reading message ID", 109, false},
      {"negative data length", LE(0, 8) + LE(~0ull - 5, 8) + run, false, "ReadFile failed while reading message data size", 13, false},
      {"huge data length", LE(0, 8) + LE(1ull << 40, 8) + run, false, "ReadFile failed while reading message data size", 13, false},
      {"data cut short", LE(0, 8) + LE(run.size() + 10, 8) + run, false, "ReadFile failed while reading message data", 109, true},
      {"zero-byte read", LE(0, 8) + LE(run.size() + 10, 8) + run, true, "ReadFile failed while reading message data", 109, true},
      {"zero-byte read in length", LE(0, 8) + LE(0, 3), true, "ReadFile failed while reading message data size", 109, false},
  };
  for (const Case& c : cases) {
    FakeTransport transport;
    FakeScript script;
    script.answer = c.answer;
    script.zeroReadAtEnd = c.zeroRead;
    script.piece = 5;
    transport.scripts.push_back(script);
    TIPCClient client;
    client.SelectServer("ZV");
    MessageRef answer;
    client.Exchange(Request95(), 5000, answer);
    EXPECT_FALSE(client.Answered) << c.what;
    EXPECT_EQ(client.ErrorDesc, c.desc) << c.what;
    EXPECT_EQ(client.ErrorCode, c.code) << c.what;
    ASSERT_TRUE(answer) << c.what;
    EXPECT_EQ(answer->GetData().Size(), c.dataKept ? static_cast<int64_t>(run.size()) : 0) << c.what;
    // The end marker still goes out, and the pipe is closed.
    EXPECT_EQ(Hex(transport.records[0].writes.back()), "FFFFFFFFFFFFFFFF") << c.what;
    EXPECT_TRUE(transport.records[0].closed) << c.what;
  }
}

TEST(IPCClient, ReadsNeverAskForMoreThanIsMissing) {
  FakeTransport transport;
  FakeScript script;
  const std::u16string data(40000, u'a');  // a run of 80,020 bytes
  script.answer = Answer(data, "ID") + "TRAILING BYTES OF A CHATTY SERVICE";
  transport.scripts.push_back(script);
  TIPCClient client;
  client.SelectServer("ZV");
  MessageRef answer;
  client.Exchange(Request95(), 5000, answer);
  ASSERT_TRUE(client.Answered);
  const auto& record = transport.records[0];
  EXPECT_EQ(record.answerLeft, std::string("TRAILING BYTES OF A CHATTY SERVICE").size());
  std::vector<size_t> expected{8, 2, 8, 65536, 80020 - 65536};
  EXPECT_EQ(record.readAsks, expected);
}

TEST(IPCClient, WriteFailuresNameTheirStep) {
  const char* steps[] = {"WriteFile failed while writing message ID",
                         "WriteFile failed while writing message data size",
                         "WriteFile failed while writing message chunk"};
  for (int failing = 0; failing < 3; ++failing) {
    FakeTransport transport;
    FakeScript script;
    script.failWrite = failing;
    script.answer = Answer(u"x");
    transport.scripts.push_back(script);
    TIPCClient client;
    client.SelectServer("ZV");
    MessageRef answer = NewMessage();
    client.Exchange(Request95(), 5000, answer);
    EXPECT_EQ(client.ErrorDesc, steps[failing]);
    EXPECT_EQ(client.ErrorCode, 232u);
    EXPECT_FALSE(client.Answered);
    EXPECT_FALSE(answer) << "no answer when the request did not go out";
    EXPECT_TRUE(transport.records[0].readAsks.empty());
  }
}

}  // namespace
}  // namespace exchange
