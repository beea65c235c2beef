// The main index page, the two file-list pages with the page of every source
// file, and the library pages. The index and library writers are also called
// by the rebuild from the class database.
#pragma once

#include "html/html_text.h"
#include "model/model.h"
#include "support/text_set.h"

namespace zivrat {

// The writers below take the model of the current input unless one is given
// (the index of a whole lenient run, or the one rebuilt from dico.dat).
void writeIndexPage(const TextSet& libraries);
void writeIndexPage(const DocModel& model, const TextSet& libraries);

// "hpp.html" and "cpp.html", each with the pages of its files, or with only
// the entries when the pages were written already.
enum class FilePages { kWrite, kAlreadyWritten };
void writeFileListPages();
void writeFileListPages(const DocModel& model, FilePages filePages);
// The page of every file of one table; each file's entry goes into the list.
void writeFilePages(const FileTable& table, IndexList& list);
// The page of every file of the model, without the list pages.
void writeAllFilePages(const DocModel& model);

void writeLibraryPages(const TextSet& libraries);
void writeLibraryPages(const DocModel& model, const TextSet& libraries);

}  // namespace zivrat
