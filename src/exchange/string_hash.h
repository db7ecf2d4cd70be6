// Chained hash table from 8-bit keys to int32 values: the name index of a message's storage.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace exchange {

struct THashItem {
  std::unique_ptr<THashItem> Next;
  std::string Key;
  int32_t Value = 0;
};

class TStringHash {
 public:
  explicit TStringHash(size_t size);
  virtual ~TStringHash();
  TStringHash(const TStringHash&) = delete;
  TStringHash& operator=(const TStringHash&) = delete;

  // The ELF hash of the System V ABI over the key's bytes.
  virtual uint32_t KeyHash(const std::string& key) const;

  // Puts a new item at the head of its chain; an equal key already there stays behind it.
  void Add(const std::string& key, int32_t value);
  // The value of the first item with this key in its chain, -1 when there is none.
  int32_t Lookup(const std::string& key) const;
  void Clear();

 private:
  void Grow();

  std::vector<std::unique_ptr<THashItem>> Buckets;
  size_t Count = 0;
};

}  // namespace exchange
