// An in-process pipe transport for the client: scripted opens and waits, a connection that
// records every write and serves a given answer in pieces, and faults on request.
#pragma once

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace exchange_test {

struct FakeScript {
  std::string answer;            // bytes the service sends back
  size_t piece = 0;              // largest piece per read; 0: as much as asked
  bool zeroReadAtEnd = false;    // a successful read of 0 bytes once the answer is used up
  bool moreDataErrors = false;   // every read fails with 234 yet delivers its bytes
  int failWrite = -1;            // the n-th write (0-based) fails with 232
};

struct FakeRecord {
  std::vector<std::string> writes;  // each Write call's bytes
  std::vector<size_t> readAsks;     // the size each Read asked for
  size_t answerLeft = 0;            // answer bytes never taken
  bool closed = false;
  std::string Wire() const {
    std::string all;
    for (const auto& w : writes) all += w;
    return all;
  }
};

class FakeConnection : public platform::PipeConnection {
 public:
  FakeConnection(const FakeScript& script, FakeRecord& record)
      : script_(script), record_(record), pending_(script.answer) {
    record_.answerLeft = pending_.size();
  }
  ~FakeConnection() override { record_.closed = true; }

  bool Write(const void* data, size_t size, size_t* written, uint32_t* error) override {
    if (static_cast<int>(record_.writes.size()) == script_.failWrite) {
      record_.writes.emplace_back();
      *written = 0;
      *error = platform::kErrorNoData;
      return false;
    }
    record_.writes.emplace_back(static_cast<const char*>(data), size);
    *written = size;
    return true;
  }

  bool Read(void* buffer, size_t size, size_t* read, uint32_t* error) override {
    record_.readAsks.push_back(size);
    if (pending_.empty()) {
      *read = 0;
      if (script_.zeroReadAtEnd) return true;
      *error = platform::kErrorBrokenPipe;
      return false;
    }
    size_t n = std::min(size, pending_.size());
    if (script_.piece) n = std::min(n, script_.piece);
    std::memcpy(buffer, pending_.data(), n);
    pending_.erase(0, n);
    record_.answerLeft = pending_.size();
    *read = n;
    if (script_.moreDataErrors) {
      *error = platform::kErrorMoreData;
      return false;
    }
    return true;
  }

 private:
  FakeScript script_;
  FakeRecord& record_;
  std::string pending_;
};

// Each open takes the next outcome: 0 connects with the next script, anything else fails.
class FakeTransport : public platform::PipeTransport {
 public:
  FakeTransport() { platform::SetPipeTransport(this); }
  ~FakeTransport() override { platform::SetPipeTransport(nullptr); }

  std::deque<uint32_t> openResults;      // empty: always connect
  std::deque<FakeScript> scripts;        // one per connection; empty: a default script
  uint32_t waitError = 0;                // 0: waits succeed
  uint32_t waitSleepMs = 0;
  std::vector<std::string> opened;       // paths of every open call
  std::vector<uint32_t> waitTimeouts;
  std::deque<FakeRecord> records;        // one per connection made

  std::unique_ptr<platform::PipeConnection> Open(const std::string& path, uint32_t* error) override {
    opened.push_back(path);
    uint32_t result = 0;
    if (!openResults.empty()) {
      result = openResults.front();
      openResults.pop_front();
    }
    if (result != 0) {
      *error = result;
      return nullptr;
    }
    FakeScript script;
    if (!scripts.empty()) {
      script = scripts.front();
      scripts.pop_front();
    }
    records.emplace_back();
    return std::make_unique<FakeConnection>(script, records.back());
  }

  bool Wait(const std::string&, uint32_t timeoutMs, uint32_t* error) override {
    waitTimeouts.push_back(timeoutMs);
    if (waitSleepMs) platform::Sleep(waitSleepMs);
    if (waitError) {
      *error = waitError;
      return false;
    }
    return true;
  }
};

// Little-endian helpers for building expected bytes.
inline std::string LE(uint64_t value, int width) {
  std::string out;
  for (int i = 0; i < width; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  return out;
}
inline std::string Utf16(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += LE(c, 2);
  return out;
}
inline std::string StringEntry(const std::u16string& name, const std::u16string& value) {
  return LE(name.size() * 2, 4) + Utf16(name) + LE(value.size() * 2, 8) + Utf16(value);
}
inline std::string Frame(const std::string& id, const std::string& run) {
  return LE(id.size(), 8) + id + LE(run.size(), 8) + run;
}
inline std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out.push_back(digits[c >> 4]);
    out.push_back(digits[c & 15]);
  }
  return out;
}

}  // namespace exchange_test
