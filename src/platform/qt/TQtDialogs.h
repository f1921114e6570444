// The windows' dialogs: modal Qt message, information and input boxes. Text
// crosses the Qt boundary as Latin-1 (one byte per character in the database).
#pragma once

#include <string>

#include "platform/TDialogs.h"

class QWidget;

class TQtDialogs : public TDialogs {
public:
    // parent may be null; the boxes are then application-modal top-level windows.
    explicit TQtDialogs(QWidget* parent = nullptr);
    ~TQtDialogs() override;

    void ShowMessage(const std::string& text) override;
    void InformationBox(const std::string& text, const std::string& caption) override;
    // Cancel (or closing the box) answers the default.
    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& defaultValue) override;

    void SetParent(QWidget* parent) { parent_ = parent; }

private:
    QWidget* parent_;
};
