// The class database dico.dat: the add step and the index rebuild.
#pragma once

#include <string>

#include "support/text_set.h"

namespace zivrat {

class yBTreeOnDisk;
struct DocModel;

// databasePath + "dico.dat".
std::string databaseFilePath();

// Records the model's classes (called after the pages of an input).
void addModelToDatabase();

// The first half of the index rebuild (-i): fills the model with one class
// per record and gives the set of library names; the pages are written from
// that model by the caller.
TextSet readDatabaseIntoModel();

// The middle of the rebuild: one class per record, in key order, under the
// file entity of its source path, and the set of library names.
void fillModelFromDatabase(yBTreeOnDisk& database, DocModel& model, TextSet& libraries);

}  // namespace zivrat
