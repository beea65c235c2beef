// The model builder: the operations that the declaration grammar's actions
// call to fill the documentation model, and the state they carry from
// reduction to reduction and from input to input.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"

namespace zivrat {

// A member record addressed by its class and position (the class's vectors
// may grow, so no pointer into them is kept).
struct MemberRef {
    ClassTag* owner = nullptr;
    std::size_t index = 0;
};

// A class body being read: what the recovery of a lenient parse goes back to.
struct ClassBodyFrame {
    std::size_t classDepth = 0;
    ClassTag* owner = nullptr;
};

// A further declarator of a declaration with several (lenient mode).
struct ExtraDeclarator {
    std::string name;
    std::uint32_t shape = PlainShape;
};

struct BuilderState {
    std::uint32_t access = Public;
    // Access in force in each enclosing class, parallel to the class stack.
    std::vector<std::uint32_t> accessStack;
    std::string currentPath;
    std::string currentBaseName;
    MemberRef lastData;
    MemberRef lastFunction;
    // The member recorded last (a function or a data member) and the line
    // its declaration ended on, for comments that describe it from behind.
    bool lastMemberIsFunction = false;
    std::uint32_t lastMemberLine = 0;
    std::vector<DataTag> pendingParameters;
    bool captureParameters = true;
    std::vector<DataTag> pendingTemplateParameters;
    std::string pendingComment;
    bool excluded = false;
    // Working texts filled in steps by the member and typedef rules.
    std::string name;
    std::string type;
    std::string mark;
    std::string work;
    // A file-level class definition is complete and its declarator (if any)
    // has not been recorded yet.
    bool classDeclaratorPending = false;
    // Lenient mode only: the class bodies open, and the declarators after
    // the first of the declaration being read.
    std::vector<ClassBodyFrame> classBodies;
    std::vector<ExtraDeclarator> extraDeclarators;
};

BuilderState& builderState();

// "class ", "struct " or "union " for a class-key value.
const char* classKeyWord(std::uint32_t kind);

// Classes.
bool registerClass(const std::string& name, std::uint32_t kind);
void renameAnonymousClass(const std::string& name);
void addBase(std::string_view text, std::uint32_t access, bool isVirtual);
void setAccess(std::uint32_t access);
void attachClassComment();
void pushClass();
void popClass();
// Class heads: a class defined inside a class body, one defined at file
// level or in a typedef, a class template, and a head without a body.
void beginMemberClass(const std::string& name, std::uint32_t kind);
void beginClass(const std::string& knownName, const std::string& name, std::uint32_t kind);
void beginTemplateClass(const std::string& name, std::uint32_t kind, bool withBody);
void declareClassHead(const std::string& name);
void finishFileLevelClass(std::string_view declarator);

// Typedefs that name a class or an enumeration defined in place.
void nameClassByTypedef(const std::string& name);
void nameClassByFirstOfTypedefs(const std::string& name);
void nameClassByDerivedTypedef(const std::string& name);
void nameEnumByTypedef(const std::string& name);

// Members.
void addDataMember(const std::string& name, const std::string& type, std::uint32_t shape);
void attachDataComment();
void addMemberFunction(const std::string& name, const std::string& type, std::uint32_t flags);
void attachFunctionComment();
// Lenient mode: a comment that describes the member before it, written on
// the line where that member's declaration ended; false (nothing changed)
// when no member ended on that line.
bool attachTrailingComment(const std::string& text, std::uint32_t line);
// A declaration starts: the working texts are set, and parameters collected
// from lists outside any recorded function (a typedef of a function type, a
// template member defined outside its class) are dropped.
void setWorkingTexts(std::string_view mark, std::string_view name, std::string_view type);
// The member declaration ends: a data member, a member function with the
// given ending flags, or a pointer-to-function member named `name`.
void recordDataMember();
void recordMemberFunction(std::uint32_t endingFlags);
void recordFunctionPointerMember(std::string_view name);

// Lenient mode: each declarator of a declaration with several is its own
// record, and a bit-field shows its width (no-ops in the default mode).
void noteExtraDeclarator(std::string_view name, std::uint32_t shape, std::string_view width = {});
void appendBitFieldWidth(std::string_view width);
void recordExtraDeclarators();
void recordExtraFileData();

// Lenient mode: the parse goes on after a declaration it could not read, in
// the class body or at the file level where that declaration stood.
void enterClassBody();
void leaveClassBody();
void recoverInClassBody();
void recoverAtFileLevel();

// Parameters and templates.
void addParameter(std::string_view name, std::string_view type, std::uint32_t shape);
void dropCollectedParameters();
void setParameterCapture(bool on);
void addTemplateParameter(std::string_view name, std::string_view type);
void clearTemplateParameters();
void markTemplateClass();

// File-level records.
void fileAddTypedefName(const std::string& text);
void fileAddData(const std::string& name);
void fileAddFunction(const std::string& name, const std::string& type, std::uint32_t flags);
void recordFileData();
void recordFileFunction();

// Documentation-comment entries.
void setAuthors(std::string_view text);
void setVersion(std::string_view text);

// Source files and names.
void switchSourceFile(const std::string& path);
void addKnownTypeName(const std::string& name);
void addTemplateParamName(const std::string& name);
void clearTemplateParamNames();
bool renameAnonymousKnownName(const std::string& name);
void dropFirstKnownTypeName();

// Drops every reference into the model before the model is cleared.
void forgetBuilderReferences();

}  // namespace zivrat
