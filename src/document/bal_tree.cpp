#include "document/bal_tree.h"

#include "document/growth.h"

namespace document {

TkxBalTree::TkxBalTree() : TkxBalTree(nullptr) {}

// The arena, and with it the sentinel, is made by the first insert: an empty tree (and so an
// empty object) allocates nothing.
TkxBalTree::TkxBalTree(const NameSource* source) : source_(source) {}

const TkxBalNode& TkxBalTree::Node(int32_t index) const {
  static const TkxBalNode kSentinelNode{Sentinel, Sentinel, 0, -1};
  return nodes_.empty() ? kSentinelNode : nodes_[index];
}

const CompactText& TkxBalTree::NodeName(int32_t index) const {
  static const CompactText kNoName;
  if (index == Sentinel) return kNoName;
  return source_ ? source_->NameAt(nodes_[index].ItemIndex) : ownNames_[index];
}

bool TkxBalTree::InsertName(const CompactText& name, int32_t position) {
  bool inserted = false;
  root_ = Insert(root_, name, position, inserted);
  return inserted;
}

// Works on indices, never on references into the arena, because a new node may move it.
int32_t TkxBalTree::Insert(int32_t t, const CompactText& name, int32_t position, bool& inserted) {
  if (t == Sentinel) {
    if (nodes_.empty()) {
      nodes_.reserve(kFirstMembers + 1);
      nodes_.push_back(TkxBalNode{Sentinel, Sentinel, 0, -1});
      if (!source_) ownNames_.emplace_back();
    }
    GrowForOneMore(nodes_, kFirstMembers + 1);
    nodes_.push_back(TkxBalNode{Sentinel, Sentinel, 1, position});
    if (!source_) {
      GrowForOneMore(ownNames_);
      ownNames_.push_back(name);
    }
    inserted = true;
    return static_cast<int32_t>(nodes_.size()) - 1;
  }
  const int order = Compare(name, NodeName(t));
  if (order < 0) {
    const int32_t child = Insert(nodes_[t].LessChild, name, position, inserted);
    nodes_[t].LessChild = child;
  } else if (order > 0) {
    const int32_t child = Insert(nodes_[t].GreaterChild, name, position, inserted);
    nodes_[t].GreaterChild = child;
  }
  return Split(Skew(t));
}

int32_t TkxBalTree::Skew(int32_t t) {
  const int32_t l = nodes_[t].LessChild;
  if (l != Sentinel && nodes_[l].NodeLevel == nodes_[t].NodeLevel) {
    nodes_[t].LessChild = nodes_[l].GreaterChild;
    nodes_[l].GreaterChild = t;
    return l;
  }
  return t;
}

int32_t TkxBalTree::Split(int32_t t) {
  const int32_t r = nodes_[t].GreaterChild;
  if (r != Sentinel && nodes_[nodes_[r].GreaterChild].NodeLevel == nodes_[t].NodeLevel) {
    nodes_[t].GreaterChild = nodes_[r].LessChild;
    nodes_[r].LessChild = t;
    ++nodes_[r].NodeLevel;
    return r;
  }
  return t;
}

int32_t TkxBalTree::FindIndex(const CompactText& name) const {
  int32_t t = root_;
  while (t != Sentinel) {
    const int order = Compare(name, NodeName(t));
    if (order == 0) return nodes_[t].ItemIndex;
    t = order < 0 ? nodes_[t].LessChild : nodes_[t].GreaterChild;
  }
  return -1;
}

void TkxBalTree::ClearTree() {
  nodes_.clear();
  nodes_.shrink_to_fit();
  ownNames_.clear();
  ownNames_.shrink_to_fit();
  root_ = Sentinel;
}

}  // namespace document
