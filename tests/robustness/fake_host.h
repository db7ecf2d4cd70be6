// An in-process exchange service behind the client's pipe transport: it reads each request,
// answers settings by name, and records what it was sent. Scripted raw answers and faults
// let a test (or a fuzzer) feed the client any bytes without a real service.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace robust {

inline std::string LE(uint64_t value, int width) {
  std::string out;
  for (int i = 0; i < width; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return out;
}
inline uint64_t ReadLE(const std::string& bytes, size_t at, int width) {
  uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
  return v;
}

// The string entries of a well-formed run (names and values as UTF-16 code units).
inline std::map<std::u16string, std::u16string> DecodeRun(const std::string& run) {
  std::map<std::u16string, std::u16string> values;
  size_t pos = 0;
  while (pos + 4 <= run.size()) {
    size_t n = static_cast<size_t>(ReadLE(run, pos, 4));
    pos += 4;
    if (n > run.size() - pos) break;
    std::u16string name;
    for (size_t i = 0; i + 1 < n; i += 2) name.push_back(static_cast<char16_t>(ReadLE(run, pos + i, 2)));
    pos += n;
    if (pos + 8 > run.size()) break;
    size_t v = static_cast<size_t>(ReadLE(run, pos, 8));
    pos += 8;
    if (v > run.size() - pos) break;
    std::u16string value;
    for (size_t i = 0; i + 1 < v; i += 2) value.push_back(static_cast<char16_t>(ReadLE(run, pos + i, 2)));
    pos += v;
    values.emplace(name, value);
  }
  return values;
}

inline std::string EncodeUnits(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += LE(c, 2);
  return out;
}
inline std::string StringEntry(const std::u16string& name, const std::u16string& value) {
  return LE(name.size() * 2, 4) + EncodeUnits(name) + LE(value.size() * 2, 8) + EncodeUnits(value);
}
inline std::string Frame(const std::string& id, const std::string& run) {
  return LE(id.size(), 8) + id + LE(run.size(), 8) + run;
}

// One request as the service saw it.
struct Request {
  std::string wire;                                 // every byte the client wrote
  std::map<std::u16string, std::u16string> values;  // its string entries
  std::string command() const { return Narrow(u"COMMAND"); }
  std::string data() const { return Narrow(u"DATA"); }
  // The entry in the system ANSI code page, as the client's caller would see it.
  std::string Narrow(const std::u16string& key) const {
    auto it = values.find(key);
    return it == values.end() ? std::string() : platform::WideToAnsi(it->second);
  }
  std::u16string Wide(const std::u16string& key) const {
    auto it = values.find(key);
    return it == values.end() ? std::u16string() : it->second;
  }
  bool endMarker = false;  // the client's 8 bytes FF after the answer
};

// What one connection does once the request is in.
struct Script {
  std::optional<std::string> raw;  // these bytes instead of an answer (then the pipe closes)
  bool closeBeforeAnswer = false;  // the service leaves without answering
  size_t piece = 0;                // largest piece per read; 0: as much as asked
  bool moreData = false;           // every read reports 234 yet delivers its bytes
};

class FakeHost : public platform::PipeTransport {
 public:
  FakeHost() { platform::SetPipeTransport(this); }
  ~FakeHost() override { platform::SetPipeTransport(nullptr); }
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  std::map<std::string, std::string> settings;  // command -> DATA of the answer (ANSI bytes)
  std::deque<uint32_t> openErrors;              // the next opens fail with these codes
  std::deque<Script> scripts;                   // one per connection; empty: a normal answer
  std::vector<Request> requests;                // one per connection, in order
  int opens = 0, waits = 0;
  size_t answerBytesLeft = 0;                   // bytes of the last answer never read

  class Connection : public platform::PipeConnection {
   public:
    Connection(FakeHost& host, Script script) : host_(host), script_(std::move(script)) {
      host_.requests.emplace_back();
    }
    bool Write(const void* data, size_t size, size_t* written, uint32_t* error) override {
      Request& r = host_.requests.back();
      if (answered_) {
        r.endMarker = size == 8 && std::string(static_cast<const char*>(data), 8) == std::string(8, '\xFF');
      } else {
        r.wire.append(static_cast<const char*>(data), size);
      }
      (void)error;
      *written = size;
      return true;
    }
    bool Read(void* buffer, size_t size, size_t* read, uint32_t* error) override {
      if (!answered_) Answer();
      *read = 0;
      if (pending_.empty()) {
        *error = platform::kErrorBrokenPipe;
        return false;
      }
      size_t n = std::min(size, pending_.size());
      if (script_.piece) n = std::min(n, script_.piece);
      std::memcpy(buffer, pending_.data(), n);
      pending_.erase(0, n);
      host_.answerBytesLeft = pending_.size();
      *read = n;
      if (script_.moreData) {
        *error = platform::kErrorMoreData;
        return false;
      }
      return true;
    }

   private:
    void Answer() {
      answered_ = true;
      Request& r = host_.requests.back();
      if (r.wire.size() >= 16) {
        size_t idLength = static_cast<size_t>(ReadLE(r.wire, 0, 8));
        if (idLength <= r.wire.size() - 16) {
          size_t d = static_cast<size_t>(ReadLE(r.wire, 8 + idLength, 8));
          size_t at = 16 + idLength;
          if (d <= r.wire.size() - at) r.values = DecodeRun(r.wire.substr(at, d));
        }
      }
      if (script_.closeBeforeAnswer) return;
      if (script_.raw) {
        pending_ = *script_.raw;
      } else {
        std::string run;
        auto it = host_.settings.find(r.command());
        if (it != host_.settings.end()) {
          run = StringEntry(u"DATA", platform::AnsiToWide(it->second));
        }
        pending_ = Frame("", run);
      }
      host_.answerBytesLeft = pending_.size();
    }

    FakeHost& host_;
    Script script_;
    bool answered_ = false;
    std::string pending_;
  };

  std::unique_ptr<platform::PipeConnection> Open(const std::string&, uint32_t* error) override {
    ++opens;
    if (!openErrors.empty()) {
      *error = openErrors.front();
      openErrors.pop_front();
      return nullptr;
    }
    Script script;
    if (!scripts.empty()) {
      script = scripts.front();
      scripts.pop_front();
    }
    return std::make_unique<Connection>(*this, script);
  }
  bool Wait(const std::string&, uint32_t, uint32_t* error) override {
    ++waits;
    // A service that is gone stays gone: the client must give up at once.
    *error = platform::kErrorFileNotFound;
    return false;
  }

  // The DATA of every OUTDATA request, in order.
  std::vector<std::string> Outdata() const {
    std::vector<std::string> out;
    for (const auto& r : requests) {
      if (r.command() == "OUTDATA") out.push_back(r.data());
    }
    return out;
  }
};

}  // namespace robust
