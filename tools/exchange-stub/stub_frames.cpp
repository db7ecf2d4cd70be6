#include "stub_frames.h"

#include <algorithm>

#include "platform/platform.h"

namespace stub {
namespace {

// The stub trusts no client either: IDs are short, runs stay below 2 GiB.
constexpr int64_t kMaxId = 1 << 20;
constexpr int64_t kMaxRun = 0x7FFFFFFF;

void PutLE(std::string& out, uint64_t value, int width) {
  for (int i = 0; i < width; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint64_t GetLE(const std::string& in, size_t at, int width) {
  uint64_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(in[at + i]);
  return value;
}

}  // namespace

std::string Frame::Raw() const {
  std::string raw;
  raw.reserve(16 + id.size() + run.size());
  PutLE(raw, id.size(), 8);
  raw += id;
  PutLE(raw, run.size(), 8);
  raw += run;
  return raw;
}

bool ReadExact(platform::PipeConnection& pipe, void* buffer, size_t size) {
  char* p = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < size) {
    size_t n = 0;
    uint32_t error = 0;
    bool ok = pipe.Read(p + done, size - done, &n, &error);
    if ((!ok && error != platform::kErrorMoreData) || n == 0) return false;
    done += n;
  }
  return true;
}

bool WriteAll(platform::PipeConnection& pipe, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  size_t done = 0;
  while (done < size) {
    size_t n = 0;
    uint32_t error = 0;
    if (!pipe.Write(p + done, size - done, &n, &error)) return false;
    done += n;
  }
  return true;
}

bool ReadFrame(platform::PipeConnection& pipe, Frame& frame, std::string& why) {
  std::string field(8, '\0');
  if (!ReadExact(pipe, field.data(), 8)) {
    why = "no request";
    return false;
  }
  int64_t idLength = static_cast<int64_t>(GetLE(field, 0, 8));
  if (idLength < 0 || idLength > kMaxId) {
    why = "bad ID length " + std::to_string(idLength);
    return false;
  }
  frame.id.assign(static_cast<size_t>(idLength), '\0');
  if (!ReadExact(pipe, frame.id.data(), frame.id.size()) || !ReadExact(pipe, field.data(), 8)) {
    why = "request cut short";
    return false;
  }
  int64_t runLength = static_cast<int64_t>(GetLE(field, 0, 8));
  if (runLength < 0 || runLength > kMaxRun) {
    why = "bad data length " + std::to_string(runLength);
    return false;
  }
  frame.run.clear();
  std::string chunk(65536, '\0');
  for (int64_t got = 0; got < runLength;) {
    size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(chunk.size()), runLength - got));
    size_t n = 0;
    uint32_t error = 0;
    bool ok = pipe.Read(chunk.data(), want, &n, &error);
    if ((!ok && error != platform::kErrorMoreData) || n == 0) {
      why = "request cut short";
      return false;
    }
    frame.run.append(chunk.data(), n);
    got += static_cast<int64_t>(n);
  }
  return true;
}

std::u16string Utf16FromBytes(const std::string& bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                    (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  return text;
}

std::string BytesFromUtf16(const std::u16string& text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) PutLE(bytes, unit, 2);
  return bytes;
}

std::vector<Entry> DecodeEntries(const std::string& run) {
  std::vector<Entry> entries;
  size_t at = 0;
  while (run.size() - at >= 4) {
    int64_t n = static_cast<int32_t>(GetLE(run, at, 4));
    at += 4;
    if (n < 0 || static_cast<uint64_t>(n) + 8 > run.size() - at) break;
    Entry entry;
    entry.name = Utf16FromBytes(run.substr(at, static_cast<size_t>(n)));
    at += static_cast<size_t>(n);
    int64_t v = static_cast<int64_t>(GetLE(run, at, 8));
    at += 8;
    if (v < 0 || static_cast<uint64_t>(v) > run.size() - at) break;
    entry.value = run.substr(at, static_cast<size_t>(v));
    at += static_cast<size_t>(v);
    entries.push_back(std::move(entry));
  }
  return entries;
}

Request DecodeRequest(const std::string& run) {
  Request request;
  for (Entry& entry : DecodeEntries(run)) {
    if (entry.name == u"COMMAND") {
      request.command = platform::WideToAnsi(Utf16FromBytes(entry.value));
    } else if (entry.name == u"INDEX" && entry.value.size() == 4) {
      request.index = static_cast<int32_t>(GetLE(entry.value, 0, 4));
    } else if (entry.name == u"SYNC" && entry.value.size() == 1) {
      request.sync = entry.value[0] != 0;
    } else if (entry.name == u"DATA") {
      request.data = Utf16FromBytes(entry.value);
    }
  }
  return request;
}

std::string AnswerFrame(const std::optional<std::u16string>& data) {
  std::string run;
  if (data && !data->empty()) {
    std::u16string name = u"DATA";
    PutLE(run, name.size() * 2, 4);
    run += BytesFromUtf16(name);
    PutLE(run, data->size() * 2, 8);
    run += BytesFromUtf16(*data);
  }
  Frame frame;
  frame.run = std::move(run);
  return frame.Raw();
}

}  // namespace stub
