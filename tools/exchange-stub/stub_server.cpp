#include "stub_server.h"

#include <cstdio>

#include "json_table.h"
#include "platform/platform.h"
#include "stub_frames.h"
#include "support/support.h"

namespace stub {
namespace {

std::string Number3(int64_t n) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "%03lld", static_cast<long long>(n));
  return buffer;
}

std::string FileSafe(const std::string& text) {
  std::string out;
  for (char c : text) {
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                 c == '_' || c == '-';
    out.push_back(plain ? c : '_');
  }
  return out;
}

}  // namespace

StubServer::StubServer(StubOptions options, std::ostream& out, std::ostream& err)
    : options_(std::move(options)), out_(out), err_(err) {}

void StubServer::Save(const std::string& raw, const std::string& command,
                      const std::u16string* data) {
  if (options_.saveDir.empty()) return;
  std::string base = support::AddBackslash(options_.saveDir) + Number3(served_);
  if (platform::WriteWholeFileExclusive(base + ".bin", raw) != 0) {
    err_ << "cannot write " << base << ".bin\n";
  }
  if (data) {
    std::string path = base + "-" + FileSafe(command) + ".txt";
    if (platform::WriteWholeFileExclusive(path, platform::WideToAnsi(*data)) != 0) {
      err_ << "cannot write " << path << "\n";
    }
  }
}

bool StubServer::Serve(platform::PipeConnection& pipe) {
  Frame frame;
  std::string why;
  if (!ReadFrame(pipe, frame, why)) {
    err_ << "connection dropped: " << why << "\n";
    return false;
  }
  ++served_;
  Request request = DecodeRequest(frame.run);
  Save(frame.Raw(), request.command, request.data ? &*request.data : nullptr);

  std::string end = "none";
  if (!options_.dropAfterRequest) {
    if (options_.delayMs) platform::Sleep(options_.delayMs);
    std::string answer;
    if (options_.answerBytes) {
      answer = *options_.answerBytes;
    } else {
      auto setting = options_.settings.find(request.command);
      std::optional<std::u16string> data;
      if (setting != options_.settings.end()) data = platform::AnsiToWide(setting->second);
      answer = AnswerFrame(data);
    }
    bool sent = true;
    if (options_.chunkBytes == 0) {
      sent = WriteAll(pipe, answer.data(), answer.size());
    } else {
      for (size_t at = 0; sent && at < answer.size(); at += options_.chunkBytes) {
        sent = WriteAll(pipe, answer.data() + at, std::min(options_.chunkBytes, answer.size() - at));
        platform::Sleep(1);
      }
    }
    // A made-up answer may leave the client waiting for more: closing is what ends it.
    if (!sent) {
      end = "unsent";
    } else if (!options_.answerBytes) {
      unsigned char marker[8];
      if (!ReadExact(pipe, marker, 8)) {
        end = "missing";
      } else {
        end = "ok";
        for (unsigned char b : marker) {
          if (b != 0xFF) end = "bad";
        }
      }
    }
  }
  out_ << "request " << served_ << ": command=" << request.command << " index="
       << (request.index ? std::to_string(*request.index) : std::string("none"))
       << " sync=" << (request.sync ? (*request.sync ? "true" : "false") : "none")
       << " data=" << (request.data ? request.data->size() : 0) << " run=" << frame.run.size()
       << " end=" << end << "\n";
  if (options_.table && request.data) {
    std::string table = PartsTable(platform::WideToAnsi(*request.data));
#ifndef _WIN32
    // Widths are counted in ANSI bytes; a POSIX terminal then wants the letters in UTF-8.
    table = support::AnsiToUtf8(table);
#endif
    if (!table.empty()) out_ << table;
  }
  out_.flush();
  return true;
}

int StubServer::Run(const volatile std::sig_atomic_t* stop) {
  uint32_t error = 0;
  std::unique_ptr<platform::PipeServer> server =
      platform::CreatePipeServer(options_.pipe, &error, options_.busy);
  if (!server) {
    err_ << "cannot create pipe " << options_.pipe << " (error " << error << ")\n";
    return 1;
  }
  if (options_.locationFile) {
    std::string path = support::TempSubFolder("") + "ZVX-EXCHANGELOCALSERVICE.TXT";
    // A client may be reading the previous name right now: its shared hold makes the
    // exclusive create fail with a sharing violation for a moment, so try again for a while.
    uint32_t error = platform::WriteWholeFileExclusive(path, options_.pipe + "\r\n");
    for (int i = 0; error == 32 && i < 500; ++i) {
      platform::Sleep(10);
      error = platform::WriteWholeFileExclusive(path, options_.pipe + "\r\n");
    }
    if (error != 0) {
      err_ << "cannot write " << path << "\n";
      return 1;
    }
  }
  const int64_t start = platform::WallClockMilliseconds();
  auto timeUp = [&] {
    return options_.maxSeconds >= 0 &&
           platform::WallClockMilliseconds() - start >= static_cast<int64_t>(options_.maxSeconds * 1000);
  };
  while (!(stop && *stop) && !timeUp()) {
    if (options_.requests >= 0 && served_ >= options_.requests) break;
    std::unique_ptr<platform::PipeConnection> pipe = server->AcceptFor(100, &error);
    if (!pipe) {
      if (error != platform::kErrorWaitTimeout) {
        err_ << "accept failed (error " << error << ")\n";
        return 1;
      }
      continue;
    }
    if (connections_++ < options_.refuseFirst) {
      err_ << "refused connection " << connections_ << "\n";
      continue;
    }
    Serve(*pipe);
  }
  return (options_.requests < 0 || served_ >= options_.requests) ? 0 : 1;
}

}  // namespace stub
