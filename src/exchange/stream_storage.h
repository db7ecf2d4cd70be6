// The named values of a message in one byte run, which is also the message body on the wire:
// entries of (int32 name length, UTF-16LE name, int64 value length, value bytes), no header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "exchange/string_hash.h"

namespace exchange {

class TStreamStorage {
 public:
  // Positions and sizes of the run are 32-bit signed.
  static constexpr int64_t kMaxRunSize = 0x7FFFFFFF;

  TStreamStorage();
  ~TStreamStorage();
  TStreamStorage(const TStreamStorage&) = delete;
  TStreamStorage& operator=(const TStreamStorage&) = delete;

  // Empty names are ignored; PutString also ignores an empty value.
  void PutString(const std::u16string& name, const std::u16string& value);
  void PutInteger(const std::u16string& name, int32_t value);
  void PutBoolean(const std::u16string& name, bool value);
  // The value of the string entry, or empty.
  std::u16string GetString(const std::u16string& name);

  // Positions the run at the entry's first value byte. A received run is scanned lazily from
  // ScanPos on; an entry cut short or with an impossible length ends the scan for good.
  bool Locate(const std::u16string& name, int64_t& size);
  // Raises "Value with name "%s" already exists" for a name already written.
  void AppendHeader(const std::u16string& name, int64_t size);

  // The run as a byte stream (the pipe client sends and fills it directly).
  const std::string& Bytes() const { return Stream; }
  int64_t Size() const { return static_cast<int64_t>(Stream.size()); }
  int64_t Position() const { return Pos; }
  void SetPosition(int64_t position) { Pos = position; }
  // Reads up to `count` bytes from the position on; returns the number read.
  size_t Read(void* buffer, size_t count);
  // Writes at the end of the run (received bytes); the position moves behind them.
  void Append(const void* data, size_t count);
  void Reserve(size_t count);
  int64_t ScanPos() const { return ScanPosition; }
  // Test aid: whether the name index already holds the name.
  bool Indexed(const std::u16string& name) const;

 private:
  void WriteBytes(const void* data, size_t count);
  bool ReadExact(void* buffer, size_t count);

  int64_t ScanPosition = 0;
  std::string Stream;
  int64_t Pos = 0;
  TStringHash Names;
};

}  // namespace exchange
