#include "support/text_counts.h"

#include <functional>
#include <utility>

namespace zivrat {
namespace {

constexpr std::size_t kFirstSize = 64;

std::size_t hashOf(std::string_view text) { return std::hash<std::string_view>{}(text); }

}  // namespace

std::size_t TextCounts::slotOf(std::string_view text, std::size_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = hash & mask;
    while (slots_[at].count != 0 && (slots_[at].hash != hash || slots_[at].text != text)) {
        at = (at + 1) & mask;
    }
    return at;
}

void TextCounts::add(std::string_view text) {
    // At most half full: probes stay short.
    if (2 * (held_ + 1) > slots_.size()) grow();
    const std::size_t hash = hashOf(text);
    Slot& slot = slots_[slotOf(text, hash)];
    if (slot.count++ != 0) return;
    slot.hash = hash;
    slot.text.assign(text.data(), text.size());
    ++held_;
}

void TextCounts::remove(std::string_view text) {
    if (held_ == 0) return;
    const std::size_t at = slotOf(text, hashOf(text));
    Slot& slot = slots_[at];
    if (slot.count == 0 || --slot.count != 0) return;
    --held_;
    closeGap(at);
}

bool TextCounts::contains(std::string_view text) const {
    return held_ != 0 && slots_[slotOf(text, hashOf(text))].count != 0;
}

void TextCounts::clear() {
    if (held_ == 0) return;
    for (Slot& slot : slots_) slot.count = 0;
    held_ = 0;
}

void TextCounts::grow() {
    std::vector<Slot> old = std::exchange(slots_, std::vector<Slot>(
                                                      slots_.empty() ? kFirstSize : 2 * slots_.size()));
    for (Slot& slot : old) {
        if (slot.count == 0) continue;
        slots_[slotOf(slot.text, slot.hash)] = std::move(slot);
    }
}

void TextCounts::closeGap(std::size_t gap) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = (gap + 1) & mask; slots_[at].count != 0; at = (at + 1) & mask) {
        // A slot may move back into the gap only if its home is not
        // between the gap and it (cyclically).
        const std::size_t home = slots_[at].hash & mask;
        const bool homeAfterGap = ((at - home) & mask) < ((at - gap) & mask);
        if (homeAfterGap) continue;
        std::swap(slots_[gap], slots_[at]);
        gap = at;
    }
    slots_[gap].count = 0;
}

}  // namespace zivrat
