#include "driver/config.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "driver/messages.h"
#include "driver/settings.h"
#include "support/failures.h"

namespace zivrat {
namespace {

struct ConfigKey {
    const char* key;
    std::string PageWords::*field;
    const char* defaultText;
};

// The keys of each section in reading order, with their built-in texts.
const ConfigKey kCommonKeys[] = {
    {"generator.lexer.keyword.ignore", &PageWords::generatorLexerKeywordIgnore, ""},
    {"generator.preprocessor.define", &PageWords::generatorPreprocessorDefine, ""},
    {"generator.preprocessor.include", &PageWords::generatorPreprocessorInclude, ""},
    {"generator.language.default", &PageWords::generatorLanguageDefault, ""},
    {"generator.url.server", &PageWords::generatorUrlServer, "http://localhost/"},
    {"generator.firstpage", &PageWords::generatorFirstpage, "index.html"},
    {"generator.html.version", &PageWords::generatorHtmlVersion, "2"},
    {"generator.html.frame.header.bgcolor", &PageWords::generatorHtmlFrameHeaderBgcolor, "#E0E0A0"},
    {"generator.html.frame.body.bgcolor", &PageWords::generatorHtmlFrameBodyBgcolor, ""},
    {"generator.html.noframe.bgcolor", &PageWords::generatorHtmlNoframeBgcolor, ""},
};

const ConfigKey kLanguageKeys[] = {
    {"generator.lib.type", &PageWords::generatorLibType, ""},
    {"generator.lib.name", &PageWords::generatorLibName, ""},
    {"generator.lib.default.name", &PageWords::generatorLibDefaultName, "misc"},
    {"generator.classes.exclude", &PageWords::generatorClassesExclude, ""},
    {"comment.description", &PageWords::commentDescription, "Description :"},
    {"comment.example", &PageWords::commentExample, "sample"},
    {"comment.author.nobody", &PageWords::commentAuthorNobody, "nobody"},
    {"comment.version.unknown", &PageWords::commentVersionUnknown, "unknown"},
    {"footer.name", &PageWords::footerName, "Last update :"},
    {"footer.by", &PageWords::footerBy, " by "},
    {"class.abstract", &PageWords::classAbstract, "abstract"},
    {"class.library", &PageWords::classLibrary, "Library"},
    {"class.source", &PageWords::classSource, "Source :"},
    {"class.file", &PageWords::classFile, "File :"},
    {"class.author", &PageWords::classAuthor, "Author :"},
    {"class.update", &PageWords::classUpdate, "Update :"},
    {"class.version", &PageWords::classVersion, "Version :"},
    {"function.constructor", &PageWords::functionConstructor, "Constructors :"},
    {"function.destructor", &PageWords::functionDestructor, "Destructors :"},
    {"function.operator", &PageWords::functionOperator, "Operators :"},
    {"function.public", &PageWords::functionPublic, "Public Function :"},
    {"function.protected", &PageWords::functionProtected, "Protected Function :"},
    {"funtion.private", &PageWords::funtionPrivate, "Private Function :"},
    {"data.public", &PageWords::dataPublic, "Public Data :"},
    {"data.protected", &PageWords::dataProtected, "Protected Data :"},
    {"data.private", &PageWords::dataPrivate, "Private Data :"},
    {"file.name", &PageWords::fileName, "File :"},
    {"file.author", &PageWords::fileAuthor, "Author :"},
    {"file.update", &PageWords::fileUpdate, "Update :"},
    {"file.version", &PageWords::fileVersion, "Version :"},
    {"file.classdef", &PageWords::fileClassdef, "Classes definition :"},
    {"file.typedef", &PageWords::fileTypedef, "Typedef definition :"},
    {"file.functiondef", &PageWords::fileFunctiondef, "Function prototype definition :"},
    {"firstpage.title", &PageWords::firstpageTitle, "My doc"},
    {"firstpage.header", &PageWords::firstpageHeader, "Main Index : "},
    {"firstpage.author", &PageWords::firstpageAuthor, "Authors : "},
    {"firstpage.version", &PageWords::firstpageVersion, "Version : "},
    {"firstpage.library", &PageWords::firstpageLibrary, "list of libraries :"},
    {"firstpage.libname", &PageWords::firstpageLibname, "Library : "},
    {"firstpage.file", &PageWords::firstpageFile, "List of files :"},
    {"firstpage.filename", &PageWords::firstpageFilename, "File :"},
    {"hppfile.title", &PageWords::hppfileTitle, "Files hpp (h,hxx) library"},
    {"hppfile.header", &PageWords::hppfileHeader, "Files library : "},
    {"hppfile.countname", &PageWords::hppfileCountname, " Files"},
    {"cppfile.title", &PageWords::cppfileTitle, "Files cpp (c,cxx) library"},
    {"cppfile.header", &PageWords::cppfileHeader, "Files library : "},
    {"cppfile.author", &PageWords::cppfileAuthor, "Authors : "},
    {"cppfile.version", &PageWords::cppfileVersion, "Version : "},
    {"cppfile.countname", &PageWords::cppfileCountname, " Files"},
    {"libfile.title", &PageWords::libfileTitle, "library"},
    {"libfile.header", &PageWords::libfileHeader, "library : "},
    {"libfile.author", &PageWords::libfileAuthor, "Authors : "},
    {"libfile.version", &PageWords::libfileVersion, "Version : "},
    {"libfile.countname", &PageWords::libfileCountname, " Classes"},
};

const char* const kVersionFailure =
    "Zivrat Error : INI generator.html.version must be 1,2 or 3 in file zivrat.ini";

std::string keyPattern(const char* key) { return std::string(key) + "[ \t]+=[ \t]*\""; }

std::string readKey(const std::string& text, const ConfigKey& key, std::size_t start) {
    std::string value = readConfigValue(text, keyPattern(key.key), start);
    configuration().words.*key.field = value;
    return value;
}

void appendLibraryPairs(const std::string& types, const std::string& names) {
    std::size_t typeStart = 0;
    std::size_t nameStart = 0;
    while (true) {
        auto type = splitField(typeStart, ',', types);
        if (type.first.empty()) break;
        auto name = splitField(nameStart, ',', names);
        configuration().libraryTypeList.push_back({Pattern(type.first), name.first});
        typeStart = type.second + 1;
        nameStart = name.second + 1;
    }
}

void readCommonSection(const std::string& text, std::size_t start, std::string& language) {
    for (const ConfigKey& key : kCommonKeys) {
        std::string value = readKey(text, key, start);
        std::string name = key.key;
        if (name == "generator.lexer.keyword.ignore") {
            for (const std::string& word : splitFields(value, ',')) {
                configuration().keywordIgnoreList.push_back(word);
            }
        } else if (name == "generator.language.default") {
            language = value;
        } else if (name == "generator.html.version") {
            int version = std::atoi(value.c_str());
            runSettings().htmlVersion = static_cast<std::int8_t>(version);
            if (version < 1 || version > 3) throw TextFailure{kVersionFailure};
        }
    }
}

void readLanguageSection(const std::string& text, std::size_t start) {
    PageWords& words = configuration().words;
    for (const ConfigKey& key : kLanguageKeys) {
        std::string value = readKey(text, key, start);
        std::string name = key.key;
        if (name == "generator.lib.name") {
            appendLibraryPairs(words.generatorLibType, value);
        } else if (name == "generator.classes.exclude") {
            for (const std::string& pattern : splitFields(value, '|')) {
                configuration().classExcludeList.emplace_back(pattern);
            }
        }
    }
}

}  // namespace

PageWords::PageWords() {
    for (const ConfigKey& key : kCommonKeys) this->*key.field = key.defaultText;
    for (const ConfigKey& key : kLanguageKeys) this->*key.field = key.defaultText;
}

Configuration& configuration() {
    static Configuration config;
    return config;
}

std::pair<std::string, std::size_t> splitField(std::size_t start, char separator,
                                               const std::string& text) {
    if (start >= text.size()) return {std::string(), text.size()};
    std::size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    return {text.substr(start, end - start), end};
}

std::vector<std::string> splitFields(const std::string& text, char separator) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        auto field = splitField(start, separator, text);
        if (field.first.empty()) break;
        fields.push_back(field.first);
        start = field.second + 1;
    }
    return fields;
}

void stripConfigComments(std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '"') {
            std::size_t close = text.find('"', i + 1);
            i = close == std::string::npos ? text.size() : close + 1;
        } else if (text[i] == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            std::size_t lineEnd = text.find('\n', i);
            text.erase(i, lineEnd == std::string::npos ? std::string::npos : lineEnd - i);
        } else {
            ++i;
        }
    }
}

std::string readConfigValue(const std::string& text, const std::string& keyPattern,
                            std::size_t start) {
    Pattern::Match match = Pattern(keyPattern).find(text, start);
    if (!match.found()) {
        currentOutput() << "zivrat.ini : item " << keyPattern.substr(0, keyPattern.find('['))
                        << " not found" << std::endl;
        return std::string();
    }
    std::size_t open = text.find('"', match.position);
    if (open == std::string::npos) return std::string();
    std::size_t close = text.find('"', open + 1);
    if (close == std::string::npos) close = text.size();
    return text.substr(open + 1, close - open - 1);
}

bool loadConfiguration(const std::string& path) {
    runSettings().resetFlags();
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        currentOutput() << "Zivrat Warning : no zivrat.ini file found, default language : English"
                        << endLine;
        return false;
    }
    std::ostringstream whole;
    whole << file.rdbuf();
    std::string text = whole.str();
    stripConfigComments(text);

    std::string language = "Francais";
    Pattern::Match common = Pattern("\\[Common\\]").find(text, 0);
    if (common.found()) readCommonSection(text, common.position + 8, language);

    std::string header = "[" + language + "]";
    Pattern::Match section = Pattern("\\[" + language + "\\]").find(text, 0);
    if (!section.found()) {
        currentOutput() << "Zivrat error : generator.language.default not found or mismatch in "
                           "section [Common] config file '"
                        << path << "'" << std::endl;
    } else {
        readLanguageSection(text, section.position + header.size());
    }
    if (outputIsBuffered()) deliverBufferedOutput();
    return true;
}

}  // namespace zivrat
