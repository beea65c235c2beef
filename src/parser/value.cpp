#include "parser/value.h"

#include <cstring>
#include <functional>

namespace zivrat {

namespace {

bool overlapsText(const DeclValue& value, std::string_view part) {
    const std::less<const char*> before;
    return before(part.data(), value.text + kValueTextSize) &&
           before(value.text, part.data() + part.size());
}

// One part from elsewhere (a token's text, most often): copied straight in.
void setSingleText(DeclValue& value, std::string_view part) {
    const std::size_t take = part.size() < kValueTextSize - 1 ? part.size() : kValueTextSize - 1;
    // A 0 byte ends the text there, as it always has.
    std::size_t length = 0;
    while (length < take && part[length] != '\0') ++length;
    std::memcpy(value.text, part.data(), length);
    value.text[length] = '\0';
    value.length = static_cast<std::uint32_t>(length);
}

}  // namespace

void setText(DeclValue& value, std::initializer_list<std::string_view> parts) {
    if (parts.size() == 1 && !overlapsText(value, *parts.begin())) {
        setSingleText(value, *parts.begin());
        return;
    }
    // Built aside first: a part may be a view of the value's own text.
    char joined[kValueTextSize];
    std::size_t length = 0;
    for (std::string_view part : parts) {
        std::size_t room = kValueTextSize - 1 - length;
        std::size_t take = part.size() < room ? part.size() : room;
        std::memcpy(joined + length, part.data(), take);
        length += take;
    }
    joined[length] = '\0';
    std::memcpy(value.text, joined, length + 1);
    // A part holding a 0 byte ends the text there, as it always has.
    value.length = static_cast<std::uint32_t>(std::strlen(value.text));
}

}  // namespace zivrat
