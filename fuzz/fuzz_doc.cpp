// .doc companion files: the input is the .doc file of a class, of its
// source file and of its library, merged into the pages of a fixed header.
#include "fuzz_support.h"

#include <filesystem>

namespace {

const char* const kHeader =
    "/** A shape. */\n"
    "class Shape {\n"
    "public:\n"
    "    Shape(int x, int y);\n"
    "    virtual ~Shape();\n"
    "    virtual double area() const = 0;\n"
    "    Shape& operator=(const Shape& other);\n"
    "    int x;\n"
    "protected:\n"
    "    static int count;\n"
    "};\n"
    "template <class T> class Stack { public: void push(const T& item); T pop(); };\n"
    "int freeFunction(char* text, int size = 4);\n";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zivrat::fuzz::prepareProcess();
    const zivrat::fuzz::Sandbox& sandbox = zivrat::fuzz::Sandbox::instance();
    std::filesystem::create_directories(sandbox.file("doc"));
    sandbox.write("shapes.h", kHeader);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const zivrat::fuzz::Sandbox& sandbox = zivrat::fuzz::Sandbox::instance();
    for (const char* name : {"doc/Shape.doc", "doc/Stack.doc", "doc/shapes.h.doc", "doc/misc.doc"}) {
        sandbox.write(name, data, size);
    }
    zivrat::fuzz::runProgram({"zivrat", "-P", "-lo", "out", "-ld", "doc", "shapes.h"});
    sandbox.checkAndClean(
        {"shapes.h", "doc/Shape.doc", "doc/Stack.doc", "doc/shapes.h.doc", "doc/misc.doc"});
    return 0;
}
