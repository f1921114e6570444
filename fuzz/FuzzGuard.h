// Runs one step of a fuzz run. The kernel and the SQL layer raise their
// structural errors as exceptions derived from std::exception (a damaged
// chain, a row of another table, a bad statement); the windows catch those
// and report them, so a step that raises one has behaved. Anything else
// escapes and ends the run as a crash.
#pragma once

#include <exception>

template <class F>
bool FuzzGuard(F&& step) {
    try {
        step();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// A property of the target that must hold: when it does not, the run ends
// as a crash, which libFuzzer keeps as a failing input.
inline void FuzzCheck(bool holds) {
    if (!holds)
        __builtin_trap();
}
