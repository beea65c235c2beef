#include "support/text_set.h"

namespace zivrat {

std::size_t bucketOf(const std::string& text) {
    unsigned long hash = 0;
    for (unsigned char c : text) hash = hash * 31 + c;
    return hash % kBucketCount;
}

bool TextSet::add(const std::string& text) {
    if (!members_.insert(text).second) return false;
    buckets_[bucketOf(text)].push_back(text);
    return true;
}

void TextSet::clear() {
    for (auto& bucket : buckets_) bucket.clear();
    members_.clear();
}

std::vector<std::string> TextSet::inOrder() const {
    std::vector<std::string> all;
    all.reserve(members_.size());
    for (const auto& bucket : buckets_) all.insert(all.end(), bucket.begin(), bucket.end());
    return all;
}

}  // namespace zivrat
