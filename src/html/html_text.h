// The small pieces of HTML that every page writer shares: escaping, links
// to class pages, word tables, index lists, the text blocks, the footer and
// the file names of pages.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "support/code_text.h"
#include "support/file_system.h"

namespace zivrat {

// The text of a page under construction. The page writers put their
// pieces together with "<<", each a plain append to one string: pages take
// hundreds of thousands of pieces, and a stream's per-piece work cost
// several times the append itself.
class PageText {
public:
    PageText& operator<<(std::string_view piece) {
        text_.append(piece.data(), piece.size());
        return *this;
    }
    PageText& operator<<(char piece) {
        text_ += piece;
        return *this;
    }
    // Counts (of files, of classes) in decimal.
    PageText& operator<<(std::size_t count) { return *this << std::to_string(count); }

    const std::string& text() const { return text_; }
    // For the helpers that append to a string (appendTypeLink and the like).
    std::string& text() { return text_; }

protected:
    std::string text_;
};

// Code text in the spaced form of type links and class names: "<" becomes
// "&lt " and ">" "&gt " (escapeCode of support/code_text.h for the rest).
std::string escapeHtml(const std::string& text);
// Writes code text into a page.
void writeCode(PageText& page, const std::string& text);
// The same, appended to a text under construction.
void appendCode(std::string& text, const std::string& code);

// Text written as HTML on purpose (descriptions, examples): a "<" that opens
// no known tag becomes "&lt;", a "&" before a letter or "#" that starts no
// entity becomes "&amp;"; the tags and entities stay as written.
std::string escapeProse(const std::string& text);

// The word of an AccessTag (or Access) code.
const char* accessWord(std::uint32_t code);

// The position of the first occurrence of `word` at or after `from` that
// stands alone (no letter, digit or "_" right before or after it), or npos.
std::size_t findWord(std::string_view text, std::string_view word, std::size_t from = 0);

// The class name that a type text names: cut at "*", "&", "<" and "(",
// trailing blanks removed, leading specifiers skipped.
std::string classNameInType(const std::string& type);

// The model class that a type text names, or null. The pseudo-class of an
// anonymous class has no page and is never a link target.
const ClassTag* findClassForType(const std::string& type);

// Writes the display text, as a link to the page of the class that the type
// names unless that is the current class (which may be null).
void writeTypeLink(PageText& page, const ClassTag* current, const std::string& type,
                   const std::string& display);
void appendTypeLink(std::string& text, const ClassTag* current, const std::string& type,
                    const std::string& display);

// The base classes with their access words.
void writeBaseList(PageText& page, const ClassTag& tag);
// The template parameters of a class template.
void writeTemplateParams(PageText& page, const ClassTag& tag);

struct SortedItem {
    std::string key;
    std::string text;
};

// An index under construction, kept in ascending byte-wise order of the
// keys; equal keys keep their order of insertion.
class IndexList {
public:
    explicit IndexList(int columns = 2);

    void add(std::string key, std::string text);
    void clear();
    int columns() const { return columns_; }
    std::size_t size() const { return entries_.size(); }
    // The entries in order.
    const std::vector<SortedItem>& entries() const;

private:
    int columns_;
    // Appended unsorted and sorted (stably) when read, so that filling a
    // list of n entries costs n log n and not n squared.
    mutable std::vector<SortedItem> entries_;
    mutable bool sorted_ = true;
};

void writeIndexList(const IndexList& list, PageText& page, const std::string& bullet);

// A description block; `withHeading` for class, file and library texts.
void writeDescription(PageText& page, const std::string& text, bool withHeading);
void writeExample(PageText& page, const std::string& text);
void writeFooter(PageText& page);

// The body tag after the head: "</HEAD>\n<BODY", with the colour when set.
void writeBodyStart(PageText& page, const std::string& colour);

// The modification time of a file as a date text with its line feed; empty
// for an empty path or a file that cannot be examined.
std::string fileTimeText(const std::string& path);

// The base name, with "(" mark ")" for a duplicate base name.
std::string fileDisplayName(const FileTag& file);

// The page name of the source file a class was declared in.
std::string classFilePageName(const ClassTag& tag);

// htmlPath + page name.
std::string pagePath(const std::string& pageName);

// A page of the HTML directory, built in memory and handed to the file
// system whole when it is closed or destroyed: a page whose writer a break
// stops keeps what was written until then.
class PageFile : public PageText {
public:
    PageFile() = default;
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;
    ~PageFile();

    // Replaces the page of that name; false when it cannot be created (the
    // page is then skipped without a message). A name that would lead
    // outside the HTML directory is refused with a failure.
    bool open(const std::string& pageName);
    void close();

private:
    PageOutput output_;
    bool open_ = false;
};

// The names of a class's two frame pages, upper first; with short names
// each takes the next short name.
struct FramePageNames {
    std::string upper;
    std::string lower;
};
FramePageNames nameFramePages(DocModel& model, const ClassTag& tag);

}  // namespace zivrat
