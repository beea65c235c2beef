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

// A header of `units` blocks; every block declares the same mix.
GeneratedHeader generateHeader(std::size_t units);

}  // namespace zivrat::bench
