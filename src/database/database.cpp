#include "database/database.h"

#include <memory>
#include <unordered_map>

#include "database/btree_on_disk.h"
#include "database/disk_file.h"
#include "ground/messages.h"
#include "ground/settings.h"
#include "model/model.h"
#include "support/paths.h"
#include "support/text_set.h"

namespace zivrat {
namespace {

const char* const kCantOpen = "Can't open 'dico.dat'\n";

VarDB recordOf(const ClassTag& tag) {
    VarDB record;
    record.sourcePage = (tag.sourceFile.empty() ? tag.name : tag.sourceFile) + ".html";
    record.pageFile = tag.pageFile;
    record.library = tag.library;
    record.sourcePath = tag.sourcePath;
    record.kind = tag.kind;
    record.counters = tag.counters();
    return record;
}

// Whether the database file is there, once an update that an earlier run
// left unfinished has been undone (its half-made file does not count).
bool databaseExists(const std::string& path) {
    recoverInterruptedUpdate(path);
    return pathExists(path);
}

void openDatabase(yBTreeOnDisk& database, const std::string& path) {
    if (!database.open(path)) throw yError(kCantOpen, kSystem);
}

// Builds the rebuilt model: the record's source file becomes the current
// file, and the class has the key as its name and the record's kind, page
// and library.
class ModelRefill {
public:
    explicit ModelRefill(DocModel& model) : model_(model) {}

    void addClass(const std::string& name, const VarDB& record) {
        if (FileTag* file = fileOf(record.sourcePath)) model_.currentFile = file;
        auto tag = std::make_unique<ClassTag>();
        tag->name = name;
        tag->kind = record.kind;
        tag->pageFile = record.pageFile;
        tag->library = record.library;
        model_.addClass(std::move(tag));
    }

private:
    // Each path is looked up in the model's file tables once: their buckets
    // grow long with thousands of files.
    FileTag* fileOf(const std::string& path) {
        auto known = files_.find(path);
        if (known != files_.end()) return known->second;
        FileTag* file = model_.findOrCreateFile(baseNameOf(path), path);
        files_.emplace(path, file);
        return file;
    }

    DocModel& model_;
    std::unordered_map<std::string, FileTag*> files_;
};

}  // namespace

std::string databaseFilePath() { return runSettings().databasePath + "dico.dat"; }

void addModelToDatabase() {
    currentOutput() << "DataBase :" << endLine;
    const std::string path = databaseFilePath();
    if (!runSettings().addToDatabase && databaseExists(path)) {
        throw yError("DataBase file 'dico.dat' already present\n", kSystem);
    }
    yBTreeOnDisk database;
    openDatabase(database, path);
    for (const auto& tag : docModel().classes) {
        if (tag->isAnonymous()) continue;
        // The first record of a name stays; later ones are not stored.
        database.insertIfAbsent(tag->name, recordOf(*tag));
    }
    database.close();
}

void fillModelFromDatabase(yBTreeOnDisk& database, DocModel& model, TextSet& libraries) {
    ModelRefill refill(model);
    database.visitAll([&](const std::string& name, const VarDB& record) {
        libraries.add(record.library);
        refill.addClass(name, record);
    });
}

TextSet readDatabaseIntoModel() {
    currentOutput() << "rebuild :" << endLine;
    const std::string path = databaseFilePath();
    if (!databaseExists(path)) {
        throw yError("DataBase file" + runSettings().databasePath + " 'dico.dat' is not present\n",
                     kSystem);
    }
    yBTreeOnDisk database;
    openDatabase(database, path);
    TextSet libraries;
    fillModelFromDatabase(database, docModel(), libraries);
    database.close();
    return libraries;
}

}  // namespace zivrat
