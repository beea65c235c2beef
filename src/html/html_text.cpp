#include "html/html_text.h"

#include <algorithm>
#include <cctype>

#include "ground/input_tracking.h"
#include "ground/messages.h"
#include "ground/page_words.h"
#include "ground/settings.h"
#include "ground/version.h"
#include "support/clock.h"
#include "support/code_text.h"
#include "support/file_system.h"
#include "support/paths.h"

namespace zivrat {
namespace {

// As isalnum in the "C" locale the program runs in, without a library call.
bool isIdentifierCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Removes every occurrence of the word that stands alone.
std::string removeWord(const std::string& text, const std::string& word) {
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = findWord(text, word); at != std::string::npos;
         at = findWord(text, word, from)) {
        result.append(text, from, at - from);
        from = at + word.size();
    }
    result.append(text, from, std::string::npos);
    return result;
}

// Every line feed becomes "<br>".
std::string withLineBreaks(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c == '\n') result += "<br>";
        else result += c;
    }
    return result;
}

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool isHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }
bool isAlphanumeric(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// The end of the run of characters from `from` that pass `test`.
template <typename Test>
std::size_t endOfRun(const std::string& text, std::size_t from, Test test) {
    while (from < text.size() && test(text[from])) ++from;
    return from;
}

// An entity at `at` ("&name;", "&#123;", "&#x7B;"), or one of the spaced
// forms without ";" that pages write themselves ("&lt ").
bool isEntity(const std::string& text, std::size_t at) {
    std::size_t start = at + 1;
    std::size_t end;
    if (text[start] == '#') {
        bool hex = start + 1 < text.size() && (text[start + 1] == 'x' || text[start + 1] == 'X');
        std::size_t digits = start + (hex ? 2 : 1);
        end = hex ? endOfRun(text, digits, isHexDigit) : endOfRun(text, digits, isDigit);
        return end > digits && end < text.size() && text[end] == ';';
    }
    end = endOfRun(text, start, isAlphanumeric);
    if (end < text.size() && text[end] == ';') return true;
    static const char* const kBareNames[] = {"lt", "gt", "amp", "quot", "nbsp"};
    const std::string name = text.substr(start, end - start);
    for (const char* bare : kBareNames) {
        if (name == bare) return true;
    }
    return false;
}

bool isKnownTag(std::string name) {
    static const char* const kTags[] = {
        "b",     "i",     "em",      "strong",  "code",    "tt",  "pre", "br",  "p",
        "a",     "ul",    "ol",      "li",      "font",    "table", "tr", "td", "th",
        "thead", "tbody", "tfoot",   "caption", "col",     "colgroup", "img", "hr", "h1",
        "h2",    "h3",    "h4",      "h5",      "h6",      "sup", "sub", "dl",  "dt",
        "dd",    "blockquote"};
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* tag : kTags) {
        if (name == tag) return true;
    }
    return false;
}

// A "<" at `at` that opens (or closes) a tag of the known set: the name ends
// at ">", "/" or a blank, as in "<b>", "</i>", "<br/>", "<a href=...>".
bool opensKnownTag(const std::string& text, std::size_t at) {
    std::size_t start = at + 1;
    if (start < text.size() && text[start] == '/') ++start;
    std::size_t end = endOfRun(text, start, isAlphanumeric);
    if (end == start || end == text.size()) return false;
    char after = text[end];
    bool ends = after == '>' || after == '/' || std::isspace(static_cast<unsigned char>(after)) != 0;
    return ends && isKnownTag(text.substr(start, end - start));
}

constexpr std::size_t kLongText = 80;

bool isLong(const std::string& text) { return text.size() >= kLongText; }
bool hasLineFeed(const std::string& text) { return text.find('\n') != std::string::npos; }
bool hasParagraph(const std::string& text) { return text.find("<p>") != std::string::npos; }

}  // namespace

std::string escapeHtml(const std::string& text) { return escapeCodeAs(text, "&lt ", "&gt "); }

void writeCode(PageText& page, const std::string& text) {
    if (needsCodeEscape(text)) page << escapeCode(text);
    else page << text;
}

void appendCode(std::string& text, const std::string& code) {
    if (needsCodeEscape(code)) text += escapeCode(code);
    else text += code;
}

std::string escapeProse(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        char c = text[at];
        if (c == '<' && !opensKnownTag(text, at)) escaped += "&lt;";
        else if (c == '&' && opensEntity(text, at) && !isEntity(text, at)) escaped += "&amp;";
        else escaped += c;
    }
    return escaped;
}

const char* accessWord(std::uint32_t code) {
    static const char* const kWords[] = {"public",         "protected",         "private",
                                         "virtual public", "virtual protected", "virtual private"};
    return code < 6 ? kWords[code] : "Unknow Access Tag";
}

// Texts and words are short (types and specifiers): a plain loop over the
// first character beats the library's search.
std::size_t findWord(std::string_view text, std::string_view word, std::size_t from) {
    if (word.empty() || word.size() > text.size()) return std::string_view::npos;
    for (std::size_t at = from; at + word.size() <= text.size(); ++at) {
        if (text[at] != word[0] || text.compare(at, word.size(), word) != 0) continue;
        bool alone = (at == 0 || !isIdentifierCharacter(text[at - 1])) &&
                     (at + word.size() == text.size() ||
                      !isIdentifierCharacter(text[at + word.size()]));
        if (alone) return at;
    }
    return std::string_view::npos;
}

namespace {

constexpr std::string_view kSpecifiers[] = {"const", "inline", "static", "virtual", "friend"};
constexpr unsigned kSpecifierCount = sizeof kSpecifiers / sizeof kSpecifiers[0];

// Which specifiers stand as words in the text, a bit each: most types hold
// none or one, and need no search for the others.
unsigned specifiersIn(std::string_view text) {
    unsigned found = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (!isIdentifierCharacter(text[at])) {
            ++at;
            continue;
        }
        std::size_t end = at + 1;
        while (end < text.size() && isIdentifierCharacter(text[end])) ++end;
        const std::string_view word = text.substr(at, end - at);
        for (unsigned k = 0; k < kSpecifierCount; ++k) {
            if (word == kSpecifiers[k]) found |= 1u << k;
        }
        at = end;
    }
    return found;
}

// What classNameInType keeps of a type, as a view into it.
std::string_view classNameView(std::string_view name) {
    // Cutting at the first of each stop in turn is cutting at the first of any.
    std::size_t stop = 0;
    while (stop < name.size() && name[stop] != '*' && name[stop] != '&' && name[stop] != '<' &&
           name[stop] != '(') {
        ++stop;
    }
    name = name.substr(0, stop);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    // Each specifier is skipped with the one character after it, wherever
    // it stands in what remains.
    const unsigned specifiers = specifiersIn(name);
    for (unsigned k = 0; specifiers != 0 && k < kSpecifierCount; ++k) {
        if ((specifiers & (1u << k)) == 0) continue;
        std::size_t at = findWord(name, kSpecifiers[k]);
        if (at != std::string_view::npos) {
            name.remove_prefix(std::min(name.size(), at + kSpecifiers[k].size() + 1));
        }
    }
    return name;
}

}  // namespace

std::string classNameInType(const std::string& type) { return std::string(classNameView(type)); }

const ClassTag* findClassForType(const std::string& type) {
    const std::string_view name = classNameView(type);
    if (isAnonymousClassName(name)) return nullptr;
    return docModel().findClass(name);
}

void appendTypeLink(std::string& text, const ClassTag* current, const std::string& type,
                    const std::string& display) {
    // Most types show as they are written.
    const bool plain = !needsCodeEscape(display) && display.find("inline") == std::string::npos;
    std::string escaped;
    if (!plain) escaped = removeWord(escapeHtml(display), "inline");
    const std::string& shown = plain ? display : escaped;
    const ClassTag* target = findClassForType(type);
    if (target == nullptr || target == current) {
        text += shown;
        return;
    }
    text.append("<A HREF=\"").append(target->pageFile).append("\"");
    text.append(runSettings().frames ? " TARGET=\"_top\">" : ">").append(shown).append("</A> ");
}

void writeTypeLink(PageText& page, const ClassTag* current, const std::string& type,
                   const std::string& display) {
    appendTypeLink(page.text(), current, type, display);
}

void writeBaseList(PageText& page, const ClassTag& tag) {
    for (std::size_t i = 0; i < tag.baseNames.size(); ++i) {
        if (i > 0) page << ", ";
        std::uint32_t access = i < tag.baseAccess.size() ? tag.baseAccess[i] : PrivateBase;
        page << accessWord(access) << " ";
        writeTypeLink(page, &tag, tag.baseNames[i], tag.baseNames[i]);
    }
}

void writeTemplateParams(PageText& page, const ClassTag& tag) {
    bool first = true;
    for (const DataTag& param : tag.templateParams) {
        if (!first) page << ", ";
        first = false;
        writeTypeLink(page, &tag, param.type, param.type);
        if (param.flags == PointerShape) page << "*";
        else if (param.flags == ReferenceShape) page << "&";
        page << " ";
        writeCode(page, param.name);
    }
}

IndexList::IndexList(int columns) : columns_(columns) { entries_.reserve(64); }

void IndexList::add(std::string key, std::string text) {
    if (!entries_.empty() && key < entries_.back().key) sorted_ = false;
    entries_.push_back({std::move(key), std::move(text)});
}

void IndexList::clear() {
    entries_.clear();
    sorted_ = true;
}

const std::vector<SortedItem>& IndexList::entries() const {
    if (sorted_) return entries_;
    // Positions are sorted, and the entries moved once: moving entries
    // about while merging costs more than comparing their keys.
    std::vector<std::uint32_t> order(entries_.size());
    for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [this](std::uint32_t a, std::uint32_t b) {
        return entries_[a].key < entries_[b].key;
    });
    std::vector<SortedItem> sorted;
    sorted.reserve(entries_.size());
    for (std::uint32_t at : order) sorted.push_back(std::move(entries_[at]));
    entries_.swap(sorted);
    sorted_ = true;
    return entries_;
}

void writeIndexList(const IndexList& list, PageText& page, const std::string& bullet) {
    const std::vector<SortedItem>& entries = list.entries();
    const std::size_t count = entries.size();
    const std::string listStart = "<ul type=" + bullet + ">\n";
    if (count <= 5) {
        page << listStart;
        for (const SortedItem& item : entries) page << "<li>" << item.text;
        page << "</ul>\n";
        return;
    }
    // Every list of the program has at least one column; a smaller count
    // would leave the column height undefined.
    const std::size_t columns = static_cast<std::size_t>(std::max(list.columns(), 1));
    std::size_t height = count / columns;
    if (height > 30) height = count / (columns + 1);
    if (height > 60) height = count / (columns + 2);
    const char* lineEnd = runSettings().htmlVersion == 3 ? "\n" : "<br>\n";
    // Long lists (the main index holds every class of a run) are put
    // together first and reach the page in one insert.
    std::string table = "<table>\n<tr><td valign=top>\n" + listStart;
    std::size_t inColumn = 0;
    for (const SortedItem& item : entries) {
        table.append("<li>").append(item.text).append(lineEnd);
        if (++inColumn > height) {
            inColumn = 0;
            table.append("</ul>\n<td valign=top>\n").append(listStart);
        }
    }
    table.append("</ul>\n</table>\n");
    page << table;
}

void writeDescription(PageText& page, const std::string& text, bool withHeading) {
    if (text.empty()) return;
    if (withHeading && (isLong(text) || hasLineFeed(text))) {
        page << "<font size=4><b>" << configuration().words.commentDescription << "</b></font>\n";
    }
    // The layout follows the text as written; escaping only changes how
    // its characters reach the browser.
    std::string shown = withLineBreaks(text);
    page << "<i>" << withLineBreaks(escapeProse(text)) << "</i>";
    if (withHeading && (isLong(shown) || hasParagraph(shown))) page << "<p>\n";
}

void writeExample(PageText& page, const std::string& text) {
    if (text.empty()) return;
    if (isLong(text) || hasLineFeed(text)) {
        page << "<b>" << configuration().words.commentExample << "</b>\n";
    }
    std::string shown = withLineBreaks(text);
    page << "<pre>" << withLineBreaks(escapeProse(text)) << "</pre>\n";
    if (isLong(shown) || hasParagraph(shown)) page << "<p>\n";
}

void writeFooter(PageText& page) {
    const PageWords& words = configuration().words;
    std::string now = dateText(currentTime());
    page << "<!--$$-->\n"
         << "<hr><font size=2><b>" << words.footerName << " </b>" << now << "</font>"
         << words.footerBy << "<i>Zivrat " << kVersionText << "</i><p>\n";
}

void writeBodyStart(PageText& page, const std::string& colour) {
    page << "</HEAD>\n<BODY";
    if (colour.empty()) page << ">\n";
    else page << " BGCOLOR=\"" << colour << "\">\n";
}

std::string fileTimeText(const std::string& path) {
    std::time_t when;
    if (path.empty() || !modificationTime(path, when)) return std::string();
    return dateText(when);
}

std::string fileDisplayName(const FileTag& file) {
    if (file.duplicateMark == 0) return file.baseName;
    return file.baseName + "(" + std::to_string(file.duplicateMark) + ")";
}

std::string classFilePageName(const ClassTag& tag) {
    // Two headers of the same base name have pages "x.h.html" and
    // "x.h(1).html": the link follows the file the class was declared in.
    FileKind kind;
    if (fileKindOf(tag.sourceFile, kind)) {
        if (const FileTag* file = docModel().fileTables[kind].find(tag.sourcePath, kind)) {
            return fileDisplayName(*file) + ".html";
        }
    }
    return tag.sourceFile + ".html";
}

std::string pagePath(const std::string& pageName) { return runSettings().htmlPath + pageName; }

PageFile::~PageFile() { close(); }

bool PageFile::open(const std::string& pageName) {
    close();
    // Most pages fit the first few kilobytes.
    text_ = takePageText();
    text_.reserve(8192);
    PageOpening opening = output_.open(runSettings().htmlPath, pageName, notePageWrite);
    if (opening == PageOpening::kOutsideFolder) {
        throw yError("page '" + pageName + "' would be written outside the output folder: refused\n",
                     kSystem);
    }
    open_ = opening == PageOpening::kOpened;
    return open_;
}

void PageFile::close() {
    if (!open_) return;
    open_ = false;
    output_.close(std::move(text_));
}

FramePageNames nameFramePages(DocModel& model, const ClassTag& tag) {
    FramePageNames names;
    if (runSettings().shortNames) {
        names.upper = nextShortName(model);
        names.lower = nextShortName(model);
    } else {
        names.upper = fileSafeName(tag.name) + "_u.html";
        names.lower = fileSafeName(tag.name) + "_d.html";
    }
    return names;
}

}  // namespace zivrat
