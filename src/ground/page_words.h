// The words that a reader of the pages sees and the list-valued settings,
// with their built-in texts; the configuration file replaces them.
#pragma once

#include <string>
#include <vector>

#include "support/pattern.h"

namespace zivrat {

// One text per configuration key, named after the key.
struct PageWords {
    PageWords();

    // [Common]
    std::string generatorLexerKeywordIgnore;
    std::string generatorPreprocessorDefine;
    std::string generatorPreprocessorInclude;
    std::string generatorLanguageDefault;
    std::string generatorUrlServer;
    std::string generatorFirstpage;
    std::string generatorHtmlVersion;
    std::string generatorHtmlFrameHeaderBgcolor;
    std::string generatorHtmlFrameBodyBgcolor;
    std::string generatorHtmlNoframeBgcolor;

    // The language section.
    std::string generatorLibType;
    std::string generatorLibName;
    std::string generatorLibDefaultName;
    std::string generatorClassesExclude;
    std::string commentDescription;
    std::string commentExample;
    std::string commentAuthorNobody;
    std::string commentVersionUnknown;
    std::string footerName;
    std::string footerBy;
    std::string classAbstract;
    std::string classLibrary;
    std::string classSource;
    std::string classFile;
    std::string classAuthor;
    std::string classUpdate;
    std::string classVersion;
    std::string functionConstructor;
    std::string functionDestructor;
    std::string functionOperator;
    std::string functionPublic;
    std::string functionProtected;
    std::string funtionPrivate;  // the key is spelled "funtion.private"
    std::string dataPublic;
    std::string dataProtected;
    std::string dataPrivate;
    std::string fileName;
    std::string fileAuthor;
    std::string fileUpdate;
    std::string fileVersion;
    std::string fileClassdef;
    std::string fileTypedef;
    std::string fileFunctiondef;
    std::string firstpageTitle;
    std::string firstpageHeader;
    std::string firstpageAuthor;
    std::string firstpageVersion;
    std::string firstpageLibrary;
    std::string firstpageLibname;
    std::string firstpageFile;
    std::string firstpageFilename;
    std::string hppfileTitle;
    std::string hppfileHeader;
    std::string hppfileCountname;
    std::string cppfileTitle;
    std::string cppfileHeader;
    std::string cppfileAuthor;
    std::string cppfileVersion;
    std::string cppfileCountname;
    std::string libfileTitle;
    std::string libfileHeader;
    std::string libfileAuthor;
    std::string libfileVersion;
    std::string libfileCountname;
};

// libTypeListTag: a class whose name the pattern matches belongs to the library.
struct LibraryPattern {
    Pattern pattern;
    std::string name;
};

struct Configuration {
    PageWords words;
    // Each load appends to these lists; they are never emptied.
    std::vector<std::string> keywordIgnoreList;
    std::vector<LibraryPattern> libraryTypeList;
    std::vector<Pattern> classExcludeList;
};

Configuration& configuration();

// A configuration key and the page word it sets, with its built-in text.
struct ConfigKey {
    const char* key;
    std::string PageWords::*field;
    const char* defaultText;
};

// The keys of the common section and of a language section, in reading order.
const std::vector<ConfigKey>& commonConfigKeys();
const std::vector<ConfigKey>& languageConfigKeys();

}  // namespace zivrat
