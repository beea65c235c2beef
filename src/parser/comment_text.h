// Comments as today's headers write them, made readable for the pages
// (lenient mode): the decoration goes, the common tags become HTML.
#pragma once

#include <string>

namespace zivrat {

// What a captured comment says, and whether it describes the member before
// it ("///<", "//!<", "/**<", "/*!<").
struct CleanComment {
    std::string text;
    bool describesPrevious = false;
};

// `captured` is the text after the comment opener ("/*" or "//"; after "///"
// for triple-slash comments), without its terminator. Block comments lose
// their "*"/"!" marker and the "*" column of their lines, line comments their
// "!" marker; "\brief" goes, "\param name" and "\return" lead their text in
// bold, "\c word" and "\code ... \endcode" become code.
CleanComment cleanComment(std::string captured, bool block, bool tripleSlash);

}  // namespace zivrat
