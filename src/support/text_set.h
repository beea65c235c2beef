// A set of texts in 64 buckets, iterated bucket by bucket and, inside a
// bucket, in insertion order. The order is deterministic but not sorted.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

namespace zivrat {

// The case-sensitive text hash shared by the 64-bucket tables.
std::size_t bucketOf(const std::string& text);

constexpr std::size_t kBucketCount = 64;

class TextSet {
public:
    // Adds the text unless it is there; reports whether it was added.
    bool add(const std::string& text);
    bool contains(const std::string& text) const { return members_.count(text) != 0; }
    std::size_t size() const { return members_.size(); }
    bool empty() const { return members_.empty(); }
    void clear();

    // Every text in the set's own order.
    std::vector<std::string> inOrder() const;

private:
    std::array<std::vector<std::string>, kBucketCount> buckets_;
    std::unordered_set<std::string> members_;
};

}  // namespace zivrat
