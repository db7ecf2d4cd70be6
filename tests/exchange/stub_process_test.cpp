// The client against the real stub process over the real pipes of this platform.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "exchange/exchange_calls.h"
#include "exchange/ipc_client.h"
#include "fake_pipe.h"
#include "platform/platform.h"
#include "support/support.h"

namespace exchange {
namespace {

using exchange_test::Frame;
using exchange_test::LE;
using exchange_test::StringEntry;

std::string StubPath() {
  std::string path = GAEB_STUB;
#ifdef _WIN32
  // Wine sees the build tree on drive Z:.
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  path = "Z:" + path;
#endif
  return path;
}

std::string LocationPath() { return support::TempSubFolder("") + kServiceLocationFile; }

std::string UniqueName(const std::string& stem) {
  static int counter = 0;
  return stem + "-" + std::to_string(platform::WallClockMilliseconds() % 100000000) + "-" +
         std::to_string(++counter);
}

std::string FirstLine(const std::string& path) {
  std::vector<std::string> lines;
  support::LoadLinesWithRetry(lines, path);
  return lines.empty() ? "" : lines[0];
}

// Runs the stub in the background and waits until it listens.
class Stub {
 public:
  Stub(const std::string& pipe, std::vector<std::string> args) : pipe_(pipe) {
    platform::WriteWholeFileExclusive(LocationPath(), "");
    args.insert(args.begin(), {"--pipe", pipe});
    done_ = std::async(std::launch::async, [args] { return platform::RunProcess(StubPath(), args); });
    for (int i = 0; i < 300 && FirstLine(LocationPath()) != pipe; ++i) {
      if (done_.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready) break;
      platform::Sleep(20);
    }
    listening_ = FirstLine(LocationPath()) == pipe;
  }
  bool listening() const { return listening_; }
  platform::ProcessResult Finish() { return done_.get(); }

 private:
  std::string pipe_;
  std::future<platform::ProcessResult> done_;
  bool listening_ = false;
};

std::vector<std::string> Lines(const std::string& text) { return support::SplitLines(text); }

MessageRef Request95() {
  MessageRef request = NewMessage();
  request->GetData().PutString(u"COMMAND", u"TAXH");
  request->GetData().PutInteger(u"INDEX", -1);
  request->GetData().PutBoolean(u"SYNC", true);
  return request;
}

TEST(StubProcess, SettingsAndDocumentByteForByte) {
  std::string save = support::TempSubFolder(UniqueName("stub-save"));
  std::string pipe = UniqueName("gaeb-e2e");
  Stub stub(pipe, {"--setting", "DEFAULTFONT=Arial", "--setting", "TAXH=19", "--save-dir", save,
                   "--requests", "3", "--max-seconds", "30", "--table"});
  ASSERT_TRUE(stub.listening());

  std::string font, tax;
  ReadIPCValueSync("DEFAULTFONT", false, "", font);
  ReadIPCValueSync("TAXH", false, "", tax);
  const std::string json =
      "{\"Order\":[{\"Parts\":[{\"TypLine\":\"1\",\"Description1\":\"Stra\xDF" "e \\u20ac\"},"
      "{\"TypLine\":\"2\",\"Price\":\"12,50\"}],\"AppendMode\":true}],\"Description\":\"GAEB\"}";
  EXPECT_TRUE(WriteIPCValueASync(json, 11, false, "OUTDATA"));
  platform::ProcessResult result = stub.Finish();

  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(font, "Arial");
  EXPECT_EQ(tax, "19");
  std::vector<std::string> lines = Lines(result.out);
  ASSERT_GE(lines.size(), 3u) << result.out;
  EXPECT_EQ(lines[0], "request 1: command=DEFAULTFONT index=-1 sync=true data=0 run=95 end=ok");
  EXPECT_EQ(lines[1], "request 2: command=TAXH index=-1 sync=true data=0 run=81 end=ok");
  EXPECT_EQ(lines[2], "request 3: command=OUTDATA index=11 sync=none data=" +
                          std::to_string(json.size()) + " run=" +
                          std::to_string(40 + 26 + 20 + 2 * json.size()) + " end=ok");
  EXPECT_NE(result.out.find("Parts: 2"), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("Description1"), std::string::npos) << result.out;
#ifdef _WIN32
  const std::string shown = "Stra\xDF" "e \x80";  // the ANSI bytes
#else
  const std::string shown = "Stra\xC3\x9F" "e \xE2\x82\xAC";  // UTF-8 for the terminal
#endif
  EXPECT_NE(result.out.find(shown), std::string::npos) << result.out;

  const std::string index = LE(10, 4) + exchange_test::Utf16(u"INDEX") + LE(4, 8);
  const std::string sync = LE(8, 4) + exchange_test::Utf16(u"SYNC") + LE(1, 8) + "\x01";
  EXPECT_EQ(support::LoadFileBytes(save + "001.bin"),
            Frame("", StringEntry(u"COMMAND", u"DEFAULTFONT") + index + LE(0xFFFFFFFF, 4) + sync));
  EXPECT_EQ(support::LoadFileBytes(save + "002.bin"),
            Frame("", StringEntry(u"COMMAND", u"TAXH") + index + LE(0xFFFFFFFF, 4) + sync));
  EXPECT_EQ(support::LoadFileBytes(save + "003-OUTDATA.txt"), json);
  EXPECT_EQ(support::LoadFileBytes(save + "003.bin"),
            Frame("", StringEntry(u"COMMAND", u"OUTDATA") + index + LE(11, 4) +
                          StringEntry(u"DATA", platform::AnsiToWide(json))));
  EXPECT_FALSE(support::FileIsPresent(save + "001-DEFAULTFONT.txt"));
}

TEST(StubProcess, RefusedFirstConnectionIsAnsweredOnTheSecondAttempt) {
  Stub stub(UniqueName("gaeb-refuse"), {"--setting", "TAXH=19", "--refuse-first", "1",
                                        "--requests", "1", "--max-seconds", "30"});
  ASSERT_TRUE(stub.listening());
  std::string tax;
  ReadIPCValueSync("TAXH", false, "", tax);
  platform::ProcessResult result = stub.Finish();
  EXPECT_EQ(tax, "19");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.err.find("refused connection 1"), std::string::npos) << result.err;
}

TEST(StubProcess, DroppedRequestsGiveNothing) {
  Stub stub(UniqueName("gaeb-drop"), {"--setting", "TAXH=19", "--drop-after-request",
                                      "--requests", "3", "--max-seconds", "30"});
  ASSERT_TRUE(stub.listening());
  std::string tax = "stale";
  ReadIPCValueSync("TAXH", false, "", tax);
  platform::ProcessResult result = stub.Finish();
  EXPECT_EQ(tax, "");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(Lines(result.out).size(), 3u) << result.out;
}

TEST(StubProcess, AnswerInSmallPiecesAfterADelay) {
  Stub stub(UniqueName("gaeb-chunks"), {"--setting", "TAXH=19,5", "--chunk-bytes", "3",
                                        "--delay-ms", "100", "--requests", "1", "--max-seconds", "30"});
  ASSERT_TRUE(stub.listening());
  std::string tax;
  ReadIPCValueSync("TAXH", false, "", tax);
  EXPECT_EQ(tax, "19,5");
  EXPECT_EQ(stub.Finish().exitCode, 0);
}

// Answers no service should give: the client must neither crash nor trust their lengths.
TEST(StubProcess, HostileAnswers) {
  const std::string run = StringEntry(u"DATA", u"19");
  struct Case {
    const char* what;
    std::string answer;
    const char* desc;
  } cases[] = {
      {"data length of 1 TiB", LE(0, 8) + LE(1ull << 40, 8) + run,
       "ReadFile failed while reading message data size"},
      {"negative ID length", LE(~0ull, 8), "ReadFile failed while reading message ID length"},
      {"cut short", LE(0, 8) + LE(run.size() + 100, 8) + run, "ReadFile failed while reading message data"},
  };
  for (const Case& c : cases) {
    Stub stub(UniqueName("gaeb-hostile"), {"--answer-hex", exchange_test::Hex(c.answer), "--requests",
                                           "1", "--max-seconds", "30"});
    ASSERT_TRUE(stub.listening()) << c.what;
    TIPCClient client;
    client.SelectServer(FirstLine(LocationPath()));
    MessageRef answer;
    client.Exchange(Request95(), 5000, answer);
    EXPECT_FALSE(client.Answered) << c.what;
    EXPECT_EQ(client.ErrorDesc, c.desc) << c.what;
    EXPECT_NE(client.ErrorCode, 0u) << c.what;
    EXPECT_EQ(stub.Finish().exitCode, 0) << c.what;
  }
}

TEST(StubProcess, BusyPipeRunsTheWaitOut) {
  Stub stub(UniqueName("gaeb-busy"), {"--busy", "--max-seconds", "3"});
  ASSERT_TRUE(stub.listening());
  TIPCClient client;
  client.SelectServer(FirstLine(LocationPath()));
  const int64_t start = platform::WallClockMilliseconds();
  client.Connect(400);
  const int64_t took = platform::WallClockMilliseconds() - start;
  EXPECT_FALSE(client.Connected);
  EXPECT_GE(took, 350);
  EXPECT_LT(took, 2500);
  EXPECT_EQ(client.ErrorDesc, "WaitNamedPipe failed while wating for the pipe");
  EXPECT_EQ(client.ErrorCode, 121u);
  EXPECT_EQ(stub.Finish().exitCode, 0);
}

TEST(StubProcess, NoServiceFailsAtOnce) {
  TIPCClient client;
  client.SelectServer(UniqueName("gaeb-nobody"));
  const int64_t start = platform::WallClockMilliseconds();
  MessageRef answer;
  client.Exchange(Request95(), 5000, answer);
  EXPECT_LT(platform::WallClockMilliseconds() - start, 1000);
  EXPECT_EQ(client.ErrorDesc, "WaitNamedPipe failed while wating for the pipe");
  EXPECT_EQ(client.ErrorCode, 2u);
  EXPECT_FALSE(answer);
}

TEST(StubProcess, NoLocationFileLeavesTheHostsFileAlone) {
  ASSERT_EQ(platform::WriteWholeFileExclusive(LocationPath(), "HostPipe\r\n"), 0u);
  std::string pipe = UniqueName("gaeb-quiet");
  auto done = std::async(std::launch::async, [pipe] {
    return platform::RunProcess(StubPath(), {"--pipe", pipe, "--no-location-file", "--setting",
                                             "TAXH=7", "--requests", "1", "--max-seconds", "20"});
  });
  // No file to tell us when it listens: try until it does.
  bool answered = false;
  for (int i = 0; i < 200 && !answered; ++i) {
    TIPCClient client;
    client.SelectServer(pipe);
    MessageRef answer;
    client.Exchange(Request95(), 50, answer);
    answered = client.Answered;
    if (answered) {
      EXPECT_EQ(answer->GetData().GetString(u"DATA"), u"7");
    } else {
      platform::Sleep(20);
    }
  }
  EXPECT_TRUE(answered);
  EXPECT_EQ(done.get().exitCode, 0);
  EXPECT_EQ(FirstLine(LocationPath()), "HostPipe");
}

TEST(StubProcess, HelpNamesEveryOption) {
  platform::ProcessResult result = platform::RunProcess(StubPath(), {"--help"});
  EXPECT_EQ(result.exitCode, 0);
  for (const char* option : {"--pipe", "--setting", "--save-dir", "--requests", "--max-seconds",
                             "--refuse-first", "--drop-after-request", "--delay-ms", "--busy",
                             "--table", "--no-location-file", "--answer-hex", "--help"}) {
    EXPECT_NE(result.out.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(platform::RunProcess(StubPath(), {"--bogus"}).exitCode, 2);
}

#ifndef _WIN32
TEST(PipeSocketPath, NamesNeverLeaveThePipeFolder) {
  const std::string folder = platform::GetTempPath() + "ZVTempDir/pipe/";
  struct Case {
    std::string pipe;
    std::string socket;
  } cases[] = {
      {"\\\\.\\pipe\\ZV-Exchange_1.0", folder + "ZV-Exchange_1.0"},
      {"\\\\.\\PIPE\\a b", folder + "a%20b"},
      {"\\\\.\\pipe\\../../etc/x", folder + "%2E.%2F..%2Fetc%2Fx"},
      {"\\\\.\\pipe\\..", folder + "%2E."},
      {"\\\\.\\pipe\\a\\b", folder + "a%5Cb"},
      {"\\\\.\\pipe\\\xE4", folder + "%E4"},
      {"\\\\.\\pipe\\", ""},
      {"\\\\server\\pipe\\x", ""},
      {"C:\\x", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(platform::PipeSocketPath(c.pipe), c.socket) << c.pipe;
}
#endif

}  // namespace
}  // namespace exchange
