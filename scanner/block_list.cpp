// BlockList: an owning doubly linked list of zeroed byte blocks.
#include <memory>
#include <utility>

#include "filesys/allocate.hpp"
#include "scanner.hpp"

namespace {

// Destroys a chain one node at a time: letting each node's destructor free its successor would
// recurse once per node and overflow the stack on a long list.
void destroyChain(std::unique_ptr<BlockList::Node> chain) {
    while (chain) chain = std::move(chain->next);
}

}  // namespace

BlockList::~BlockList() {
    freeAll(head());
}

BlockList::Node* BlockList::appendNew(int32_t size) {
    if (size < 0) return nullptr;
    std::unique_ptr<Node> node = tryWithMemory(
        [&] {
            auto made = std::make_unique<Node>();
            made->bytes = std::make_unique<uint8_t[]>(static_cast<size_t>(size));  // zeroed
            return made;
        },
        nullptr);
    if (!node) return nullptr;
    node->size = size;
    node->prev = tail_;
    Node* added = node.get();
    (tail_ != nullptr ? tail_->next : head_) = std::move(node);
    tail_ = added;
    return added;
}

void BlockList::freeAll(Node* node) {
    if (node == nullptr) return;
    std::unique_ptr<Node>& owner = node->prev != nullptr ? node->prev->next : head_;
    tail_ = node->prev;
    destroyChain(std::move(owner));
}

void BlockList::unlink(Node* node) {
    if (node == nullptr) return;
    if (node->next) {
        node->next->prev = node->prev;
    } else {
        tail_ = node->prev;
    }
    std::unique_ptr<Node>& owner = node->prev != nullptr ? node->prev->next : head_;
    std::unique_ptr<Node> doomed = std::move(owner);
    owner = std::move(doomed->next);
}
