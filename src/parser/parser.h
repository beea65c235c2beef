// The declaration parser: scanner input, parse, and trace switch.
#pragma once

#include <string>

namespace zivrat {

// Opens the file as the scanner's input; false when it cannot be opened.
bool openScannerInput(const std::string& path);
void closeScannerInput();

// Parses the whole scanner input into the documentation model.
// 0 accepted, 1 syntax error, 2 stack overflow.
int parseDeclarations();

// Forgets the builder's references into the model before it is cleared.
void forgetModelReferences();

// Trace level of the declaration parser ("YYDEBUG").
void setDeclarationTraceLevel(int level);

}  // namespace zivrat
