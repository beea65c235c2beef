#include "parser/value.h"

#include <cstring>

namespace zivrat {

void setText(DeclValue& value, std::initializer_list<std::string_view> parts) {
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
