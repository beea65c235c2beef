#include "ground/banner.h"

#include <iostream>

#include "ground/messages.h"
#include "ground/version.h"

namespace zivrat {
namespace {

// The head line is kept enciphered in the program (each byte xor 0x5A).
constexpr unsigned char kHeadLineKey = 0x5A;
constexpr unsigned char kEncipheredHeadLine[] = {
    0x0A, 0x3B, 0x3D, 0x3F, 0x29, 0x7A, 0x2D, 0x28, 0x33, 0x2E, 0x2E, 0x3F, 0x34, 0x7A, 0x38, 0x23,
    0x7A, 0x00, 0x33, 0x2C, 0x28, 0x3B, 0x2E, 0x7A, 0x6B, 0x74, 0x6A, 0x74, 0x68, 0x76, 0x7A, 0x2E,
    0x32, 0x3F, 0x7A, 0x19, 0x7A, 0x3B, 0x34, 0x3E, 0x7A, 0x19, 0x71, 0x71, 0x7A, 0x36, 0x33, 0x38,
    0x28, 0x3B, 0x28, 0x23, 0x7A, 0x3E, 0x35, 0x39, 0x2F, 0x37, 0x3F, 0x34, 0x2E, 0x3F, 0x28};

std::string& headLine() {
    static std::string line;
    return line;
}

const char* const kUsageLines[] = {
    "usage : zivrat [flags] [files...]\n",
    " flags:\t\t\t\t\t*[default]\n",
    " -1         No HTML source generate         -I dir   Include files directory\n",
    " -2       * Generate HTML+                  -j       Reserved\n",
    " -3         Generate HTML 3.2               -K       Keep preprocessed tmp file\n",
    " -a         Add in current DataBase         -lo dir  Output HTML path [.]\n",
    " -b         Generate DataBase               -ld Dir  Output DOC path [.]\n",
    " -C         Insert C/C++ comments           -lb Dir  Output DataBase path [.]\n",
    " -d         Generate DOC skeleton           -p       Generate with Pictures\n",
    " -D def     Define macro 'def' as 1         -P       No preprocessing step\n",
    " -D def=val Define macro 'def' as 'val'     -R       Allow macro recursion\n",
    " -f         Generate with HTML 3.2 Frames   -S       Generate short 8.3 files\n",
    " -g         Groupware On                    -U def   Undefine macro 'def'\n",
    " -h file    Insert HTML header file         -vx      Set verbose level (x=0..5)\n",
    " -i         Rebuild indexes from DataBase   -V       Display version Number\n",
};

}  // namespace

void printBanner() {
    currentOutput() << "Zivrat Version " << kVersionText << endLine;
    std::string& line = headLine();
    line.clear();
    for (unsigned char c : kEncipheredHeadLine) line += static_cast<char>(c ^ kHeadLineKey);
}

void printVersion() { currentOutput() << kVersionText << std::endl; }

void printUsage() {
    for (const char* line : kUsageLines) currentOutput() << line;
    currentOutput() << endLine;
}

const std::string& decodedHeadLine() { return headLine(); }

}  // namespace zivrat
