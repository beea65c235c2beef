#include "driver/config.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "ground/failures.h"
#include "ground/messages.h"
#include "ground/page_words.h"
#include "ground/settings.h"

namespace zivrat {
namespace {

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
    for (const ConfigKey& key : commonConfigKeys()) {
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

// generator.lenient is read only when it is there: a configuration without it
// prints no message about it.
void readLenientKey(const std::string& text, std::size_t start) {
    const std::string pattern = keyPattern("generator.lenient");
    if (!Pattern(pattern).find(text, start).found()) return;
    runSettings().lenient = readConfigValue(text, pattern, start) == "yes";
}

void readLanguageSection(const std::string& text, std::size_t start) {
    PageWords& words = configuration().words;
    for (const ConfigKey& key : languageConfigKeys()) {
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
    if (common.found()) {
        readCommonSection(text, common.position + 8, language);
        readLenientKey(text, common.position + 8);
    }

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
