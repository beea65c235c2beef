// The B-tree of the database file: fixed-length keys with a 32-bit value
// each, in nodes of 2h keys handed out by the space manager.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "database/space_manager.h"

namespace zivrat {

struct TreeParameters {
    std::uint32_t keyLength = 64;
    std::uint32_t half = 10;  // h: a node holds up to 2h keys
    std::uint32_t minimumFill = 10;
};

// The 40-byte tree header at the file's first allocation.
struct TreeHeader {
    static constexpr std::uint32_t kVersion = 512;
    static constexpr std::uint32_t kSize = 40;
    static constexpr std::uint32_t kWholeKeyFlag = 1;  // compare keys on all their bytes

    std::uint32_t root = kNoPosition;
    std::uint32_t reserved4 = kNoPosition;
    std::uint32_t version = kVersion;
    std::uint32_t entries = 0;
    std::uint32_t keyLength = 64;
    std::uint32_t half = 10;
    std::uint32_t minimumFill = 10;
    std::uint32_t reserved28 = kNoPosition;
    std::uint32_t reserved32 = 0;  // not used; a new file holds 0 there
    std::uint32_t flags = 0;
};

class DiskBTree {
public:
    // Sets the tree up: writes a new header when the file has no allocation
    // yet, or reads the one at the first allocation. Null when the header
    // found there cannot be used (the tree cannot be set up).
    static std::unique_ptr<DiskBTree> open(SpaceManager& space, const TreeParameters& requested);

    bool find(const std::string& key, std::uint32_t& value);
    // Inserts a key that is absent; false (and nothing changed) when present.
    bool insert(const std::string& key, std::uint32_t value);
    // Every key with its value in ascending key order.
    void visit(const std::function<void(const std::string&, std::uint32_t)>& deliver);
    void writeHeader();

    const TreeHeader& header() const { return header_; }
    bool olderForm() const { return olderForm_; }
    std::uint32_t headerPosition() const { return headerPosition_; }
    std::size_t nodeSize() const;

private:
    struct Node {
        std::uint32_t position = kNoPosition;
        std::string keys;  // the key fields one after the other
        std::vector<std::uint32_t> values;    // one per key
        std::vector<std::uint32_t> children;  // one more than values
        std::size_t count() const { return values.size(); }
    };
    struct Carry {
        std::string key;
        std::uint32_t value;
        std::uint32_t right;
    };

    DiskBTree(SpaceManager& space, std::uint32_t headerPosition);
    void takeParameters(const TreeParameters& requested);
    bool readHeader(const TreeParameters& requested);

    std::string keyField(const std::string& key) const;
    std::string keyText(const char* field) const;
    const char* keyAt(const Node& node, std::size_t i) const;
    int compare(const char* a, const char* b) const;
    std::size_t lowerBound(const Node& node, const std::string& field) const;
    bool holdsKey(const Node& node, std::size_t at, const std::string& field) const;

    Node load(std::uint32_t position);
    Node decode(std::uint32_t position, const std::vector<std::uint8_t>& bytes) const;
    std::vector<std::uint8_t> encode(const Node& node) const;
    void store(const Node& node);
    void remember(const Node& node);
    std::uint32_t newNodePosition();
    void checkDepth(int depth) const;
    bool placeInNode(Node& node, std::size_t at, Carry& carry);
    void visitNode(std::uint32_t position, int depth, std::unordered_set<std::uint32_t>& seen,
                   const std::function<void(const std::string&, std::uint32_t)>& deliver);

    SpaceManager& space_;
    DiskFile& file_;
    std::uint32_t headerPosition_;
    TreeHeader header_;
    bool olderForm_ = false;
    // Up to kCachedNodes nodes, most recently used first.
    std::vector<Node> cache_;
};

}  // namespace zivrat
