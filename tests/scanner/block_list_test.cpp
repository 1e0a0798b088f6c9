// BlockList: linking, unlinking and freeing, and the release of a very long list.
#include <gtest/gtest.h>

#include <vector>

#include "scanner/scanner.hpp"

namespace {

// The list's sizes from head to tail, checking every back link on the way.
std::vector<int32_t> sizesOf(const BlockList& list) {
    std::vector<int32_t> sizes;
    const BlockList::Node* prev = nullptr;
    for (const BlockList::Node* n = list.head(); n != nullptr; n = n->next.get()) {
        EXPECT_EQ(n->prev, prev);
        sizes.push_back(n->size);
        prev = n;
    }
    EXPECT_EQ(list.last(), prev);
    return sizes;
}

TEST(BlockList, AppendsZeroedBlocks) {
    BlockList list;
    EXPECT_EQ(list.head(), nullptr);
    EXPECT_EQ(list.last(), nullptr);
    BlockList::Node* a = list.appendNew(16);
    ASSERT_NE(a, nullptr);
    for (int32_t i = 0; i < 16; ++i) EXPECT_EQ(a->bytes[i], 0);
    list.appendNew(0);
    list.appendNew(3);
    EXPECT_EQ(sizesOf(list), (std::vector<int32_t>{16, 0, 3}));
    EXPECT_EQ(list.appendNew(-1), nullptr);
}

TEST(BlockList, UnlinksAnyNode) {
    BlockList list;
    BlockList::Node* nodes[5];
    for (int32_t i = 0; i < 5; ++i) nodes[i] = list.appendNew(i);
    list.unlink(nodes[2]);
    EXPECT_EQ(sizesOf(list), (std::vector<int32_t>{0, 1, 3, 4}));
    list.unlink(nodes[0]);
    EXPECT_EQ(sizesOf(list), (std::vector<int32_t>{1, 3, 4}));
    list.unlink(nodes[4]);
    EXPECT_EQ(sizesOf(list), (std::vector<int32_t>{1, 3}));
    list.appendNew(9);
    EXPECT_EQ(sizesOf(list), (std::vector<int32_t>{1, 3, 9}));
}

TEST(BlockList, FreeAllCutsTheListAtTheNode) {
    BlockList list;
    BlockList::Node* nodes[4];
    for (int32_t i = 0; i < 4; ++i) nodes[i] = list.appendNew(i);
    list.freeAll(nodes[2]);
    EXPECT_EQ(sizesOf(list), (std::vector<int32_t>{0, 1}));
    list.appendNew(7);
    EXPECT_EQ(sizesOf(list), (std::vector<int32_t>{0, 1, 7}));
    list.freeAll(list.head());
    EXPECT_EQ(sizesOf(list), std::vector<int32_t>{});
}

TEST(BlockList, ReleasesAMillionNodesWithoutRecursion) {
    {
        BlockList list;
        for (int32_t i = 0; i < 1000000; ++i) ASSERT_NE(list.appendNew(1), nullptr);
    }  // the destructor
    BlockList list;
    BlockList::Node* first = nullptr;
    for (int32_t i = 0; i < 1000000; ++i) {
        BlockList::Node* n = list.appendNew(1);
        if (first == nullptr) first = n;
    }
    list.freeAll(first);
    EXPECT_EQ(list.head(), nullptr);
    EXPECT_EQ(list.last(), nullptr);
}

}  // namespace
