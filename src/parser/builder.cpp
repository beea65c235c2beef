#include "parser/builder.h"

#include <iterator>
#include <utility>

#include "ground/frontend_hooks.h"
#include "ground/messages.h"
#include "ground/page_words.h"
#include "ground/run_counters.h"
#include "ground/settings.h"
#include "model/model.h"
#include "parser/scanner.h"
#include "support/paths.h"

namespace zivrat {
namespace {

// Hands the pending comment to a record (when it says anything) and empties it.
void takePendingComment(std::string* description) {
    std::string& pending = builderState().pendingComment;
    if (description != nullptr && pending.size() >= 2) description->swap(pending);
    pending.clear();
}

void noteLastMember(bool isFunction) {
    BuilderState& state = builderState();
    state.lastMemberIsFunction = isFunction;
    state.lastMemberLine = scannerState().line;
}

bool isExcludedByConfiguration(const std::string& name) {
    for (const Pattern& pattern : configuration().classExcludeList) {
        if (pattern.matches(name)) return true;
    }
    return false;
}

// The fields a class gets together with its final name.
void giveFinalName(ClassTag& tag) {
    DocModel& model = docModel();
    const BuilderState& state = builderState();
    tag.pageFile = makePageFile(model, tag.name);
    tag.library = libraryFor(tag.name);
    tag.sourcePath = state.currentPath;
    tag.sourceFile = state.currentBaseName;
    tag.authors = currentAuthorText(model);
    tag.version = currentVersionText(model);
}

FunctionTag makeFunction(const std::string& name, const std::string& type, std::uint32_t flags) {
    BuilderState& state = builderState();
    FunctionTag function;
    function.name = name;
    function.returnType = type;
    // Moved into a vector of their own number: the collecting vector keeps
    // its room for the next function, instead of growing anew each time.
    function.params.assign(std::make_move_iterator(state.pendingParameters.begin()),
                           std::make_move_iterator(state.pendingParameters.end()));
    state.pendingParameters.clear();
    function.hasBody = (flags & HasBody) != 0;
    function.access = state.access;
    function.flags = flags;
    function.isPure = (flags & Pure) != 0;
    function.isConst = (flags & Const) != 0;
    return function;
}

std::uint32_t shapeForMark(const std::string& mark) {
    if (mark == "*" || mark == "*&" || mark == "**") return PointerShape;
    if (mark == "&") return ReferenceShape;
    return PlainShape;
}

DataTag makeData(std::string_view name, std::string_view type, std::uint32_t shape) {
    DataTag data;
    data.name = std::string(name);
    data.type = std::string(type);
    data.flags = shape;
    return data;
}

// A plain object, not a function's static: grammar actions ask for it at
// nearly every reduction.
BuilderState theBuilderState;

}  // namespace

BuilderState& builderState() { return theBuilderState; }

const char* classKeyWord(std::uint32_t kind) {
    switch (kind) {
        case Class: return "class ";
        case Struct: return "struct ";
        default: return "union ";
    }
}

bool registerClass(const std::string& name, std::uint32_t kind) {
    checkBreak();
    BuilderState& state = builderState();
    DocModel& model = docModel();
    state.excluded = false;
    const bool anonymous = isAnonymousClassName(name);
    if (!anonymous) {
        const bool excluded = isExcludedByConfiguration(name);
        std::ostream& out = currentOutput();
        out << classKindWord(kind) << ' ' << name;
        if (excluded) {
            out << " (exclude)" << endLine;
            state.excluded = true;
            return true;
        }
        out << endLine;
    }
    auto tag = std::make_unique<ClassTag>();
    tag->name = name;
    tag->kind = kind;
    ClassTag& added = model.addClass(std::move(tag));
    model.currentClass = &added;
    state.access = kind == Class ? Private : Public;
    state.pendingParameters.clear();
    if (!anonymous) giveFinalName(added);
    return false;
}

void renameAnonymousClass(const std::string& name) {
    DocModel& model = docModel();
    ClassTag* current = model.currentClass;
    if (current == nullptr || !current->isAnonymous()) return;
    model.renameClass(*current, name);
    if (!current->isAnonymous()) giveFinalName(*current);
}

void addBase(std::string_view text, std::uint32_t access, bool isVirtual) {
    ClassTag* current = docModel().currentClass;
    if (current == nullptr || text.empty()) return;
    current->baseNames.emplace_back(text);
    current->baseAccess.push_back(accessTagFor(access, isVirtual, current->kind));
}

void setAccess(std::uint32_t access) { builderState().access = access; }

void attachClassComment() {
    ClassTag* current = docModel().currentClass;
    takePendingComment(current != nullptr ? &current->description : nullptr);
}

void pushClass() {
    docModel().pushClass();
    builderState().accessStack.push_back(builderState().access);
}

void popClass() {
    DocModel& model = docModel();
    BuilderState& state = builderState();
    if (model.classStack.empty()) return;
    model.popClass();
    // Members after a nested class are back in the enclosing class's access.
    if (!state.accessStack.empty()) {
        state.access = state.accessStack.back();
        state.accessStack.pop_back();
    }
}

void beginClass(const std::string& knownName, const std::string& name, std::uint32_t kind) {
    addKnownTypeName(knownName);
    // The enclosing class is saved before the new one becomes current, so
    // that the end of the definition returns to it.
    pushClass();
    const bool excluded = registerClass(name, kind);
    if (!excluded && !isAnonymousClassName(name)) attachClassComment();
}

void beginTemplateClass(const std::string& name, std::uint32_t kind, bool withBody) {
    addKnownTypeName(name);
    if (registerClass(name, kind)) return;
    attachClassComment();
    if (withBody) markTemplateClass();
}

void declareClassHead(const std::string& name) {
    addKnownTypeName(name);
    pushClass();
}

void finishFileLevelClass(std::string_view declarator) {
    BuilderState& state = builderState();
    popClass();
    if (!state.classDeclaratorPending) return;
    state.classDeclaratorPending = false;
    // The declarator after the class body names a file-level datum; a bare
    // definition ("struct A {...};") declares none.
    if (!declarator.empty()) fileAddData(std::string(declarator));
}

void nameClassByTypedef(const std::string& name) {
    if (!renameAnonymousKnownName(name)) addKnownTypeName(name);
    renameAnonymousClass(name);
    popClass();
}

void nameClassByFirstOfTypedefs(const std::string& name) {
    if (renameAnonymousKnownName(name)) {
        dropFirstKnownTypeName();
    } else {
        addKnownTypeName(name);
    }
    renameAnonymousClass(name);
    popClass();
}

void nameClassByDerivedTypedef(const std::string& name) {
    if (!renameAnonymousKnownName(name)) {
        dropFirstKnownTypeName();
        addKnownTypeName(name);
    }
    renameAnonymousClass(name);
    popClass();
}

void nameEnumByTypedef(const std::string& name) {
    if (!renameAnonymousKnownName(name)) addKnownTypeName(name);
}

void addDataMember(const std::string& name, const std::string& type, std::uint32_t shape) {
    BuilderState& state = builderState();
    ClassTag* current = docModel().currentClass;
    if (current == nullptr) {
        state.lastData = MemberRef();
        return;
    }
    DataTag data = makeData(name, type, shape);
    data.access = state.access;
    current->data.push_back(std::move(data));
    state.lastData = MemberRef{current, current->data.size() - 1};
    noteLastMember(false);
}

void attachDataComment() {
    const MemberRef& last = builderState().lastData;
    takePendingComment(last.owner != nullptr ? &last.owner->data[last.index].description : nullptr);
}

void addMemberFunction(const std::string& name, const std::string& type, std::uint32_t flags) {
    BuilderState& state = builderState();
    ClassTag* current = docModel().currentClass;
    if (current == nullptr) {
        state.lastFunction = MemberRef();
        return;
    }
    if (name == current->name && (flags & Destructor) == 0) {
        flags = (flags & ~static_cast<std::uint32_t>(Ordinary)) | Constructor;
    }
    current->functions.push_back(makeFunction(name, type, flags));
    state.lastFunction = MemberRef{current, current->functions.size() - 1};
    noteLastMember(true);
}

void attachFunctionComment() {
    const MemberRef& last = builderState().lastFunction;
    takePendingComment(last.owner != nullptr ? &last.owner->functions[last.index].description
                                             : nullptr);
}

bool attachTrailingComment(const std::string& text, std::uint32_t line) {
    BuilderState& state = builderState();
    if (state.lastMemberLine == 0 || state.lastMemberLine != line) return false;
    const MemberRef& last = state.lastMemberIsFunction ? state.lastFunction : state.lastData;
    if (last.owner == nullptr) return false;
    std::string& description = state.lastMemberIsFunction
                                   ? last.owner->functions[last.index].description
                                   : last.owner->data[last.index].description;
    // A comment before the member and one behind it both describe it.
    if (text.size() >= 2) description += (description.empty() ? "" : "\n") + text;
    return true;
}

void setWorkingTexts(std::string_view mark, std::string_view name, std::string_view type) {
    BuilderState& state = builderState();
    dropCollectedParameters();
    state.extraDeclarators.clear();
    // Assigned in place: the texts keep their room from one declaration to
    // the next.
    state.mark.assign(mark.data(), mark.size());
    state.name.assign(name.data(), name.size());
    state.type.assign(type.data(), type.size());
}

void recordDataMember() {
    BuilderState& state = builderState();
    if (state.mark == "op") {
        state.lastData = MemberRef();
    } else {
        addDataMember(state.name, state.type, shapeForMark(state.mark));
    }
    attachDataComment();
}

void recordMemberFunction(std::uint32_t endingFlags) {
    BuilderState& state = builderState();
    std::uint32_t flags = endingFlags;
    if (state.mark == "op") {
        flags |= Operator;
    } else {
        state.type += state.mark;
        flags |= Ordinary;
    }
    addMemberFunction(state.name, state.type, flags);
    attachFunctionComment();
}

void recordFunctionPointerMember(std::string_view name) {
    BuilderState& state = builderState();
    state.type = state.name;
    addMemberFunction(std::string(name), state.type, FunctionPointer);
    attachFunctionComment();
}

void addParameter(std::string_view name, std::string_view type, std::uint32_t shape) {
    BuilderState& state = builderState();
    if (state.captureParameters) state.pendingParameters.push_back(makeData(name, type, shape));
}

void dropCollectedParameters() { builderState().pendingParameters.clear(); }

void setParameterCapture(bool on) { builderState().captureParameters = on; }

void addTemplateParameter(std::string_view name, std::string_view type) {
    builderState().pendingTemplateParameters.push_back(makeData(name, type, PlainShape));
}

void clearTemplateParameters() { builderState().pendingTemplateParameters.clear(); }

void markTemplateClass() {
    BuilderState& state = builderState();
    ClassTag* current = docModel().currentClass;
    if (current == nullptr) return;
    current->isTemplate = true;
    for (DataTag& parameter : state.pendingTemplateParameters) {
        current->templateParams.push_back(std::move(parameter));
    }
    state.pendingTemplateParameters.clear();
}

void fileAddTypedefName(const std::string& text) {
    if (FileTag* file = docModel().currentFile) file->typedefNames.push_back(text);
}

void fileAddData(const std::string& name) {
    if (FileTag* file = docModel().currentFile) file->data.push_back(makeData(name, "", PlainShape));
}

void fileAddFunction(const std::string& name, const std::string& type, std::uint32_t flags) {
    if (FileTag* file = docModel().currentFile) file->functions.push_back(makeFunction(name, type, flags));
}

void recordFileData() {
    const BuilderState& state = builderState();
    if (!state.classDeclaratorPending) fileAddData(state.name);
}

void recordFileFunction() {
    BuilderState& state = builderState();
    if (state.classDeclaratorPending) return;
    std::uint32_t flags = Operator;
    if (state.mark != "op") {
        state.type += state.mark;
        flags = Ordinary;
    }
    fileAddFunction(state.name, state.type, flags);
}

void setAuthors(std::string_view text) {
    CommentTexts& texts = docModel().commentTexts;
    texts.hasAuthors = true;
    texts.authors = std::string(text);
}

void setVersion(std::string_view text) {
    CommentTexts& texts = docModel().commentTexts;
    texts.hasVersion = true;
    texts.version = std::string(text);
}

void switchSourceFile(const std::string& path) {
    BuilderState& state = builderState();
    DocModel& model = docModel();
    state.currentPath = path;
    state.currentBaseName = baseNameOf(path);
    if (FileTag* file = model.findOrCreateFile(state.currentBaseName, path)) model.currentFile = file;
}

void addKnownTypeName(const std::string& name) { docModel().knownTypeNames.addFront(name); }

void addTemplateParamName(const std::string& name) { docModel().templateParamNames.addFront(name); }

void clearTemplateParamNames() { docModel().templateParamNames.clear(); }

bool renameAnonymousKnownName(const std::string& name) {
    NameList& names = docModel().knownTypeNames;
    const std::string* front = names.front();
    if (front == nullptr || !isAnonymousClassName(*front)) return false;
    names.renameFront(name);
    return true;
}

void dropFirstKnownTypeName() { docModel().knownTypeNames.dropFront(); }

void forgetBuilderReferences() {
    BuilderState& state = builderState();
    DocModel& model = docModel();
    state.lastData = MemberRef();
    state.lastFunction = MemberRef();
    state.lastMemberLine = 0;
    state.accessStack.clear();
    state.pendingParameters.clear();
    state.pendingTemplateParameters.clear();
    state.classDeclaratorPending = false;
    model.currentClass = nullptr;
    model.currentFile = nullptr;
    model.classStack.clear();
}

namespace {

std::string bitFieldName(std::string_view name, std::string_view width) {
    std::string text(name);
    if (!width.empty()) text.append(" : ").append(width);
    return text;
}

// The type of the first declarator without its own pointer or reference.
std::string declaratorBaseType(std::string type) {
    while (!type.empty() && (type.back() == '*' || type.back() == '&')) type.pop_back();
    return type;
}

// Forgets what the skipped declaration left half done.
void dropDeclarationInProgress() {
    BuilderState& state = builderState();
    state.captureParameters = true;
    state.pendingParameters.clear();
    state.extraDeclarators.clear();
    state.classDeclaratorPending = false;
    state.excluded = false;
    state.mark.clear();
    ++runCounters().declarationsSkipped;
}

}  // namespace

void noteExtraDeclarator(std::string_view name, std::uint32_t shape, std::string_view width) {
    if (!runSettings().lenient) return;
    builderState().extraDeclarators.push_back(ExtraDeclarator{bitFieldName(name, width), shape});
}

void appendBitFieldWidth(std::string_view width) {
    if (runSettings().lenient) builderState().name = bitFieldName(builderState().name, width);
}

void recordExtraDeclarators() {
    BuilderState& state = builderState();
    if (state.mark == "op") state.extraDeclarators.clear();
    const std::string base = declaratorBaseType(state.type);
    for (const ExtraDeclarator& extra : state.extraDeclarators) {
        addDataMember(extra.name, extra.shape == PointerShape ? base + "*" : base, extra.shape);
    }
    state.extraDeclarators.clear();
}

void recordExtraFileData() {
    BuilderState& state = builderState();
    if (!state.classDeclaratorPending) {
        for (const ExtraDeclarator& extra : state.extraDeclarators) fileAddData(extra.name);
    }
    state.extraDeclarators.clear();
}

void enterClassBody() {
    if (!runSettings().lenient) return;
    builderState().classBodies.push_back(ClassBodyFrame{docModel().classStack.size(), docModel().currentClass});
}

void leaveClassBody() {
    std::vector<ClassBodyFrame>& bodies = builderState().classBodies;
    if (!bodies.empty()) bodies.pop_back();
}

void recoverInClassBody() {
    dropDeclarationInProgress();
    const std::vector<ClassBodyFrame>& bodies = builderState().classBodies;
    if (bodies.empty()) return;
    DocModel& model = docModel();
    // A class head skipped inside the body had already been entered.
    while (model.classStack.size() > bodies.back().classDepth) popClass();
    model.currentClass = bodies.back().owner;
}

void recoverAtFileLevel() {
    dropDeclarationInProgress();
    builderState().classBodies.clear();
    while (!docModel().classStack.empty()) popClass();
    clearTemplateParamNames();
    clearTemplateParameters();
}

}  // namespace zivrat
