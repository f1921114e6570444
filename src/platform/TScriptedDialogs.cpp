#include "platform/TScriptedDialogs.h"

namespace {
TDialogs* CurrentInstalled() { return &Dialogs(); }
}  // namespace

TScriptedDialogs::TScriptedDialogs() : previous_(CurrentInstalled()) { SetDialogs(this); }

TScriptedDialogs::~TScriptedDialogs() { SetDialogs(previous_); }

void TScriptedDialogs::ShowMessage(const std::string& text) { Messages.push_back(text); }

void TScriptedDialogs::InformationBox(const std::string& text, const std::string&) {
    Informations.push_back(text);
}

std::string TScriptedDialogs::InputBox(const std::string&, const std::string& prompt,
                                       const std::string& defaultValue) {
    Prompts.push_back(prompt);
    if (answers_.empty()) return defaultValue;
    std::string a = answers_.front();
    answers_.pop_front();
    return a == kCancel ? defaultValue : a;
}
