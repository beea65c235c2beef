// A single-letter option scanner with the classic getopt rules: no
// permutation, scanning stops at the first operand, at "-" and after "--".
#pragma once

#include <string>
#include <vector>

namespace zivrat {

class OptionScanner {
public:
    static constexpr int kEnd = -1;
    static constexpr int kUnknown = '?';

    // Next argument index 1, messages on.
    void reset();
    // The next option letter, kUnknown for an illegal letter or a missing
    // value (after its message on the error stream), kEnd at the operands.
    int next(const std::vector<std::string>& args, const std::string& optionString);

    // The value of the last value-taking letter.
    const std::string& value() const { return value_; }
    // Index of the next argument to scan; after kEnd, the first operand.
    std::size_t nextIndex() const { return nextIndex_; }
    // Takes the argument at nextIndex as an extra value (for -lo dir).
    bool takeNextArgument(const std::vector<std::string>& args, std::string& taken);

private:
    std::size_t nextIndex_ = 1;
    std::size_t place_ = 0;  // position in a grouped argument; 0: start a new one
    bool messages_ = true;
    std::string value_;
};

}  // namespace zivrat
