// What to tell the operator when a database file could not be opened: why,
// in one sentence naming the file, from the reason the last open gave.
#pragma once

#include <string>

class TDbOpenProblem {
public:
    enum class TKind { kReadOnly, kInUse, kOther };

    // The kind of the last failed TDbFile::Open in this process.
    static TKind LastKind();
    // The sentence for the last failure to open the file at path.
    static std::string Text(const std::string& path);
};
