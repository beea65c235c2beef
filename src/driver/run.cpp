#include "driver/run.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <stdexcept>

#include "database/database.h"
#include "driver/config.h"
#include "driver/incremental.h"
#include "driver/option_scanner.h"
#include "ground/banner.h"
#include "ground/failures.h"
#include "ground/messages.h"
#include "ground/page_words.h"
#include "ground/run_counters.h"
#include "ground/settings.h"
#include "html/generate.h"
#include "html/index_pages.h"
#include "model/model.h"
#include "model/run_index.h"
#include "parser/parser.h"
#include "preprocessor/preprocessor.h"
#include "support/file_system.h"
#include "support/paths.h"

namespace zivrat {
namespace {

constexpr int kMaxTemporaryNumber = 65534;

struct DriverState {
    std::string programDirectory;
    // argv[0], the configuration's items, then the command line's items.
    std::vector<std::string> preprocessorArgs;
    OptionScanner scanner;
    // Whether the current input got past preprocessing to the parser.
    bool inputParsed = false;
};

DriverState& driverState() {
    static DriverState state;
    return state;
}

// Reports a failure of one input file; returns normally when the run goes on.
void reportFileFailure() {
    try {
        throw;
    } catch (const yError& error) {
        std::cerr << error << std::flush;
    } catch (const TextFailure& failure) {
        std::cerr << failure.text << std::flush;
    } catch (const std::out_of_range& failure) {
        std::cerr << "RogueWave error : " << failure.what() << std::endl;
    } catch (const UserBreak&) {
        throw;
    } catch (...) {
        std::cerr << "Non-catched error" << std::endl;
        throw;
    }
}

// Reports a failure that ends the run.
void reportRunFailure(const std::string& programName) {
    try {
        throw;
    } catch (const PlainMessage& message) {
        currentOutput() << programName << message.text << std::endl;
    } catch (const yError& error) {
        currentOutput() << error;  // the program's last line end closes it
    } catch (const UserBreak&) {
        throw;
    } catch (const TextFailure& failure) {
        // No handler above this one: the run ends here, with its text shown.
        std::cerr << failure.text;
        if (failure.text.empty() || failure.text.back() != '\n') std::cerr << '\n';
        std::cerr << std::flush;
    } catch (const std::exception& failure) {
        // An invalid configuration pattern ([BADRE]) and the like end the run.
        std::cerr << failure.what() << std::endl;
    }
}

void setOutputDirectory(const std::string& value, const std::vector<std::string>& args) {
    RunSettings& settings = runSettings();
    std::string* field = nullptr;
    std::string option;
    switch (value.empty() ? '\0' : value[0]) {
        case 'o': field = &settings.htmlPath; option = "-lo"; break;
        case 'd': field = &settings.docPath; option = "-ld"; break;
        case 'b': field = &settings.databasePath; option = "-lb"; break;
        default: return;
    }
    std::string directory = value.substr(1);
    if (directory.empty() &&
        !driverState().scanner.takeNextArgument(args, directory)) {
        throw PlainMessage{": missing argument in " + option + " option"};
    }
    *field = checkOutputDirectory(directory, "in option " + option + " dir ' ");
}

void appendValueItem(char letter, const std::string& value) {
    if (!value.empty() && value[0] == '-') {
        throw PlainMessage{std::string(": missing argument in -") + letter + " option"};
    }
    appendArgument(std::string("-") + letter, value);
}

void applyVerboseLevel(const std::string& value) {
    int level = std::atoi(value.c_str());
    if (level >= 0 && level <= 5) {
        runSettings().verboseLevel = level;
        return;
    }
    std::cerr << yError("range for option -vx is [0,5]\n", kWarning) << std::flush;
}

void applyOption(int letter, const std::string& value, const std::vector<std::string>& args) {
    RunSettings& settings = runSettings();
    switch (letter) {
        case '1': settings.htmlVersion = -1; break;
        case '2':
            if (settings.frames) throw yError("invalid option : -2 can't run with -f option", kSystem);
            settings.htmlVersion = 2;
            break;
        case '3': settings.htmlVersion = 3; break;
        case 'a': settings.addToDatabase = settings.buildDatabase = true; break;
        case 'b': settings.buildDatabase = true; break;
        case 'C':
            settings.insertComments = true;
            appendArgument("-C", "");
            break;
        case 'd': settings.docSkeleton = true; break;
        case 'D':
        case 'I':
        case 'U': appendValueItem(static_cast<char>(letter), value); break;
        case 'f':
            if (settings.htmlVersion != 3) {
                throw yError("invalid option : -f must be set with -3 or -j option", kSystem);
            }
            settings.frames = true;
            break;
        case 'g': settings.buildDatabase = settings.groupware = true; break;
        case 'h':
            settings.useHeaderFile = true;
            settings.headerFileName = value;
            break;
        case 'H': appendArgument("-H", ""); break;
        case 'i': settings.rebuildIndexes = true; break;
        case 'K': settings.keepTemporary = true; break;
        case 'l': setOutputDirectory(value, args); break;
        case 'p': settings.pictures = true; break;
        case 'P': settings.preprocess = false; break;
        case 'R': appendArgument("-R", ""); break;
        case 'S': settings.shortNames = true; break;
        case 'v': applyVerboseLevel(value); break;
        case 'V': printVersion(); break;
        default: break;  // -s, and illegal letters already reported
    }
}

// What the long options ask of a run besides settings.
enum class LongOptionAction { kRun, kShowUsage, kShowVersion };

// Takes the long options out of the argument vector, before the letter
// options are scanned: --lenient sets the mode; --help and --version ask for
// the usage or the version instead of a run (the first of them counts).
// Anything else starting with "--" stays for the letter scanner.
LongOptionAction takeLongOptions(std::vector<std::string>& args) {
    LongOptionAction action = LongOptionAction::kRun;
    std::vector<std::string> kept;
    kept.reserve(args.size());
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (i > 0 && arg == "--lenient") {
            runSettings().lenient = true;
        } else if (i > 0 && arg == "--incremental") {
            runSettings().incremental = true;
        } else if (i > 0 && (arg == "--help" || arg == "--version")) {
            if (action == LongOptionAction::kRun) {
                action = arg == "--help" ? LongOptionAction::kShowUsage : LongOptionAction::kShowVersion;
            }
        } else {
            kept.push_back(arg);
        }
    }
    args.swap(kept);
    return action;
}

// Scans the options; returns the index of the first input file.
std::size_t scanOptions(const std::vector<std::string>& args) {
    OptionScanner& scanner = driverState().scanner;
    scanner.reset();
    int letter;
    while ((letter = scanner.next(args, kOptionString)) != OptionScanner::kEnd) {
        applyOption(letter, scanner.value(), args);
    }
    return scanner.nextIndex();
}

// Clears what one input left behind, however its processing ended.
class InputCleanup {
public:
    explicit InputCleanup(const std::string& temporary) : temporary_(temporary) {}
    ~InputCleanup() {
        closeScannerInput();
        forgetModelReferences();
        docModel().clear();
        if (!temporary_.empty() && !runSettings().keepTemporary) removeFile(temporary_);
    }

private:
    std::string temporary_;
};

bool isDefinitionOrFolder(const std::string& item) {
    return item.size() > 2 && (item.compare(0, 2, "-D") == 0 || item.compare(0, 2, "-I") == 0);
}

// Only definitions and include folders of the configuration reach the
// preprocessor: any other item would be an option of its own there (an "-o"
// item would send its output elsewhere and fail every input).
void appendConfigurationItems(const std::string& key, const std::string& text) {
    for (const std::string& item : preprocessorItemsOf(text)) {
        if (isDefinitionOrFolder(item)) {
            driverState().preprocessorArgs.push_back(item);
            continue;
        }
        currentOutput() << "Zivrat Warning : " << key << " item '" << item
                        << "' is neither a definition nor an include folder: ignored" << endLine;
    }
}

int processOneInput(const std::string& input) {
    RunSettings& settings = runSettings();
    std::vector<std::string>& ppArgs = driverState().preprocessorArgs;
    std::string fileToParse = input;
    if (settings.preprocess) {
        fileToParse = temporaryFileName();
        if (settings.keepTemporary) {
            currentOutput() << "temporary preprocessed file : " << fileToParse << std::endl;
        } else {
            holdInMemory(fileToParse);
        }
        std::size_t leading = ppArgs.size();
        ppArgs.push_back("-o");
        ppArgs.push_back(fileToParse);
        ppArgs.push_back(input);
        struct Restore {
            std::vector<std::string>& args;
            std::size_t size;
            ~Restore() { args.resize(size); }
        } restore{ppArgs, leading};
        return processInputFile(fileToParse, ppArgs);
    }
    return processInputFile(fileToParse, ppArgs);
}

// Pages kept back during a run reach the output folder however it ends,
// a front-end break included.
struct FileRun {
    FileRun() { beginFileRun(); }
    ~FileRun() { endFileRun(); }
};

void countInput(bool parsed) {
    RunCounters& counters = runCounters();
    ++counters.inputs;
    if (!parsed) ++counters.inputsFailed;
}

// The end of a lenient run: the index of everything its inputs documented,
// and a line that sums the run up. An input that was parsed counts as
// documented whatever its parse met; the result says whether every input
// could be read and preprocessed.
int finishLenientRun() {
    const RunCounters& counters = runCounters();
    if (counters.inputsFailed < counters.inputs) {
        if (incrementalRunActive()) writeRunEndPagesKeepingUnchanged(writeRunIndexPages);
        else writeRunIndexPages();
    }
    currentOutput() << "Summary : " << counters.inputs << " inputs, "
                    << counters.inputs - counters.inputsFailed << " documented, "
                    << runIndex().model.classes.size() << " classes, "
                    << counters.declarationsSkipped << " declarations skipped, "
                    << counters.warnings << " warnings" << endLine;
    return counters.inputsFailed == 0 ? 0 : 1;
}

// One input of the command line, under the per-file failure handling.
int documentInput(const std::string& input) {
    DriverState& state = driverState();
    state.inputParsed = false;
    int result;
    try {
        result = processOneInput(input);
    } catch (...) {
        result = -1;
        reportFileFailure();
    }
    countInput(state.inputParsed);
    return result;
}

// An incremental run keeps its state beside the pages, which the options
// that write elsewhere (the class database, the .doc skeletons) would
// outdate unseen: with them the run is full.
bool incrementalRunWanted(const std::string& programName) {
    const RunSettings& settings = runSettings();
    if (!settings.incremental) return false;
    if (!settings.lenient) throw PlainMessage{": --incremental works only with --lenient"};
    if (settings.buildDatabase || settings.docSkeleton || settings.rebuildIndexes) {
        currentOutput() << programName
                        << ": --incremental does not apply with -a, -b, -d, -g or -i: full run"
                        << endLine;
        return false;
    }
    return true;
}

// The inputs of an incremental run: those whose files did not change keep
// what the last run wrote for them.
int documentInputsIncrementally(const std::vector<std::string>& args, std::size_t first) {
    int result = 0;
    for (std::size_t i = first; i < args.size(); ++i) {
        // Lines of inputs carried over go out with the next line that is
        // flushed: most inputs of a re-run are carried over.
        if (reuseInput(i)) {
            currentOutput() << args[i] << "\nunchanged\n";
            continue;
        }
        currentOutput() << args[i] << endLine;
        startInput(i);
        result = documentInput(args[i]);
        endInput(result, driverState().inputParsed);
    }
    repairPages([&args](std::size_t position) { documentInput(args[position]); });
    return result;
}

// The rebuilt model lives until the pages are written: a later run in the
// same process (front-end mode) starts from an empty model.
struct ClearModelAtEnd {
    ~ClearModelAtEnd() { docModel().clear(); }
};

}  // namespace

void rebuildIndexesFromDatabase() {
    ClearModelAtEnd clearModel;
    const TextSet libraries = readDatabaseIntoModel();
    writeIndexPage(libraries);
    writeLibraryPages(libraries);
}

void appendArgument(const std::string& first, const std::string& second) {
    driverState().preprocessorArgs.push_back(first + second);
}

std::vector<std::string> preprocessorItemsOf(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t dash = text.find('-', start);
        std::string piece = text.substr(start, dash == std::string::npos ? std::string::npos
                                                                         : dash - start);
        std::string compact;
        for (char c : piece) {
            if (c != ' ') compact += c;
        }
        if (!piece.empty()) items.push_back("-" + compact);
        if (dash == std::string::npos) break;
        start = dash + 1;
    }
    return items;
}

std::string temporaryFileName() {
    const char* tmp = std::getenv("TMP");
    std::string directory = tmp != nullptr ? tmp : ".";
    for (int number = 0; number <= kMaxTemporaryNumber; ++number) {
        std::string name = joinPath(directory, "zvpp" + std::to_string(number) + ".$$$");
        if (!pathExists(name)) return name;
    }
    throw TextFailure{"Zivrat Erreur : SYSTEM no free temporary file name in '" + directory + "'"};
}

std::string checkOutputDirectory(const std::string& directory, const std::string& head) {
    // A name that exists but is no directory would make every page fail silently.
    if (!isDirectory(directory)) {
        throw yError(head + directory + " ' bad or not create \n", kSystem);
    }
    return withTrailingSeparator(directory);
}

int processInputFile(const std::string& fileToParse, const std::vector<std::string>& ppArgs) {
    RunSettings& settings = runSettings();
    InputCleanup cleanup(settings.preprocess ? fileToParse : std::string());
    if (settings.preprocess) {
        int errors = preprocess(ppArgs);
        if (errors != 0) return errors;
    }
    if (!openScannerInput(fileToParse)) {
        throw TextFailure{std::string("Zivrat") + " Erreur : SYSTEM " +
                          "Impossible de trouver le fichier '" + fileToParse + "'"};
    }
    resetKnownTypeNames(docModel());
    driverState().inputParsed = true;
    currentOutput() << "parsing ..." << endLine;
    int result = parseDeclarations();
    generateOutput();
    return result;
}

int runFromCommandLine(const std::vector<std::string>& commandLine) {
    int result = 0;
    std::vector<std::string> args = commandLine;
    DriverState& state = driverState();
    const std::string programName = args.empty() ? std::string() : args[0];
    FileRun fileRun;
    // A program started through PATH reads the zivrat.ini beside it, not
    // one in whatever folder it was started from.
    state.programDirectory = programFolder(programName, std::getenv("PATH"));
    if (outputIsBuffered()) deliverBufferedOutput();
    loadConfiguration(state.programDirectory + "zivrat.ini");
    const LongOptionAction action = takeLongOptions(args);
    if (action != LongOptionAction::kRun) {
        if (action == LongOptionAction::kShowUsage) printUsage();
        else printVersion();
        if (outputIsBuffered()) deliverBufferedOutput();
        return 0;
    }
    if (args.size() < 2) printUsage();
    runCounters() = RunCounters();
    clearRunIndex();
    resetIncrementalRun();

    state.preprocessorArgs.assign(1, programName);
    const PageWords& words = configuration().words;
    appendConfigurationItems("generator.preprocessor.define", words.generatorPreprocessorDefine);
    appendConfigurationItems("generator.preprocessor.include", words.generatorPreprocessorInclude);

    try {
        std::size_t first = scanOptions(args);
        const bool incremental = incrementalRunWanted(programName);
        if (first >= args.size() && !runSettings().rebuildIndexes) {
            currentOutput() << programName << ": No input files" << std::endl;
        }
        if (incremental) {
            beginIncrementalRun(args, first, state.preprocessorArgs,
                                state.programDirectory + "zivrat.ini");
            result = documentInputsIncrementally(args, first);
        } else {
            for (std::size_t i = first; i < args.size(); ++i) {
                currentOutput() << args[i] << endLine;
                result = documentInput(args[i]);
            }
        }
        if (runSettings().lenient) result = finishLenientRun();
        if (incremental) finishIncrementalRun();
        if (runSettings().rebuildIndexes) rebuildIndexesFromDatabase();
    } catch (...) {
        result = -1;
        reportRunFailure(programName);
    }
    state.preprocessorArgs.clear();
    if (outputIsBuffered()) deliverBufferedOutput();
    return result;
}

}  // namespace zivrat
