#include "exchange/string_hash.h"

namespace exchange {

TStringHash::TStringHash(size_t size) : Buckets(size == 0 ? 1 : size) {}

TStringHash::~TStringHash() { Clear(); }

uint32_t TStringHash::KeyHash(const std::string& key) const {
  uint32_t h = 0;
  for (unsigned char c : key) {
    h = (h << 4) + c;
    uint32_t g = h & 0xF0000000u;
    if (g != 0) h ^= g >> 24;
    h &= ~g;
  }
  return h;
}

void TStringHash::Add(const std::string& key, int32_t value) {
  if (Count >= 2 * Buckets.size()) Grow();
  ++Count;
  auto& head = Buckets[KeyHash(key) % Buckets.size()];
  auto item = std::make_unique<THashItem>();
  item->Key = key;
  item->Value = value;
  item->Next = std::move(head);
  head = std::move(item);
}

int32_t TStringHash::Lookup(const std::string& key) const {
  for (const THashItem* item = Buckets[KeyHash(key) % Buckets.size()].get(); item;
       item = item->Next.get()) {
    if (item->Key == key) return item->Value;
  }
  return -1;
}

// A received run can name any number of values: the chains must stay short, so the table
// doubles once it holds twice as many items as buckets. Items keep their order within a chain,
// so the newest of equal keys still comes first.
void TStringHash::Grow() {
  std::vector<std::unique_ptr<THashItem>> grown(Buckets.size() * 2);
  std::vector<THashItem*> tails(grown.size(), nullptr);
  for (auto& head : Buckets) {
    while (head) {
      std::unique_ptr<THashItem> item = std::move(head);
      head = std::move(item->Next);
      const size_t bucket = KeyHash(item->Key) % grown.size();
      THashItem* raw = item.get();
      if (tails[bucket])
        tails[bucket]->Next = std::move(item);
      else
        grown[bucket] = std::move(item);
      tails[bucket] = raw;
    }
  }
  Buckets = std::move(grown);
}

void TStringHash::Clear() {
  Count = 0;
  // Unlink iteratively: a long chain must not recurse through the destructors.
  for (auto& head : Buckets) {
    while (head) head = std::move(head->Next);
  }
}

}  // namespace exchange
