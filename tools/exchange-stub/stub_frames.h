// The service's side of the pipe framing: reading one request, decoding its entries, building
// an answer. Written apart from the client so that each checks the other.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/pipes.h"

namespace stub {

struct Frame {
  std::string id;
  std::string run;  // the data run
  // The frame exactly as it came: ID length, ID, data length, data run.
  std::string Raw() const;
};

// Reads one request frame. False with a reason when the client left or sent nonsense.
bool ReadFrame(platform::PipeConnection& pipe, Frame& frame, std::string& why);
// Reads exactly size bytes; false when the pipe closed or failed first.
bool ReadExact(platform::PipeConnection& pipe, void* buffer, size_t size);
bool WriteAll(platform::PipeConnection& pipe, const void* data, size_t size);

struct Entry {
  std::u16string name;
  std::string value;  // raw value bytes
};
// The entries of a run; stops at an entry the run cuts short.
std::vector<Entry> DecodeEntries(const std::string& run);

struct Request {
  std::string command;  // ANSI
  std::optional<int32_t> index;
  std::optional<bool> sync;
  std::optional<std::u16string> data;
};
Request DecodeRequest(const std::string& run);

std::u16string Utf16FromBytes(const std::string& bytes);
std::string BytesFromUtf16(const std::u16string& text);
// An answer frame with an empty ID whose run holds a string entry "DATA" (none when absent).
std::string AnswerFrame(const std::optional<std::u16string>& data);

}  // namespace stub
