#include "platform/TMessageFloodGuard.h"

namespace {
TMessageFloodGuard* gActive = nullptr;  // the outermost guard alive
}

TMessageFloodGuard::TMessageFloodGuard() {
    if (gActive != nullptr)
        return;
    inner_ = &Dialogs();
    gActive = this;
    SetDialogs(this);
}

TMessageFloodGuard::~TMessageFloodGuard() {
    if (inner_ == nullptr)
        return;
    // Dialogs installed meanwhile by someone else stay; ours goes.
    if (&Dialogs() == this)
        SetDialogs(inner_);
    gActive = nullptr;
    for (const std::string& text : order_) {
        const int more = repeats_[text];
        if (more == 0)
            continue;
        try {
            inner_->ShowMessage(text + " (shown once; " + std::to_string(more) + " more like it)");
        } catch (...) {
            // A box that cannot be shown must not end the program here.
        }
    }
}

void TMessageFloodGuard::ShowMessage(const std::string& text) {
    const auto [it, first] = repeats_.try_emplace(text, 0);
    if (!first) {
        ++it->second;
        return;
    }
    order_.push_back(text);
    Inner().ShowMessage(text);
}

void TMessageFloodGuard::InformationBox(const std::string& text, const std::string& caption) {
    Inner().InformationBox(text, caption);
}

std::string TMessageFloodGuard::InputBox(const std::string& caption, const std::string& prompt,
                                         const std::string& defaultValue) {
    return Inner().InputBox(caption, prompt, defaultValue);
}
