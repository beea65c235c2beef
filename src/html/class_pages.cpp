#include "html/class_pages.h"

#include <string>

#include "ground/banner.h"
#include "ground/page_words.h"
#include "ground/settings.h"
#include "html/html_text.h"
#include "support/file_system.h"

namespace zivrat {
namespace {

// The target of links from a class page when frames are on.
const char* topTarget() { return runSettings().frames ? " TARGET=\"_top\"" : ""; }

// The header file of -h, copied whole; nothing when it cannot be read.
void copyHeaderFile(PageText& page) {
    std::string header;
    if (readWholeFile(runSettings().headerFileName, header)) page << header;
}

void writeLibraryCell(PageText& page, const ClassTag& tag) {
    const PageWords& words = configuration().words;
    page << "<tr align=left><td><font size=4><b>" << words.classLibrary
         << "</font></b><td><b>: <a href=\"" << tag.library << ".html\"" << topTarget() << ">"
         << tag.library << "</a></b>\n";
}

void writeAuthorRow(PageText& page, const ClassTag& tag) {
    const PageWords& words = configuration().words;
    page << "<tr align=left><td><font size=4><b>" << words.classAuthor
         << "</font></b><td><b>: " << tag.authors << "</b><td><font size=4><b>"
         << words.classUpdate << "</font><font size=3>" << fileTimeText(tag.sourcePath)
         << "</font></b>";
}

void writeVersionRow(PageText& page, const ClassTag& tag) {
    page << "<tr align=left><td><font size=4><b>" << configuration().words.classVersion
         << "</font></b><td><b>: " << tag.version << "</b>\n";
}

void writeSourceLinks(PageText& page, const ClassTag& tag) {
    const PageWords& words = configuration().words;
    const std::string sourceHref = words.generatorUrlServer + tag.sourcePath;
    const std::string fileHref = classFilePageName(tag);
    if (runSettings().pictures) {
        page << "<td><a href=\"" << sourceHref << "\"" << topTarget()
             << "><img src=\"i1.jpg\"></a><td><a href=\"" << fileHref << "\"" << topTarget()
             << "><img src=\"i2.jpg\"></a>\n";
        return;
    }
    page << "<td><font size=4><b>" << words.classSource << "</font><a href=\"" << sourceHref
         << "\"" << topTarget() << ">" << tag.sourceFile << "</a></b><td><font size=4><b>"
         << words.classFile << "</font><a href=\"" << fileHref << "\"" << topTarget() << ">"
         << tag.sourceFile << "</a></b>\n";
}

bool hasFunctionPointer(const ClassTag& tag, std::uint32_t access) {
    for (const FunctionTag& function : tag.functions) {
        if ((function.flags & FunctionPointer) != 0 && function.access == access) return true;
    }
    return false;
}

bool hasData(const ClassTag& tag, std::uint32_t access) {
    for (const DataTag& member : tag.data) {
        if (member.access == access) return true;
    }
    return false;
}

void writeSectionStart(PageText& page, const std::string& word) {
    page << "<font size=4><b>" << word << "</b></font><p>\n<ul>\n";
}

// One function section: the functions whose flags have `flag` and, when
// `access` is given, that access.
void writeFunctionSection(PageText& page, const ClassTag& tag, const std::string& word,
                          std::uint32_t flag, const std::uint32_t* access) {
    auto qualifies = [&](const FunctionTag& function) {
        return (function.flags & flag) != 0 && (access == nullptr || function.access == *access);
    };
    bool any = false;
    for (const FunctionTag& function : tag.functions) any = any || qualifies(function);
    if (!any) return;
    writeSectionStart(page, word);
    for (const FunctionTag& function : tag.functions) {
        if (qualifies(function)) writeFunctionItem(page, &tag, function);
    }
    page << "</ul>\n";
}

void appendParameters(std::string& text, const ClassTag* tag, const FunctionTag& function) {
    bool first = true;
    for (const DataTag& param : function.params) {
        if (!first) text += ", ";
        first = false;
        appendTypeLink(text, tag, param.type, param.type);
        // A function-pointer parameter's type holds the whole declaration.
        if (param.flags != FunctionPointerShape) {
            text += ' ';
            appendCode(text, param.name);
        }
    }
}

void appendBoldName(std::string& text, const FunctionTag& function) {
    text += "<b>";
    appendCode(text, function.name);
    text += "</b>";
}

void writePageStart(PageText& page, const ClassTag& tag) {
    page << "<HTML>\n<HEAD>\n";
    writeClassPageHead(page, tag);
}

// Description, example and the member sections, closed by the footer.
void writeClassBody(PageText& page, const ClassTag& tag) {
    writeDescription(page, tag.description, true);
    writeExample(page, tag.example);
    writeDataSections(page, tag);
    writeFunctionSections(page, tag);
    writeFooter(page);
    page << "</BODY>\n</HTML>\n";
}

// One page file of a class: the head, a body of the given colour, and the
// content that the caller writes.
template <typename Content>
void writeClassPageFile(const std::string& pageName, const ClassTag& tag, const std::string& colour,
                        Content writeContent) {
    PageFile page;
    if (!page.open(pageName)) return;
    writePageStart(page, tag);
    writeBodyStart(page, colour);
    writeContent(page);
}

}  // namespace

void writeClassPageHead(PageText& page, const ClassTag& tag) {
    page << "<!--\n\n" << decodedHeadLine() << "\n!-->\n\n";
    page << "<TITLE>" << (tag.isTemplate ? "template " : "") << classKindWord(tag.kind) << " : "
         << tag.name << "</TITLE><P>\n";
    if (runSettings().useHeaderFile) copyHeaderFile(page);
}

void writeClassTable(PageText& page, const ClassTag& tag) {
    if (tag.isTemplate) {
        page << "<font size=5><b>Template</b> &lt ";
        writeTemplateParams(page, tag);
        page << " &gt </font>\n";
    }
    page << "<table>\n<th align=left><font size=5>" << classKindWord(tag.kind);
    if (tag.isAbstract()) page << " " << configuration().words.classAbstract;
    page << "</font><th>: <font size=5>" << escapeHtml(tag.name) << "</font>\n";
    if (!tag.baseNames.empty()) {
        page << "<th><font size=4><b> : ";
        writeBaseList(page, tag);
        page << "</b></font>\n";
    }
    writeLibraryCell(page, tag);
    writeSourceLinks(page, tag);
    writeAuthorRow(page, tag);
    writeVersionRow(page, tag);
    page << "</table>\n";
}

void writeDataSections(PageText& page, const ClassTag& tag) {
    if (tag.data.empty() && tag.functions.empty()) return;
    const PageWords& words = configuration().words;
    const std::string* sectionWords[] = {&words.dataPublic, &words.dataProtected,
                                         &words.dataPrivate};
    for (std::uint32_t access : {Public, Protected, Private}) {
        if (!hasData(tag, access) && !hasFunctionPointer(tag, access)) continue;
        writeSectionStart(page, *sectionWords[access]);
        for (const DataTag& member : tag.data) {
            if (member.access == access) writeDataItem(page, tag, member);
        }
        for (const FunctionTag& function : tag.functions) {
            if ((function.flags & FunctionPointer) != 0 && function.access == access) {
                writeFunctionItem(page, &tag, function);
            }
        }
        page << "</ul>\n";
    }
}

void writeDataItem(PageText& page, const ClassTag& tag, const DataTag& member) {
    std::string& text = page.text();
    text += "<li><font size=4>";
    appendTypeLink(text, &tag, member.type, member.type);
    if (member.flags == PointerShape) text += '*';
    else if (member.flags == ReferenceShape) text += '&';
    text += ' ';
    appendCode(text, member.name);
    text += " ;</font>\n";
    writeDescription(page, member.description, false);
}

void writeFunctionSections(PageText& page, const ClassTag& tag) {
    if (tag.functions.empty()) return;
    const PageWords& words = configuration().words;
    const std::uint32_t publicAccess = Public, protectedAccess = Protected,
                        privateAccess = Private;
    writeFunctionSection(page, tag, words.functionConstructor, Constructor, nullptr);
    writeFunctionSection(page, tag, words.functionDestructor, Destructor, nullptr);
    writeFunctionSection(page, tag, words.functionOperator, Operator, nullptr);
    writeFunctionSection(page, tag, words.functionPublic, Ordinary, &publicAccess);
    writeFunctionSection(page, tag, words.functionProtected, Ordinary, &protectedAccess);
    writeFunctionSection(page, tag, words.funtionPrivate, Ordinary, &privateAccess);
}

void writeFunctionItem(PageText& page, const ClassTag* tag, const FunctionTag& function) {
    std::string& text = page.text();
    text += "<li><font size=4>";
    if ((function.flags & FunctionPointer) != 0) {
        appendTypeLink(text, tag, function.returnType, function.returnType);
        text += " (*";
        appendBoldName(text, function);
        text += ") ( ";
    } else {
        if ((function.flags & Ordinary) == 0) {
            text.append("<i>").append(accessWord(function.access)).append("</i> ");
        }
        if (function.hasBody) text += "inline ";
        appendTypeLink(text, tag, function.returnType, function.returnType);
        text += ' ';
        if ((function.flags & Destructor) != 0) text += "~ ";
        appendBoldName(text, function);
        text += " ( ";
    }
    appendParameters(text, tag, function);
    text += ") ";
    if (function.isConst) text += "const ";
    if (function.isPure) text += "= 0";
    text += ";</font>\n";
    writeDescription(page, function.description, false);
}

void writeClassPage(const ClassTag& tag) {
    writeClassPageFile(tag.pageFile, tag, configuration().words.generatorHtmlNoframeBgcolor,
                       [&](PageText& page) {
                           writeClassTable(page, tag);
                           page << "<hr><p>\n";
                           writeClassBody(page, tag);
                       });
}

void writeClassFrames(DocModel& model, const ClassTag& tag) {
    const PageWords& words = configuration().words;
    FramePageNames names = nameFramePages(model, tag);
    PageFile frameset;
    if (frameset.open(tag.pageFile)) {
        writePageStart(frameset, tag);
        frameset << "</HEAD>\n<FRAMESET ROWS=\"20%,80%\">\n"
                 << "<FRAME SRC=\"" << names.upper << "\">\n"
                 << "<FRAME SRC=\"" << names.lower << "\">\n"
                 << "</FRAMESET>\n</HTML>\n";
        frameset.close();
    }
    writeClassPageFile(names.upper, tag, words.generatorHtmlFrameHeaderBgcolor,
                       [&](PageText& page) {
                           writeClassTable(page, tag);
                           page << "</BODY>\n</HTML>\n";
                       });
    writeClassPageFile(names.lower, tag, words.generatorHtmlFrameBodyBgcolor,
                       [&](PageText& page) { writeClassBody(page, tag); });
}

}  // namespace zivrat
