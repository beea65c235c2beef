// The page of one class: its head, its table, its member sections, and the
// assembly of the page alone or as a frameset with two frame pages.
#pragma once

#include "html/html_text.h"
#include "model/model.h"

namespace zivrat {

// What goes between "<HTML>\n<HEAD>\n" and "</HEAD>".
void writeClassPageHead(PageText& page, const ClassTag& tag);
// The template line and the class table.
void writeClassTable(PageText& page, const ClassTag& tag);

void writeDataSections(PageText& page, const ClassTag& tag);
void writeFunctionSections(PageText& page, const ClassTag& tag);

void writeDataItem(PageText& page, const ClassTag& tag, const DataTag& member);
// `tag` is null for the function prototypes of a file page.
void writeFunctionItem(PageText& page, const ClassTag* tag, const FunctionTag& function);

// The whole page without frames, into htmlPath + pageFile.
void writeClassPage(const ClassTag& tag);
// The frameset into htmlPath + pageFile and its upper and lower frame pages.
void writeClassFrames(DocModel& model, const ClassTag& tag);

}  // namespace zivrat
