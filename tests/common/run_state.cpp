#include "common/run_state.h"

#include "ground/messages.h"
#include "ground/page_words.h"
#include "ground/run_counters.h"
#include "ground/settings.h"
#include "model/model.h"
#include "parser/parser.h"

namespace zivrat::test {

void resetRunState() {
    runSettings() = RunSettings();
    runCounters() = RunCounters();
    configuration() = Configuration();
    forgetModelReferences();
    DocModel& model = docModel();
    model.clear();
    model.shortNameCounter = 0;
    model.commentTexts = CommentTexts();
    useStandardOutput();
}

ConsoleCapture::ConsoleCapture(std::string& into) {
    useBufferedOutput([&into](const std::string& text) { into += text; });
}

ConsoleCapture::~ConsoleCapture() { useStandardOutput(); }

}  // namespace zivrat::test
