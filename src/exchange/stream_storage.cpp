#include "exchange/stream_storage.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/platform.h"

namespace exchange {
namespace {

std::string IndexKey(const std::u16string& name) { return platform::WideToAnsi(name); }

void PutLE(std::string& out, uint64_t value, int width) {
  for (int i = 0; i < width; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint64_t GetLE(const unsigned char* p, int width) {
  uint64_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

std::string UnitsToBytes(const std::u16string& text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) PutLE(bytes, unit, 2);
  return bytes;
}

}  // namespace

TStreamStorage::TStreamStorage() : Names(50) {}

TStreamStorage::~TStreamStorage() = default;

void TStreamStorage::WriteBytes(const void* data, size_t count) {
  if (static_cast<uint64_t>(Pos) + count > static_cast<uint64_t>(kMaxRunSize)) {
    throw std::runtime_error("Stream write error");
  }
  size_t at = static_cast<size_t>(Pos);
  if (at + count > Stream.size()) Stream.resize(at + count);
  if (count) std::memcpy(Stream.data() + at, data, count);
  Pos += static_cast<int64_t>(count);
}

bool TStreamStorage::ReadExact(void* buffer, size_t count) {
  if (Pos < 0 || Pos > Size() || static_cast<uint64_t>(Size() - Pos) < count) return false;
  if (count) std::memcpy(buffer, Stream.data() + Pos, count);
  Pos += static_cast<int64_t>(count);
  return true;
}

size_t TStreamStorage::Read(void* buffer, size_t count) {
  if (Pos < 0 || Pos >= Size()) return 0;
  size_t n = std::min(count, static_cast<size_t>(Size() - Pos));
  std::memcpy(buffer, Stream.data() + Pos, n);
  Pos += static_cast<int64_t>(n);
  return n;
}

void TStreamStorage::Append(const void* data, size_t count) {
  Pos = Size();
  WriteBytes(data, count);
}

void TStreamStorage::Reserve(size_t count) {
  Stream.reserve(std::min<size_t>(count, static_cast<size_t>(kMaxRunSize)));
}

bool TStreamStorage::Indexed(const std::u16string& name) const {
  return Names.Lookup(IndexKey(name)) >= 0;
}

void TStreamStorage::AppendHeader(const std::u16string& name, int64_t size) {
  std::string key = IndexKey(name);
  if (Names.Lookup(key) >= 0) {
    throw std::runtime_error("Value with name \"" + key + "\" already exists");
  }
  std::string header;
  header.reserve(12 + name.size() * 2);
  PutLE(header, static_cast<uint32_t>(name.size() * 2), 4);
  header += UnitsToBytes(name);
  if (static_cast<uint64_t>(Size()) + header.size() + 8 > static_cast<uint64_t>(kMaxRunSize)) {
    throw std::runtime_error("Stream write error");
  }
  Pos = Size();
  WriteBytes(header.data(), header.size());
  Names.Add(key, static_cast<int32_t>(Pos));
  std::string length;
  PutLE(length, static_cast<uint64_t>(size), 8);
  WriteBytes(length.data(), length.size());
}

void TStreamStorage::PutString(const std::u16string& name, const std::u16string& value) {
  if (value.empty() || name.empty()) return;
  int64_t size = static_cast<int64_t>(value.size()) * 2;
  if (size > kMaxRunSize) throw std::runtime_error("Stream write error");
  AppendHeader(name, size);
  // Straight into the run, one unit at a time in little-endian order: no second copy.
  size_t at = Stream.size();
  if (static_cast<uint64_t>(at) + static_cast<uint64_t>(size) > static_cast<uint64_t>(kMaxRunSize)) {
    throw std::runtime_error("Stream write error");
  }
  Stream.resize(at + static_cast<size_t>(size));
  unsigned char* out = reinterpret_cast<unsigned char*>(Stream.data() + at);
  for (char16_t unit : value) {
    *out++ = static_cast<unsigned char>(unit & 0xFF);
    *out++ = static_cast<unsigned char>(unit >> 8);
  }
  Pos = Size();
  ScanPosition = Pos;
}

void TStreamStorage::PutInteger(const std::u16string& name, int32_t value) {
  if (name.empty()) return;
  AppendHeader(name, 4);
  std::string bytes;
  PutLE(bytes, static_cast<uint32_t>(value), 4);
  WriteBytes(bytes.data(), bytes.size());
  ScanPosition = Pos;
}

void TStreamStorage::PutBoolean(const std::u16string& name, bool value) {
  if (name.empty()) return;
  AppendHeader(name, 1);
  char byte = value ? 1 : 0;
  WriteBytes(&byte, 1);
  ScanPosition = Pos;
}

bool TStreamStorage::Locate(const std::u16string& name, int64_t& size) {
  int32_t p = Names.Lookup(IndexKey(name));
  unsigned char field[8];
  if (p >= 0) {
    Pos = p;
    if (!ReadExact(field, 8)) return false;
    size = static_cast<int64_t>(GetLE(field, 8));
    return true;
  }
  Pos = ScanPosition;
  while (Pos < Size()) {
    // A received run is untrusted: any entry that does not fit ends the scan for good.
    if (!ReadExact(field, 4)) break;
    int64_t n = static_cast<int32_t>(GetLE(field, 4));
    if (n < 0 || n > Size() - Pos) break;
    std::u16string entry(static_cast<size_t>(n / 2), u'\0');
    const unsigned char* units = reinterpret_cast<const unsigned char*>(Stream.data() + Pos);
    for (size_t i = 0; i < entry.size(); ++i) {
      entry[i] = static_cast<char16_t>(units[2 * i] | (units[2 * i + 1] << 8));
    }
    Pos += n;
    int64_t valueAt = Pos;
    if (!ReadExact(field, 8)) break;
    int64_t entrySize = static_cast<int64_t>(GetLE(field, 8));
    if (entrySize < 0 || entrySize > Size() - Pos) break;
    // The first entry of a name wins, also for later look-ups.
    std::string key = IndexKey(entry);
    if (Names.Lookup(key) < 0) Names.Add(key, static_cast<int32_t>(valueAt));
    if (entry == name) {
      size = entrySize;
      return true;
    }
    Pos += entrySize;
    ScanPosition = Pos;
  }
  ScanPosition = Size();
  Pos = Size();
  return false;
}

std::u16string TStreamStorage::GetString(const std::u16string& name) {
  std::u16string result;
  int64_t size = 0;
  if (Locate(name, size)) {
    if (size < 0 || size > Size() - Pos) size = std::max<int64_t>(0, Size() - Pos);
    result.resize(static_cast<size_t>(size / 2));
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(Stream.data() + Pos);
    for (size_t i = 0; i < result.size(); ++i) {
      result[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    Pos += size;
  }
  ScanPosition = std::max(ScanPosition, Pos);
  return result;
}

}  // namespace exchange
