// Dialogs for tests: answers to input boxes are queued in advance, every
// message and prompt is recorded. An input box with no queued answer gives
// its default, as Cancel does.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/TDialogs.h"

class TScriptedDialogs : public TDialogs {
public:
    TScriptedDialogs();  // installs itself as the process-wide dialogs
    ~TScriptedDialogs() override;  // restores the previous dialogs

    void ShowMessage(const std::string& text) override;
    void InformationBox(const std::string& text, const std::string& caption) override;
    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& defaultValue) override;

    void QueueAnswer(const std::string& answer) { answers_.push_back(answer); }
    void QueueCancel() { answers_.push_back(kCancel); }

    std::vector<std::string> Messages;      // ShowMessage texts, in order
    std::vector<std::string> Informations;  // InformationBox texts
    std::vector<std::string> Prompts;       // InputBox prompts

private:
    static constexpr const char* kCancel = "\x01<cancel>";
    std::deque<std::string> answers_;
    TDialogs* previous_;
};
