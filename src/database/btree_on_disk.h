// The class database map: class names to VarDB records, kept in the B-tree
// file (the map opens, reads, inserts, visits and closes the file).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "model/model.h"

namespace zivrat {

class DiskFile;
class SpaceManager;
class DiskBTree;

// The record of one class.
struct VarDB {
    std::string sourcePage;
    std::string pageFile;
    std::string library;
    std::string sourcePath;
    std::uint32_t kind = Class;
    MemberCounters counters;
};

class yBTreeOnDisk {
public:
    yBTreeOnDisk();
    // Without close, whatever changed since open is dropped.
    ~yBTreeOnDisk();
    yBTreeOnDisk(const yBTreeOnDisk&) = delete;
    yBTreeOnDisk& operator=(const yBTreeOnDisk&) = delete;

    // Opens the file for update, creating it when absent, and sets up the
    // space manager and the tree. False when the tree cannot be set up; the
    // file's own failures are raised.
    bool open(const std::string& path);
    bool find(const std::string& key, std::uint32_t& position);
    VarDB readRecord(std::uint32_t position);
    // Stores the record under the key unless the key is present.
    bool insertIfAbsent(const std::string& key, const VarDB& record);
    // Every entry in ascending key order (the callback holds what it needs).
    void visitAll(const std::function<void(const std::string& key, const VarDB& record)>& visitor);
    // Writes the tree header and makes every change part of the file.
    void close();

private:
    std::unique_ptr<DiskFile> file_;
    std::unique_ptr<SpaceManager> space_;
    std::unique_ptr<DiskBTree> tree_;
};

}  // namespace zivrat
