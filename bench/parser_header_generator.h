// Synthetic old-style C++ headers for benchmarks: classes with members and
// comments, typedefs, enumerations and free functions.
#pragma once

#include <cstddef>
#include <string>

namespace zivrat::bench {

struct GeneratedHeader {
    std::string text;
    std::size_t declarations = 0;  // classes, members, typedefs, enums, functions
};

// A header of `units` blocks; every block declares the same mix. A modern
// block is wrapped in a namespace and adds qualified member types, export
// macros, unknown base classes and templates (read in lenient mode only).
GeneratedHeader generateHeader(std::size_t units, bool modern = false);

}  // namespace zivrat::bench
