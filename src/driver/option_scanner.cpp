#include "driver/option_scanner.h"

#include <iostream>

namespace zivrat {

void OptionScanner::reset() {
    nextIndex_ = 1;
    place_ = 0;
    messages_ = true;
    value_.clear();
}

int OptionScanner::next(const std::vector<std::string>& args, const std::string& optionString) {
    value_.clear();
    if (place_ == 0) {
        if (nextIndex_ >= args.size()) return kEnd;
        const std::string& arg = args[nextIndex_];
        if (arg.size() < 2 || arg[0] != '-') return kEnd;  // an operand, or "-"
        if (arg == "--") {
            ++nextIndex_;
            return kEnd;
        }
        place_ = 1;
    }
    const std::string& arg = args[nextIndex_];
    char letter = arg[place_++];
    bool atEnd = place_ >= arg.size();
    std::size_t found = letter == ':' ? std::string::npos : optionString.find(letter);
    if (found == std::string::npos) {
        if (atEnd) {
            ++nextIndex_;
            place_ = 0;
        }
        if (messages_) std::cerr << args[0] << ": illegal option -- " << letter << std::endl;
        return kUnknown;
    }
    bool takesValue = found + 1 < optionString.size() && optionString[found + 1] == ':';
    if (!takesValue) {
        if (atEnd) {
            ++nextIndex_;
            place_ = 0;
        }
        return letter;
    }
    std::size_t rest = place_;
    place_ = 0;
    if (!atEnd) {
        value_ = arg.substr(rest);
        ++nextIndex_;
        return letter;
    }
    if (++nextIndex_ >= args.size()) {
        if (messages_) {
            std::cerr << args[0] << ": option requires an argument -- " << letter << std::endl;
        }
        return kUnknown;
    }
    value_ = args[nextIndex_++];
    return letter;
}

bool OptionScanner::takeNextArgument(const std::vector<std::string>& args, std::string& taken) {
    if (nextIndex_ >= args.size()) return false;
    taken = args[nextIndex_++];
    return true;
}

}  // namespace zivrat
