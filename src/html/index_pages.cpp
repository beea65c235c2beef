#include "html/index_pages.h"

#include <unordered_map>
#include <vector>

#include "ground/banner.h"
#include "ground/frontend_hooks.h"
#include "ground/messages.h"
#include "ground/page_words.h"
#include "ground/settings.h"
#include "html/class_pages.h"
#include "model/doc_files.h"

namespace zivrat {
namespace {

void writePageEnd(PageText& page) {
    writeFooter(page);
    page << "</BODY>\n</HTML>\n";
}

// The entry of a class on file and library pages (without a target: with
// frames it opens the class's frameset in the same window).
void addClassEntry(IndexList& list, const ClassTag& tag) {
    std::string text;
    text.reserve(32 + tag.pageFile.size() + 2 * tag.name.size());
    text.append(classKindWord(tag.kind)).append(" : <a href=\"").append(tag.pageFile).append("\">");
    if (needsCodeEscape(tag.name)) text.append(escapeHtml(tag.name));
    else text.append(tag.name);
    text.append("</a>");
    list.add(tag.name, std::move(text));
}

void writeLibraryList(PageText& page, const TextSet& libraries) {
    const PageWords& words = configuration().words;
    page << "<h4>" << words.firstpageLibrary << "</h4>\n" << "<ul type=square>\n";
    for (const std::string& library : libraries.inOrder()) {
        checkBreak();
        currentOutput() << "lib : " << library << endLine;
        page << "<li>" << words.firstpageLibname << "<a href=\"" << library << ".html\">" << library
             << "</a>\n";
    }
    page << "</ul>\n";
}

void writeFileKindList(PageText& page, const DocModel& model) {
    if (!model.hasFiles()) return;
    const PageWords& words = configuration().words;
    const auto& tables = model.fileTables;
    page << "<h4>" << words.firstpageFile << "</h4>\n" << "<ul type=square>\n";
    if (!tables[HeaderHpp].empty() || !tables[HeaderH].empty()) {
        page << "<li>" << words.firstpageFilename << "<a href=\"hpp.html\">h, hpp, hxx</a>\n";
    }
    if (!tables[SourceCpp].empty() || !tables[SourceC].empty()) {
        page << "<li>" << words.firstpageFilename << "<a href=\"cpp.html\">c, cpp, cxx</a>\n";
    }
    page << "</ul>\n";
}

// The entry of a file on the file-list pages.
void addFileEntry(IndexList& list, const FileTag& file) {
    const std::string name = fileDisplayName(file);
    list.add(name, configuration().words.fileName + " <a href=\"" + name + ".html\">" + name + "</a>");
}

// The file count and the two lists of one file-list page, one per file kind;
// the pages of the files are written on the way when asked for.
void writeFileLists(PageText& page, const DocModel& model, FileKind first, FileKind second,
                    const std::string& countWord, IndexList& list, FilePages filePages) {
    page << (model.fileTables[first].size() + model.fileTables[second].size()) << countWord
         << "\n" << "<p>\n<hr>\n";
    for (FileKind kind : {first, second}) {
        list.clear();
        if (filePages == FilePages::kWrite) {
            writeFilePages(model.fileTables[kind], list);
        } else {
            for (const FileTag* file : model.fileTables[kind].inOrder()) addFileEntry(list, *file);
        }
        writeIndexList(list, page, "square");
    }
    writePageEnd(page);
}

// The head of a file-list page, which stays open while its file pages are
// written; those are written even when the list page cannot be created.
void openListPage(PageFile& page, const std::string& pageName, const std::string& title,
                  const std::string& header, const char* kinds) {
    page.open(pageName);
    page << "<HTML>\n<HEAD>\n" << "<title>" << title
         << "</title>\n</HEAD>\n<BODY>\n<font size=5><b>" << header << "</font> " << kinds
         << "</b><p>\n";
}

void writeHeaderListPage(const DocModel& model, IndexList& list, FilePages filePages) {
    const PageWords& words = configuration().words;
    PageFile page;
    openListPage(page, "hpp.html", words.hppfileTitle, words.hppfileHeader, "hpp(h,hxx)");
    writeFileLists(page, model, HeaderHpp, HeaderH, words.hppfileCountname, list, filePages);
}

void writeSourceListPage(const DocModel& model, IndexList& list, FilePages filePages) {
    const PageWords& words = configuration().words;
    PageFile page;
    openListPage(page, "cpp.html", words.cppfileTitle, words.cppfileHeader, "cpp(c,cxx)");
    page << "<font size=4><b>" << words.cppfileAuthor << "</font>" << currentAuthorText(model)
         << "</b><p>\n<font size=4><b>" << words.cppfileVersion << "</font>"
         << currentVersionText(model) << "</b><p>\n";
    writeFileLists(page, model, SourceCpp, SourceC, words.cppfileCountname, list, filePages);
}

void writeFilePageHead(PageText& page, const FileTag& file, const std::string& name) {
    const PageWords& words = configuration().words;
    page << "<HTML>\n<HEAD>\n" << "<title>" << words.fileName << name
         << "</title>\n</HEAD>\n<BODY>\n<font size=5><b>" << words.fileName << " </font><a href=\""
         << words.generatorUrlServer << file.path << "\">" << name << "</a></b><p>\n"
         << "<font size=4><b>" << words.fileAuthor << " </font><font size=3>" << file.authors
         << "</font></b><p>\n"
         << "<font size=4><b>" << words.fileVersion << " </font><font size=3>" << file.version
         << "</font></b><p>\n"
         << "<font size=4><b>" << words.fileUpdate << " </font><font size=3>"
         << fileTimeText(file.path) << "</font></b><p>\n"
         << "<p>\n<hr><p>\n";
}

void writeFileClasses(PageText& page, const FileTag& file) {
    page << "<h3><i>" << configuration().words.fileClassdef << "</i></h3>\n";
    IndexList list(2);
    for (const ClassTag* tag : file.classes) {
        if (!tag->isAnonymous()) addClassEntry(list, *tag);
    }
    writeIndexList(list, page, "square");
}

void writeFileTypedefs(PageText& page, const FileTag& file) {
    if (file.typedefNames.empty()) return;
    page << "<h3><i>" << configuration().words.fileTypedef << "</i></h3>\n" << "<ul type=square>\n";
    for (const std::string& name : file.typedefNames) {
        page << "<li>typedef : ";
        writeCode(page, name);
        page << "\n";
    }
    page << "</ul>\n";
}

void writeFileFunctions(PageText& page, const FileTag& file) {
    if (file.functions.empty()) return;
    page << "<h3><i>" << configuration().words.fileFunctiondef << "</i></h3>\n"
         << "<ul type=square>\n";
    for (const FunctionTag& function : file.functions) writeFunctionItem(page, nullptr, function);
    page << "</ul>\n";
}

void writeFilePage(const FileTag& file, const std::string& name) {
    PageFile page;
    if (!page.open(name + ".html")) return;
    writeFilePageHead(page, file, name);
    writeDescription(page, file.description, true);
    writeFileClasses(page, file);
    writeFileTypedefs(page, file);
    writeFileFunctions(page, file);
    writePageEnd(page);
}

// The named classes of the model by library, each in registration order,
// gathered once so that a library page does not walk the whole class list.
std::unordered_map<std::string, std::vector<const ClassTag*>> classesByLibrary(
    const DocModel& model) {
    std::unordered_map<std::string, std::vector<const ClassTag*>> groups;
    for (const auto& tag : model.classes) {
        checkBreak();
        if (!tag->isAnonymous()) groups[tag->library].push_back(tag.get());
    }
    return groups;
}

void writeLibraryPage(const LibraryDoc& library, const std::vector<const ClassTag*>& classes) {
    PageFile page;
    if (!page.open(library.name + ".html")) return;
    const PageWords& words = configuration().words;
    page << "<HTML>\n<HEAD>\n" << "<!--" << decodedHeadLine() << "!-->\n"
         << "<title>" << words.libfileTitle << library.name
         << "</title>\n</HEAD>\n<BODY>\n<font size=5><b>" << words.libfileHeader << "</font>"
         << library.name << "</b><p>\n<font size=4><b>" << words.libfileAuthor << "</font>"
         << library.authors << "</b><p>\n<font size=4><b>" << words.libfileVersion << "</font>"
         << library.version << "</b><p>\n" << "<p>\n<hr>\n";
    writeDescription(page, library.description, true);
    IndexList list(2);
    for (const ClassTag* tag : classes) addClassEntry(list, *tag);
    writeIndexList(list, page, "square");
    page << classes.size() << words.libfileCountname << "\n";
    writePageEnd(page);
}

}  // namespace

void writeIndexPage(const TextSet& libraries) { writeIndexPage(docModel(), libraries); }

void writeIndexPage(const DocModel& model, const TextSet& libraries) {
    const PageWords& words = configuration().words;
    PageFile page;
    if (!page.open(words.generatorFirstpage)) return;
    page << "<HTML>\n<HEAD>\n" << "<title>" << words.firstpageTitle
         << "</title>\n</HEAD>\n<BODY>\n<font size=5><b>" << words.firstpageHeader
         << "</font>index</b><p>\n<font size=4><b>" << words.firstpageAuthor << "</font>"
         << currentAuthorText(model) << "</b><p>\n<font size=4><b>" << words.firstpageVersion
         << "</font>" << currentVersionText(model) << "</b><p>\n" << "<p>\n<hr>\n";
    writeLibraryList(page, libraries);
    writeFileKindList(page, model);
    if (runSettings().groupware) page << "<applet code=Kwt.class width=60 height=30></applet>\n";
    writePageEnd(page);
}

void writeFileListPages() { writeFileListPages(docModel(), FilePages::kWrite); }

void writeFileListPages(const DocModel& model, FilePages filePages) {
    IndexList list(2);
    writeHeaderListPage(model, list, filePages);
    writeSourceListPage(model, list, filePages);
}

void writeAllFilePages(const DocModel& model) {
    IndexList unused(2);
    for (FileKind kind : {HeaderHpp, HeaderH, SourceCpp, SourceC}) {
        writeFilePages(model.fileTables[kind], unused);
    }
}

void writeFilePages(const FileTable& table, IndexList& list) {
    for (FileTag* file : table.inOrder()) {
        checkBreak();
        mergeFileDoc(*file);
        addFileEntry(list, *file);
        writeFilePage(*file, fileDisplayName(*file));
    }
}

void writeLibraryPages(const TextSet& libraries) { writeLibraryPages(docModel(), libraries); }

void writeLibraryPages(const DocModel& model, const TextSet& libraries) {
    const auto groups = classesByLibrary(model);
    const std::vector<const ClassTag*> none;
    for (const std::string& name : libraries.inOrder()) {
        LibraryDoc library;
        library.name = name;
        mergeLibraryDoc(library);
        auto found = groups.find(name);
        writeLibraryPage(library, found == groups.end() ? none : found->second);
    }
}

}  // namespace zivrat
