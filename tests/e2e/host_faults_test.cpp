// The real gaeb-importer against a host whose exchange service is missing, busy, slow, broken
// or hostile. Whatever the host does, the tool ends on its own with exit code 0, makes its
// three attempts per call, and whatever the host takes in is the document gaeb2json prints.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "stub_session.h"

namespace e2e {
namespace {
namespace fs = std::filesystem;

const std::vector<std::string> kSettings = {"TAXH=19", "DEFAULTFONT=Arial"};
const std::vector<std::string> kFullRun = {"DEFAULTFONT", "TAXH", "OUTDATA"};
// Far beyond the worst case of nine attempts that each wait out the pipe: only a hang fails.
constexpr double kNeverSeconds = 180;

struct TimedRun {
  platform::ProcessResult importer;
  double seconds = 0;
};

TimedRun RunImporter(const std::string& fixture) {
  const auto start = std::chrono::steady_clock::now();
  TimedRun run;
  run.importer = platform::RunProcess(Program(GAEB_IMPORTER), {"2", "x", "x", Fixture(fixture)});
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return run;
}

void Report(const std::string& what, const TimedRun& run, int requests, int refused) {
  std::cout << "[ fault    ] " << what << ": exit " << run.importer.exitCode << ", " << requests
            << " requests, " << refused << " refused, " << run.seconds << " s\n";
}

// What the host must receive: the document gaeb2json makes with the same TAXH answer.
std::string Gaeb2Json(const std::string& fixture, const std::string& taxh) {
  std::vector<std::string> args{Fixture(fixture)};
  if (!taxh.empty()) args.insert(args.end(), {"--taxh", taxh});
  platform::ProcessResult r = platform::RunProcess(Program(GAEB2JSON), args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_FALSE(r.out.empty());
  return r.out;
}

// Each call's command, `times` times over, in the order the importer makes the calls.
std::vector<std::string> Attempts(const std::vector<int>& times) {
  std::vector<std::string> out;
  for (size_t i = 0; i < kFullRun.size(); ++i) out.insert(out.end(), times[i], kFullRun[i]);
  return out;
}

// Leaves no folder or stale name at the service location for the tests that follow.
class HostFaults : public ::testing::Test {
 protected:
  void TearDown() override { ClearLocation(); }
  static void ClearLocation() {
    std::error_code ec;
    fs::remove_all(fs::path(LocationFile()), ec);
  }
};

TEST_F(HostFaults, NoServiceEndsQuietlyAndSoon) {
  struct Case {
    const char* name;
    void (*prepare)();
  } cases[] = {
      {"no location file", [] {}},
      // A folder is no file to read: as good as a missing one.
      {"folder in place of the location file", [] { fs::create_directory(LocationFile()); }},
      {"location file naming a pipe nobody serves",
       [] {
         ASSERT_EQ(platform::WriteWholeFileExclusive(LocationFile(), "gaeb-faults-nobody\r\n"), 0u);
       }},
      {"location file with an empty first line",
       [] { ASSERT_EQ(platform::WriteWholeFileExclusive(LocationFile(), "\r\nPipeB\r\n"), 0u); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearLocation();
    c.prepare();
    TimedRun run = RunImporter("sample.d83");
    Report(c.name, run, 0, 0);
    EXPECT_EQ(run.importer.exitCode, 0);
    EXPECT_EQ(run.importer.err, "");
    EXPECT_EQ(run.importer.out, "");
    EXPECT_LT(run.seconds, kNeverSeconds);
  }
}

// Every instance stays taken: each attempt waits out the pipe's time-out, then gives up.
TEST_F(HostFaults, BusyServiceIsGivenUp) {
  // It never serves anyone, so it runs until its time is up, past the importer's nine waits.
  StubSession stub({kSettings, -1, {"--busy"}, 50, false});
  ASSERT_TRUE(stub.listening());
  TimedRun run = RunImporter("sample.d83");
  Received received = stub.Finish();
  Report("busy service", run, static_cast<int>(received.commands.size()), received.refused);
  EXPECT_EQ(run.importer.exitCode, 0);
  EXPECT_EQ(run.importer.err, "");
  EXPECT_TRUE(received.commands.empty()) << received.stubOutput;
  // It did wait for the pipe rather than give up at once, and it did not hang.
  EXPECT_GT(run.seconds, 5.0);
  EXPECT_LT(run.seconds, kNeverSeconds);
}

// Once the pipe is open the answer is awaited however long it takes, well past the
// five seconds allowed for opening.
TEST_F(HostFaults, SlowAnswerIsAwaited) {
  // The stub stops by itself after the third request: a closing request would wait as well.
  StubSession stub({kSettings, 3, {"--delay-ms", "5200"}, 60, false});
  ASSERT_TRUE(stub.listening());
  TimedRun run = RunImporter("sample.d83");
  Received received = stub.Finish();
  Report("answers after 5.2 s", run, static_cast<int>(received.commands.size()),
         received.refused);
  EXPECT_EQ(run.importer.exitCode, 0);
  EXPECT_EQ(run.importer.err, "");
  EXPECT_EQ(received.commands, kFullRun);
  EXPECT_EQ(received.outdata, Gaeb2Json("sample.d83", "19"));
}

// Three attempts per call, and every attempt carries the whole document.
TEST_F(HostFaults, ServiceThatLeavesWithoutAnswering) {
  StubSession stub({kSettings, 9, {"--drop-after-request"}, 30, true});
  ASSERT_TRUE(stub.listening());
  TimedRun run = RunImporter("sample.d83");
  Received received = stub.Finish();
  Report("closes after the request", run, static_cast<int>(received.commands.size()),
         received.refused);
  EXPECT_EQ(run.importer.exitCode, 0);
  EXPECT_EQ(run.importer.err, "");
  EXPECT_EQ(received.commands, Attempts({3, 3, 3}));
  const std::string expected = Gaeb2Json("sample.d83", "");
  ASSERT_EQ(received.outdataAll.size(), 3u);
  for (const std::string& document : received.outdataAll) EXPECT_EQ(document, expected);
  EXPECT_LT(run.seconds, kNeverSeconds);
}

TEST_F(HostFaults, GarbageAnswers) {
  const std::string zero = "0000000000000000";
  struct Case {
    const char* name;
    std::string hex;
    int attempts;  // per call
  } cases[] = {
      {"four bytes, then the pipe closes", "DEADBEEF", 3},
      {"an ID longer than any message", "FFFFFFFFFFFFFF7F" + zero, 3},
      {"a negative data length", zero + "FFFFFFFFFFFFFFFF", 3},
      {"a data length the service never delivers", zero + "6400000000000000" + "0400", 3},
      // Complete by its framing, so it counts as answered; the scrambled run holds no DATA.
      {"a complete frame around a scrambled run", zero + "0600000000000000" + "FFFFFFFF0102", 1},
  };
  const std::string expected = Gaeb2Json("sample.d83", "");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StubSession stub({kSettings, 3 * c.attempts, {"--answer-hex", c.hex}, 30, true});
    ASSERT_TRUE(stub.listening());
    TimedRun run = RunImporter("sample.d83");
    Received received = stub.Finish();
    Report(std::string("garbage: ") + c.name, run, static_cast<int>(received.commands.size()),
           received.refused);
    EXPECT_EQ(run.importer.exitCode, 0);
    EXPECT_EQ(run.importer.err, "");
    EXPECT_EQ(received.commands, Attempts({c.attempts, c.attempts, c.attempts}));
    ASSERT_EQ(received.outdataAll.size(), static_cast<size_t>(c.attempts));
    for (const std::string& document : received.outdataAll) EXPECT_EQ(document, expected);
    EXPECT_LT(run.seconds, kNeverSeconds);
  }
}

// The stub closes the first N connections at once; each call has three attempts of its own.
TEST_F(HostFaults, RefusedConnectionsAreRetried) {
  struct Case {
    int refuse;
    std::vector<std::string> served;
    std::string taxh;  // what the importer ends up with
  } cases[] = {
      {2, kFullRun, "19"},                   // the first call succeeds at its third attempt
      {3, {"TAXH", "OUTDATA"}, "19"},        // the first call fails, the rest go on
      {8, {"OUTDATA"}, ""},                  // both settings fail, the document's third try lands
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("refuse " + std::to_string(c.refuse));
    StubSession stub({kSettings, static_cast<int>(c.served.size()),
                      {"--refuse-first", std::to_string(c.refuse)}, 30, true});
    ASSERT_TRUE(stub.listening());
    TimedRun run = RunImporter("sample.d83");
    Received received = stub.Finish();
    Report("refuse first " + std::to_string(c.refuse), run,
           static_cast<int>(received.commands.size()), received.refused);
    EXPECT_EQ(run.importer.exitCode, 0);
    EXPECT_EQ(run.importer.err, "");
    EXPECT_EQ(received.refused, c.refuse) << received.stubErrors;
    EXPECT_EQ(received.commands, c.served);
    ASSERT_EQ(received.outdataAll.size(), 1u);
    EXPECT_EQ(received.outdata, Gaeb2Json("sample.d83", c.taxh));
  }
}

// Another process holds the location file without sharing it. Held for good, the first
// settings call gives up after its ten seconds of retries and the failure is shown; held
// briefly, the retries wait it out and the import runs as usual.
TEST_F(HostFaults, LocationFileHeldByAnotherProcess) {
  {
    StubSession stub(kSettings, 0);
    ASSERT_TRUE(stub.listening());
    TimedRun run;
    {
      platform::FileHold hold(LocationFile(), true);
      ASSERT_TRUE(hold.ok());
      run = RunImporter("sample.d83");
    }
    Received received = stub.Finish();
    Report("location file held throughout", run, static_cast<int>(received.commands.size()),
           received.refused);
    EXPECT_EQ(run.importer.exitCode, 0);
    EXPECT_EQ(run.importer.err.rfind("GAEB Importer: ", 0), 0u) << run.importer.err;
    EXPECT_NE(run.importer.err.find("ZVX-EXCHANGELOCALSERVICE.TXT"), std::string::npos)
        << run.importer.err;
    EXPECT_TRUE(received.commands.empty());
    EXPECT_GT(run.seconds, 5.0);
    EXPECT_LT(run.seconds, kNeverSeconds);
  }
  {
    StubSession stub(kSettings, 3);
    ASSERT_TRUE(stub.listening());
    auto hold = std::make_unique<platform::FileHold>(LocationFile(), true);
    ASSERT_TRUE(hold->ok());
    std::thread release([&hold] {
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      hold.reset();
    });
    TimedRun run = RunImporter("sample.d83");
    release.join();
    Received received = stub.Finish();
    Report("location file held for 1.5 s", run, static_cast<int>(received.commands.size()),
           received.refused);
    EXPECT_EQ(run.importer.exitCode, 0);
    EXPECT_EQ(run.importer.err, "");
    EXPECT_EQ(received.commands, kFullRun);
    EXPECT_EQ(received.outdata, Gaeb2Json("sample.d83", "19"));
  }
}

}  // namespace
}  // namespace e2e
