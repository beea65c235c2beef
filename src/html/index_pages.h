// The main index page and the library pages, also written by the rebuild
// from the class database.
#pragma once

#include "support/text_set.h"

namespace zivrat {

void writeIndexPage(const TextSet& libraries);
void writeLibraryPages(const TextSet& libraries);

}  // namespace zivrat
