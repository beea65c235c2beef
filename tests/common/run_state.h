// The run-wide state as a program finds it when it starts, for tests that
// use the subsystems in the test program itself.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace zivrat::test {

// Puts back the run settings and counters, the configuration (built-in words, empty
// lists), an empty model (short-name counter and comment texts too, and
// nothing of it held by the parser) and console output on standard output.
void resetRunState();

// A test that starts and ends on a fresh run-wide state.
class RunStateTest : public ::testing::Test {
protected:
    void SetUp() override { resetRunState(); }
    void TearDown() override { resetRunState(); }
};

// Collects the console lines (currentOutput) while it lives.
class ConsoleCapture {
public:
    explicit ConsoleCapture(std::string& into);
    ~ConsoleCapture();
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;
};

}  // namespace zivrat::test
