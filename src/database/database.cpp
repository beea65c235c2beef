#include "database/database.h"

#include "driver/settings.h"

namespace zivrat {

std::string databaseFilePath() { return runSettings().databasePath + "dico.dat"; }

// Placeholders until the database lands.
void addModelToDatabase() {}
void rebuildIndexesFromDatabase() {}

}  // namespace zivrat
