// The class database dico.dat: the add step and the index rebuild.
#pragma once

#include <string>

namespace zivrat {

// databasePath + "dico.dat".
std::string databaseFilePath();

// Records the model's classes (called after the pages of an input).
void addModelToDatabase();

// Rebuilds the index and library pages from the database (-i).
void rebuildIndexesFromDatabase();

}  // namespace zivrat
