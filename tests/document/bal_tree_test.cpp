#include "document/bal_tree.h"

#include <gtest/gtest.h>

#include <string>

namespace document {
namespace {

std::u16string Name(int i) {
  std::string s = "name" + std::to_string(100000 + i);
  return std::u16string(s.begin(), s.end());
}

// Every AA-tree rule: the sentinel at level 0, left children one level lower, no two
// consecutive right horizontal links, leaves at level 1, names in order.
int CheckSubtree(const TkxBalTree& tree, int32_t t, const CompactText* low,
                 const CompactText* high) {
  if (t == TkxBalTree::Sentinel) return 0;
  const TkxBalNode& node = tree.Node(t);
  const CompactText& name = tree.NodeName(t);
  if (low) {
    EXPECT_LT(Compare(*low, name), 0);
  }
  if (high) {
    EXPECT_GT(Compare(*high, name), 0);
  }
  EXPECT_EQ(tree.Node(node.LessChild).NodeLevel + 1, node.NodeLevel);
  const TkxBalNode& right = tree.Node(node.GreaterChild);
  EXPECT_TRUE(right.NodeLevel == node.NodeLevel || right.NodeLevel + 1 == node.NodeLevel);
  if (node.GreaterChild != TkxBalTree::Sentinel) {
    EXPECT_LT(tree.Node(right.GreaterChild).NodeLevel, node.NodeLevel);
  }
  if (node.LessChild == TkxBalTree::Sentinel && node.GreaterChild == TkxBalTree::Sentinel) {
    EXPECT_EQ(node.NodeLevel, 1);
  }
  return 1 + CheckSubtree(tree, node.LessChild, low, &name) +
         CheckSubtree(tree, node.GreaterChild, &name, high);
}

TEST(BalTree, ThousandAscendingNamesStayBalancedAndFindable) {
  TkxBalTree tree;
  for (int i = 0; i < 1000; ++i) EXPECT_TRUE(tree.InsertName(Name(i), i));
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(tree.FindIndex(Name(i)), i) << i;
  EXPECT_EQ(tree.FindIndex(u"name"), -1);
  EXPECT_EQ(tree.FindIndex(Name(1000)), -1);
  EXPECT_EQ(CheckSubtree(tree, tree.TreeRoot(), nullptr, nullptr), 1000);
  // An AA tree of n nodes has a root level of at most log2(n + 1).
  EXPECT_LE(tree.Node(tree.TreeRoot()).NodeLevel, 10);

  // A name inserted again keeps its first position.
  EXPECT_FALSE(tree.InsertName(Name(500), 7));
  EXPECT_EQ(tree.FindIndex(Name(500)), 500);
}

TEST(BalTree, OrdinalOrderCaseAndPrefixes) {
  TkxBalTree tree;
  const std::u16string names[] = {u"Order", u"order", u"Ord", u"", u"\u00E4", u"\u20AC", u"b"};
  for (int i = 0; i < 7; ++i) EXPECT_TRUE(tree.InsertName(names[i], i));
  for (int i = 0; i < 7; ++i) EXPECT_EQ(tree.FindIndex(names[i]), i);
  EXPECT_EQ(CheckSubtree(tree, tree.TreeRoot(), nullptr, nullptr), 7);
  EXPECT_EQ(tree.FindIndex(u"ORDER"), -1);

  EXPECT_LT(Compare(CompactText(u"Ord"), CompactText(u"Order")), 0);
  EXPECT_LT(Compare(CompactText(u"\u00FF"), CompactText(u"\u0100")), 0);  // narrow vs wide
  EXPECT_GT(Compare(CompactText(u"\u20AC"), CompactText(u"\u00E4x")), 0);
}

TEST(BalTree, ClearTreeEmptiesAndAcceptsNewNames) {
  TkxBalTree tree;
  for (int i = 0; i < 50; ++i) tree.InsertName(Name(49 - i), i);
  tree.ClearTree();
  EXPECT_EQ(tree.TreeRoot(), TkxBalTree::Sentinel);
  EXPECT_EQ(tree.NodeCount(), 0);
  EXPECT_EQ(tree.FindIndex(Name(3)), -1);
  EXPECT_TRUE(tree.InsertName(Name(3), 9));
  EXPECT_EQ(tree.FindIndex(Name(3)), 9);
}

}  // namespace
}  // namespace document
