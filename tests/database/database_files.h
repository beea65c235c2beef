// Helpers of the database tests: whole files as bytes, words inside them,
// and records and trees made for a test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "database/btree_on_disk.h"
#include "ground/failures.h"
#include "ground/messages.h"

namespace zivrat::test {

using Bytes = std::vector<std::uint8_t>;

Bytes fileBytes(const std::string& path);
void writeBytes(const std::string& path, const Bytes& bytes);
std::uint32_t wordIn(const Bytes& bytes, std::size_t offset);
void setWord(Bytes& bytes, std::size_t offset, std::uint32_t value);

// A record whose texts name the class.
VarDB recordFor(const std::string& name, const std::string& library = "misc");

// Creates or opens the database and stores the keys (with recordFor).
void storeKeys(const std::string& path, const std::vector<std::string>& keys);
// The keys in visit order.
std::vector<std::string> keysOf(const std::string& path);

// "K001", "K002", ...: names that sort in their order.
std::string numberedKey(int number);

// One node of the standard tree (h 10, key length 64) as stored.
struct StoredNode {
    std::uint32_t count = 0;
    std::vector<std::uint32_t> children;  // all 21
    std::vector<std::uint32_t> values;    // all 20
    std::vector<std::string> keys;        // the first `count`, up to their first zero
};
StoredNode nodeAt(const Bytes& bytes, std::uint32_t position);

// Runs the work and returns the text of the database failure it raised
// (a text failure or a yError), or "" when it raised none.
template <typename Work>
std::string failureOf(Work work) {
    try {
        work();
    } catch (const TextFailure& failure) {
        return failure.text;
    } catch (const yError& error) {
        return error;
    }
    return "";
}

}  // namespace zivrat::test
