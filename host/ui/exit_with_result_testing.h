// Included by test programs that run the whole host: once the host has run in a process,
// something in the process's end loses the exit code, so the program ends itself with the result.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

namespace vantrel::testing {

struct ExitWithTestResult : ::testing::EmptyTestEventListener {
    void OnTestProgramEnd(const ::testing::UnitTest& unit) override {
        std::fflush(stdout);
        ::ExitProcess(unit.Passed() ? 0 : 1);
    }
};
inline const bool kExitWithTestResult = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ExitWithTestResult);
    return true;
}();

} // namespace vantrel::testing
