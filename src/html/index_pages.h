// The main index page, the two file-list pages with the page of every source
// file, and the library pages. The index and library writers are also called
// by the rebuild from the class database.
#pragma once

#include "html/html_text.h"
#include "model/model.h"
#include "support/text_set.h"

namespace zivrat {

void writeIndexPage(const TextSet& libraries);
// "hpp.html" and "cpp.html", each with the pages of its files.
void writeFileListPages();
// The page of every file of one table; each file's entry goes into the list.
void writeFilePages(const FileTable& table, IndexList& list);
void writeLibraryPages(const TextSet& libraries);

}  // namespace zivrat
