#include "database/btree.h"

#include <string.h>  // strnlen

#include <algorithm>
#include <cstring>

namespace zivrat {
namespace {

constexpr std::size_t kCachedNodes = 10;
// Far deeper than any real tree (a full 4 GB file is about 8 levels deep);
// a deeper walk means that child links loop.
constexpr int kDeepestLevel = 64;
// Larger parameters would make nodes of many megabytes: no writer uses them.
constexpr std::uint32_t kLargestKeyLength = 1024;
constexpr std::uint32_t kLargestHalf = 1024;

}  // namespace

std::unique_ptr<DiskBTree> DiskBTree::open(SpaceManager& space, const TreeParameters& requested) {
    if (space.firstAllocation() == kNoPosition) {
        std::unique_ptr<DiskBTree> tree(new DiskBTree(space, space.allocate(TreeHeader::kSize)));
        tree->takeParameters(requested);
        tree->writeHeader();
        return tree;
    }
    std::unique_ptr<DiskBTree> tree(new DiskBTree(space, space.firstAllocation()));
    if (!tree->readHeader(requested)) return nullptr;
    return tree;
}

DiskBTree::DiskBTree(SpaceManager& space, std::uint32_t headerPosition)
    : space_(space), file_(space.file()), headerPosition_(headerPosition) {}

void DiskBTree::takeParameters(const TreeParameters& requested) {
    header_.keyLength = requested.keyLength;
    header_.half = requested.half;
    header_.minimumFill = std::min(requested.half, requested.minimumFill);
}

bool DiskBTree::readHeader(const TreeParameters& requested) {
    std::uint64_t room = space_.blockEnd(headerPosition_) - headerPosition_;
    space_.checkInsideBlock(headerPosition_, 4, "the tree header");
    std::vector<std::uint8_t> bytes =
        file_.read(headerPosition_, static_cast<std::size_t>(std::min<std::uint64_t>(room, 40)));
    header_.root = wordAt(bytes, 0);
    if (bytes.size() < TreeHeader::kSize || wordAt(bytes, 8) != TreeHeader::kVersion) {
        // The older form holds the root position only and takes the
        // parameters given at open.
        olderForm_ = true;
        takeParameters(requested);
        return true;
    }
    header_.reserved4 = wordAt(bytes, 4);
    header_.version = wordAt(bytes, 8);
    header_.entries = wordAt(bytes, 12);
    header_.keyLength = wordAt(bytes, 16);
    header_.half = wordAt(bytes, 20);
    header_.minimumFill = wordAt(bytes, 24);
    header_.reserved28 = wordAt(bytes, 28);
    header_.reserved32 = wordAt(bytes, 32);
    header_.flags = wordAt(bytes, 36);
    return header_.keyLength >= 1 && header_.keyLength <= kLargestKeyLength &&
           header_.half >= 1 && header_.half <= kLargestHalf;
}

void DiskBTree::writeHeader() {
    if (olderForm_) {
        file_.writeWord(headerPosition_, header_.root);
        return;
    }
    std::vector<std::uint8_t> bytes(TreeHeader::kSize);
    const std::uint32_t words[] = {header_.root,      header_.reserved4, header_.version,
                                   header_.entries,   header_.keyLength, header_.half,
                                   header_.minimumFill, header_.reserved28, header_.reserved32,
                                   header_.flags};
    for (std::size_t i = 0; i < 10; ++i) putWord(bytes, 4 * i, words[i]);
    file_.write(headerPosition_, bytes);
}

std::size_t DiskBTree::nodeSize() const {
    return 24 + (2 * std::size_t{header_.half} - 2) * 8 +
           2 * std::size_t{header_.half} * header_.keyLength;
}

std::string DiskBTree::keyField(const std::string& key) const {
    std::string field = key.substr(0, header_.keyLength);
    field.resize(header_.keyLength, '\0');
    return field;
}

std::string DiskBTree::keyText(const char* field) const {
    std::size_t length = header_.keyLength;
    if ((header_.flags & TreeHeader::kWholeKeyFlag) != 0) {
        while (length > 0 && field[length - 1] == '\0') --length;
    } else {
        length = strnlen(field, length);
    }
    return std::string(field, length);
}

const char* DiskBTree::keyAt(const Node& node, std::size_t i) const {
    return node.keys.data() + i * header_.keyLength;
}

int DiskBTree::compare(const char* a, const char* b) const {
    if ((header_.flags & TreeHeader::kWholeKeyFlag) != 0) {
        return std::memcmp(a, b, header_.keyLength);
    }
    return std::strncmp(a, b, header_.keyLength);
}

// The first key of the node that is not less than the field.
std::size_t DiskBTree::lowerBound(const Node& node, const std::string& field) const {
    std::size_t low = 0;
    std::size_t high = node.count();
    while (low < high) {
        std::size_t middle = low + (high - low) / 2;
        if (compare(keyAt(node, middle), field.data()) < 0) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    return low;
}

bool DiskBTree::holdsKey(const Node& node, std::size_t at, const std::string& field) const {
    return at < node.count() && compare(keyAt(node, at), field.data()) == 0;
}

void DiskBTree::checkDepth(int depth) const {
    if (depth > kDeepestLevel) {
        raiseDamagedFile(file_.path(), "the child links of its tree nodes loop");
    }
}

DiskBTree::Node DiskBTree::load(std::uint32_t position) {
    for (std::size_t i = 0; i < cache_.size(); ++i) {
        if (cache_[i].position != position) continue;
        std::rotate(cache_.begin(), cache_.begin() + i, cache_.begin() + i + 1);
        return cache_.front();
    }
    space_.checkInsideBlock(position, nodeSize(), "a tree node");
    Node node = decode(position, file_.read(position, nodeSize()));
    remember(node);
    return node;
}

void DiskBTree::remember(const Node& node) {
    auto cached = std::find_if(cache_.begin(), cache_.end(),
                               [&](const Node& held) { return held.position == node.position; });
    if (cached != cache_.end()) {
        cache_.erase(cached);
    } else if (cache_.size() == kCachedNodes) {
        cache_.pop_back();
    }
    cache_.insert(cache_.begin(), node);
}

DiskBTree::Node DiskBTree::decode(std::uint32_t position,
                                  const std::vector<std::uint8_t>& bytes) const {
    const std::size_t slots = 2 * std::size_t{header_.half};
    std::uint32_t count = wordAt(bytes, 0);
    if (count > slots) {
        raiseDamagedFile(file_.path(), "the tree node at " + std::to_string(position) +
                                           " holds " + std::to_string(count) + " keys");
    }
    const std::size_t valuesAt = 4 + 4 * (slots + 1);
    const std::size_t keysAt = valuesAt + 4 * slots;
    Node node;
    node.position = position;
    for (std::size_t i = 0; i < count; ++i) node.values.push_back(wordAt(bytes, valuesAt + 4 * i));
    node.keys.assign(bytes.begin() + keysAt, bytes.begin() + keysAt + count * header_.keyLength);
    for (std::size_t i = 0; i <= count; ++i) node.children.push_back(wordAt(bytes, 4 + 4 * i));
    return node;
}

// Unused slots hold no child (-1), value 0 and zero key bytes.
std::vector<std::uint8_t> DiskBTree::encode(const Node& node) const {
    const std::size_t slots = 2 * std::size_t{header_.half};
    const std::size_t valuesAt = 4 + 4 * (slots + 1);
    const std::size_t keysAt = valuesAt + 4 * slots;
    std::vector<std::uint8_t> bytes(nodeSize(), 0);
    putWord(bytes, 0, static_cast<std::uint32_t>(node.count()));
    for (std::size_t i = 0; i <= slots; ++i) {
        putWord(bytes, 4 + 4 * i, i < node.children.size() ? node.children[i] : kNoPosition);
    }
    for (std::size_t i = 0; i < node.count(); ++i) putWord(bytes, valuesAt + 4 * i, node.values[i]);
    std::memcpy(bytes.data() + keysAt, node.keys.data(), node.keys.size());
    return bytes;
}

void DiskBTree::store(const Node& node) {
    file_.write(node.position, encode(node));
    remember(node);
}

std::uint32_t DiskBTree::newNodePosition() {
    return space_.allocate(static_cast<std::uint32_t>(nodeSize()));
}

bool DiskBTree::find(const std::string& key, std::uint32_t& value) {
    const std::string field = keyField(key);
    std::uint32_t position = header_.root;
    for (int depth = 1; position != kNoPosition; ++depth) {
        checkDepth(depth);
        Node node = load(position);
        std::size_t at = lowerBound(node, field);
        if (holdsKey(node, at, field)) {
            value = node.values[at];
            return true;
        }
        position = node.children[at];
    }
    return false;
}

bool DiskBTree::insert(const std::string& key, std::uint32_t value) {
    const std::string field = keyField(key);
    // The nodes from the root down to a leaf, with the place of the key in each.
    std::vector<std::pair<Node, std::size_t>> path;
    std::uint32_t position = header_.root;
    for (int depth = 1; position != kNoPosition; ++depth) {
        checkDepth(depth);
        Node node = load(position);
        std::size_t at = lowerBound(node, field);
        if (holdsKey(node, at, field)) return false;
        position = node.children[at];
        path.emplace_back(std::move(node), at);
    }
    Carry carry{field, value, kNoPosition};
    bool placed = false;
    while (!placed && !path.empty()) {
        placed = placeInNode(path.back().first, path.back().second, carry);
        path.pop_back();
    }
    if (!placed) {
        // The root was split (or the tree was empty): a new root holds the key.
        Node root;
        root.position = newNodePosition();
        root.keys = carry.key;
        root.values.push_back(carry.value);
        root.children = {header_.root, carry.right};
        store(root);
        header_.root = root.position;
    }
    ++header_.entries;
    writeHeader();
    return true;
}

// Puts the carried key at its place; when the node overflows, it keeps the
// lower h keys, the upper h go to a new node and the middle one is carried up.
bool DiskBTree::placeInNode(Node& node, std::size_t at, Carry& carry) {
    const std::size_t keyLength = header_.keyLength;
    node.keys.insert(at * keyLength, carry.key);
    node.values.insert(node.values.begin() + at, carry.value);
    node.children.insert(node.children.begin() + at + 1, carry.right);
    const std::size_t h = header_.half;
    if (node.count() <= 2 * h) {
        store(node);
        return true;
    }
    Node upper;
    upper.position = newNodePosition();
    upper.keys = node.keys.substr((h + 1) * keyLength);
    upper.values.assign(node.values.begin() + h + 1, node.values.end());
    upper.children.assign(node.children.begin() + h + 1, node.children.end());
    carry = Carry{node.keys.substr(h * keyLength, keyLength), node.values[h], upper.position};
    node.keys.resize(h * keyLength);
    node.values.resize(h);
    node.children.resize(h + 1);
    store(node);
    store(upper);
    return false;
}

void DiskBTree::visit(const std::function<void(const std::string&, std::uint32_t)>& deliver) {
    std::unordered_set<std::uint32_t> seen;
    visitNode(header_.root, 1, seen, deliver);
}

void DiskBTree::visitNode(std::uint32_t position, int depth,
                          std::unordered_set<std::uint32_t>& seen,
                          const std::function<void(const std::string&, std::uint32_t)>& deliver) {
    if (position == kNoPosition) return;
    checkDepth(depth);
    // A node reached twice would be delivered twice, or forever.
    if (!seen.insert(position).second) {
        raiseDamagedFile(file_.path(), "two links lead to the tree node at " +
                                           std::to_string(position));
    }
    Node node = load(position);
    for (std::size_t i = 0; i < node.count(); ++i) {
        visitNode(node.children[i], depth + 1, seen, deliver);
        deliver(keyText(keyAt(node, i)), node.values[i]);
    }
    visitNode(node.children.back(), depth + 1, seen, deliver);
}

}  // namespace zivrat
