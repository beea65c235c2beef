#include "database_files.h"

#include <cstdio>
#include <cstring>

#include "common/temp_dir.h"

namespace zivrat::test {

Bytes fileBytes(const std::string& path) {
    std::string text = readFile(path);
    return Bytes(text.begin(), text.end());
}

void writeBytes(const std::string& path, const Bytes& bytes) {
    writeFile(path, std::string(bytes.begin(), bytes.end()));
}

std::uint32_t wordIn(const Bytes& bytes, std::size_t offset) {
    return std::uint32_t{bytes.at(offset)} | std::uint32_t{bytes.at(offset + 1)} << 8 |
           std::uint32_t{bytes.at(offset + 2)} << 16 | std::uint32_t{bytes.at(offset + 3)} << 24;
}

void setWord(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

VarDB recordFor(const std::string& name, const std::string& library) {
    VarDB record;
    record.sourcePage = name + ".h.html";
    record.pageFile = name + ".html";
    record.library = library;
    record.sourcePath = "/src/" + name + ".h";
    record.kind = Class;
    record.counters = MemberCounters{1, 2, 3, 4, 5, 6};
    return record;
}

void storeKeys(const std::string& path, const std::vector<std::string>& keys) {
    yBTreeOnDisk database;
    database.open(path);
    for (const std::string& key : keys) database.insertIfAbsent(key, recordFor(key));
    database.close();
}

std::vector<std::string> keysOf(const std::string& path) {
    std::vector<std::string> keys;
    yBTreeOnDisk database;
    database.open(path);
    database.visitAll([&](const std::string& key, const VarDB&) { keys.push_back(key); });
    database.close();
    return keys;
}

std::string numberedKey(int number) {
    char text[16];
    std::snprintf(text, sizeof text, "K%03d", number);
    return text;
}

StoredNode nodeAt(const Bytes& bytes, std::uint32_t position) {
    StoredNode node;
    node.count = wordIn(bytes, position);
    for (int i = 0; i < 21; ++i) node.children.push_back(wordIn(bytes, position + 4 + 4 * i));
    for (int i = 0; i < 20; ++i) node.values.push_back(wordIn(bytes, position + 88 + 4 * i));
    for (std::uint32_t i = 0; i < node.count && i < 20; ++i) {
        const char* key = reinterpret_cast<const char*>(bytes.data() + position + 168 + 64 * i);
        node.keys.emplace_back(key, strnlen(key, 64));
    }
    return node;
}

}  // namespace zivrat::test
