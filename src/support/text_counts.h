// How many times each text is held, asked by a view of the text: the
// scanner asks it of every identifier, and building a string for each
// question cost an allocation for every longer name.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zivrat {

class TextCounts {
public:
    void add(std::string_view text);
    // One fewer; the text is gone at none. A text not held is ignored.
    void remove(std::string_view text);
    bool contains(std::string_view text) const;
    bool empty() const { return held_ == 0; }
    void clear();

private:
    // Open addressing with linear probing: a slot of count 0 is free.
    struct Slot {
        std::size_t hash = 0;
        int count = 0;
        std::string text;
    };

    // The slot holding the text, or the free slot where it would go.
    std::size_t slotOf(std::string_view text, std::size_t hash) const;
    void grow();
    // Closes the gap a removal leaves, so that no probe stops short.
    void closeGap(std::size_t gap);

    std::vector<Slot> slots_;  // a power of two in size, or empty
    std::size_t held_ = 0;
};

}  // namespace zivrat
