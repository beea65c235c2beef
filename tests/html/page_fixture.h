// A fresh run-wide state for each page test, an output folder,
// and small builders for hand-made models.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "common/console_texts.h"
#include "common/run_state.h"
#include "common/temp_dir.h"
#include "ground/page_words.h"
#include "ground/settings.h"
#include "model/model.h"

namespace zivrat::test {

// Mon Jan  5 09:03:07 1998 in UTC.
constexpr long long kPageEpoch = 883990987;
constexpr const char* kPageDate = "Mon Jan  5 09:03:07 1998\n";

class PageTest : public RunStateTest {
protected:
    void SetUp() override {
        RunStateTest::SetUp();
        ::setenv("TZ", "UTC", 1);
        ::setenv("SOURCE_DATE_EPOCH", std::to_string(kPageEpoch).c_str(), 1);
        ::tzset();
        runSettings().htmlPath = dir.path() + "/";
        runSettings().docPath = dir.path() + "/doc/";
        dir.makeDirectory("doc");
    }
    void TearDown() override {
        RunStateTest::TearDown();
        ::unsetenv("SOURCE_DATE_EPOCH");
    }

    // A named class registered in the model, with its page, library and
    // source as registration gives them.
    ClassTag& addClass(const std::string& name, std::uint32_t kind = Class,
                       const std::string& sourcePath = std::string()) {
        auto tag = std::make_unique<ClassTag>();
        tag->name = name;
        tag->kind = kind;
        tag->pageFile = makePageFile(docModel(), name);
        tag->library = libraryFor(name);
        tag->authors = "nobody";
        tag->version = "unknown";
        tag->sourcePath = sourcePath;
        std::size_t slash = sourcePath.rfind('/');
        tag->sourceFile = slash == std::string::npos ? sourcePath : sourcePath.substr(slash + 1);
        return docModel().addClass(std::move(tag));
    }

    // A source file made current, so that classes added next belong to it.
    FileTag& addFile(const std::string& path) {
        std::size_t slash = path.rfind('/');
        std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
        FileTag* file = docModel().findOrCreateFile(base, path);
        docModel().currentFile = file;
        return *file;
    }

    static DataTag data(const std::string& type, const std::string& name,
                        std::uint32_t access = Public, std::uint32_t shape = PlainShape) {
        DataTag member;
        member.type = type;
        member.name = name;
        member.access = access;
        member.flags = shape;
        return member;
    }

    static FunctionTag function(const std::string& returnType, const std::string& name,
                                std::vector<DataTag> params = {}, std::uint32_t flags = Ordinary,
                                std::uint32_t access = Public) {
        FunctionTag f;
        f.returnType = returnType;
        f.name = name;
        f.params = std::move(params);
        f.flags = flags;
        f.access = access;
        f.hasBody = (flags & HasBody) != 0;
        f.isPure = (flags & Pure) != 0;
        f.isConst = (flags & Const) != 0;
        return f;
    }

    static DataTag param(const std::string& type, const std::string& name,
                         std::uint32_t shape = PlainShape) {
        return data(type, name, Public, shape);
    }

    std::string footer() const {
        return std::string("<!--$$-->\n<hr><font size=2><b>Last update : </b>") + kPageDate +
               "</font> by <i>" + kProgramAndVersion + "</i><p>\n";
    }

    TempDir dir;
};

}  // namespace zivrat::test
