// Folds repeated message boxes of one operation. While a guard lives it
// stands in for the installed dialogs: the first box of each text is shown at
// once, repeats are only counted, and when the guard ends every text that
// repeated is shown once more as "<text> (shown once; N more like it)".
// A walk over a damaged chain thus shows a handful of boxes, not one per row.
// A guard made while another lives does nothing: its repeats fold into the
// outer one. Information and input boxes pass through unchanged.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/TDialogs.h"

class TMessageFloodGuard : public TDialogs {
public:
    TMessageFloodGuard();
    ~TMessageFloodGuard() override;
    TMessageFloodGuard(const TMessageFloodGuard&) = delete;
    TMessageFloodGuard& operator=(const TMessageFloodGuard&) = delete;

    void ShowMessage(const std::string& text) override;
    void InformationBox(const std::string& text, const std::string& caption) override;
    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& defaultValue) override;

private:
    TDialogs& Inner() const { return inner_ != nullptr ? *inner_ : Dialogs(); }

    TDialogs* inner_ = nullptr;           // nullptr for a nested guard
    std::map<std::string, int> repeats_;  // text -> boxes not shown
    std::vector<std::string> order_;      // texts in order of first appearance
};
