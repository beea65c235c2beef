// The class database dico.dat: the add step and the index rebuild.
#pragma once

#include <string>

namespace zivrat {

class yBTreeOnDisk;
class TextSet;
struct DocModel;

// databasePath + "dico.dat".
std::string databaseFilePath();

// Records the model's classes (called after the pages of an input).
void addModelToDatabase();

// Rebuilds the index and library pages from the database (-i).
void rebuildIndexesFromDatabase();

// The middle of the rebuild: one class per record, in key order, under the
// file entity of its source path, and the set of library names.
void fillModelFromDatabase(yBTreeOnDisk& database, DocModel& model, TextSet& libraries);

}  // namespace zivrat
