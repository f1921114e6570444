// The text of the exception a test provokes; shared by the kernel and schema tests.
#pragma once

#include <string>

// The text of the E that f raises; "none" when it returns.
template <class E, class F>
std::string Thrown(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "none";
}
