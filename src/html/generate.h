// The generation driver: every page of the parsed model, then the database
// add step and the .doc skeletons when they are asked for.
#pragma once

namespace zivrat {

void generateOutput();

// The index, file-list and library pages of everything a lenient run
// documented (its inputs' own pages are written as they come).
void writeRunIndexPages();

}  // namespace zivrat
