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
