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

const char* const kModernBlock =
    "namespace lib@ {\n"
    "template<typename T, typename A = std::allocator<T> > class Holder@ {\n"
    "public:\n"
    "    T get() const;\n"
    "private:\n"
    "    T value_;\n"
    "};\n"
    "class LIB_EXPORT Peer@ : public ::lib::Base, protected detail::Counted<Peer@> {\n"
    "public:\n"
    "    explicit Peer@(const std::string& name);\n"
    "    virtual ~Peer@();\n"
    "    const std::vector<std::string>& names() const;\n"
    "    std::map<std::string, lib::Widget*>::const_iterator find(const std::string& key) const;\n"
    "    static lib::Widget* make(ext::Kind kind, int size = 4);\n"
    "protected:\n"
    "    lib::Widget *m_peer;\n"
    "    std::string name_;\n"
    "    CARD16 width, height;\n"
    "};\n"
    "typedef std::vector<Peer@*> Peer@List;\n"
    "}\n"
    "\n";

// The template, its two members, the class, its nine members and the typedef.
constexpr std::size_t kDeclarationsPerModernBlock = 14;

void appendBlock(std::string& text, const std::string& block, const std::string& number) {
    for (char c : block) {
        if (c == '@') text += number;
        else text += c;
    }
}

}  // namespace

GeneratedHeader generateHeader(std::size_t units, bool modern) {
    GeneratedHeader header;
    const std::string block = modern ? kModernBlock : kBlock;
    for (std::size_t unit = 0; unit < units; ++unit) appendBlock(header.text, block, std::to_string(unit));
    header.declarations = units * (modern ? kDeclarationsPerModernBlock : kDeclarationsPerBlock);
    return header;
}

}  // namespace zivrat::bench
