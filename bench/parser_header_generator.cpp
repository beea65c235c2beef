#include "parser_header_generator.h"

namespace zivrat::bench {
namespace {

// One block; "@" stands for the block's number.
const char* const kBlock =
    "/* Widget@ keeps a size and a name. */\n"
    "class Widget@ {\n"
    "public:\n"
    "    Widget@(int size);\n"
    "    virtual ~Widget@();\n"
    "    /// The size in cells.\n"
    "    int size() const { if (size_ > 0) { return size_; } return 0; }\n"
    "    void resize(int newSize, const char* reason = \"none\", long limit = 1 << 12);\n"
    "    static Widget@* create(unsigned long flags);\n"
    "    Widget@& operator=(const Widget@& other);\n"
    "protected:\n"
    "    long counter_; // how often it was resized\n"
    "private:\n"
    "    int size_;\n"
    "    char name_[32];\n"
    "};\n"
    "typedef Widget@* Widget@Ptr;\n"
    "typedef unsigned int Widget@Id;\n"
    "enum Widget@State { Widget@Idle, Widget@Busy = 2, Widget@Done };\n"
    "int widget@Count(const Widget@& w, int (*filter)(int));\n"
    "\n";

// The class, eight members, two typedefs, the enumeration and the function.
constexpr std::size_t kDeclarationsPerBlock = 13;

}  // namespace

GeneratedHeader generateHeader(std::size_t units) {
    GeneratedHeader header;
    const std::string block = kBlock;
    for (std::size_t unit = 0; unit < units; ++unit) {
        const std::string number = std::to_string(unit);
        for (char c : block) {
            if (c == '@') header.text += number;
            else header.text += c;
        }
    }
    header.declarations = units * kDeclarationsPerBlock;
    return header;
}

}  // namespace zivrat::bench
