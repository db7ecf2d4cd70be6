// The name index of an object: an AA tree whose nodes live in one arena and link by index.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "document/compact_text.h"
#include "document/pool.h"

namespace document {

struct TkxBalNode {
  int32_t LessChild = 0;     // arena index; 0 is the sentinel
  int32_t GreaterChild = 0;
  uint8_t NodeLevel = 0;
  int32_t ItemIndex = -1;    // the member's position in the object's items
};

class TkxBalTree {
 public:
  // Lets an object's tree read each node's name from the member at its ItemIndex instead of
  // keeping a second copy of every name.
  class NameSource {
   public:
    virtual const CompactText& NameAt(int32_t itemIndex) const = 0;

   protected:
    ~NameSource() = default;
  };

  TkxBalTree();  // keeps its own names
  explicit TkxBalTree(const NameSource* source);

  // True when the name was new; an existing name keeps its stored position.
  bool InsertName(const CompactText& name, int32_t position);
  bool InsertName(std::u16string_view name, int32_t position) {
    return InsertName(CompactText(name), position);
  }
  int32_t FindIndex(const CompactText& name) const;
  int32_t FindIndex(std::u16string_view name) const { return FindIndex(CompactText(name)); }
  void ClearTree();

  static constexpr int32_t Sentinel = 0;
  int32_t TreeRoot() const { return root_; }
  const TkxBalNode& Node(int32_t index) const;
  const CompactText& NodeName(int32_t index) const;
  int32_t NodeCount() const { return nodes_.empty() ? 0 : static_cast<int32_t>(nodes_.size()) - 1; }

 private:
  int32_t Insert(int32_t t, const CompactText& name, int32_t position, bool& inserted);
  int32_t Skew(int32_t t);
  int32_t Split(int32_t t);

  const NameSource* source_ = nullptr;
  std::vector<TkxBalNode, pool::Allocator<TkxBalNode>> nodes_;       // [0] is the sentinel: links to itself, level 0;
                                        // empty until the first name
  std::vector<CompactText> ownNames_;   // by arena index, only without a source
  int32_t root_ = Sentinel;
};

}  // namespace document
