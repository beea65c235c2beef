#include "ground/page_words.h"

namespace zivrat {
namespace {

// The keys of each section in reading order, with their built-in texts.
const std::vector<ConfigKey> kCommonKeys = {
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

const std::vector<ConfigKey> kLanguageKeys = {
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

}  // namespace

const std::vector<ConfigKey>& commonConfigKeys() { return kCommonKeys; }
const std::vector<ConfigKey>& languageConfigKeys() { return kLanguageKeys; }

PageWords::PageWords() {
    for (const ConfigKey& key : kCommonKeys) this->*key.field = key.defaultText;
    for (const ConfigKey& key : kLanguageKeys) this->*key.field = key.defaultText;
}

Configuration& configuration() {
    static Configuration config;
    return config;
}

}  // namespace zivrat
