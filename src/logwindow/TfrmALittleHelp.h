// The help viewer window: shows the help file (simple HTML, or plain text)
// opened at its contents, the anchor "contents". It is the process's help
// viewer once created; a file that cannot be read is reported here.
#pragma once

#include <QDialog>
#include <string>

#include "platform/THelpViewer.h"

class QTextBrowser;

class TfrmALittleHelp : public QDialog, public THelpViewer {
    Q_OBJECT

public:
    static constexpr const char* kContentsAnchor = "contents";

    explicit TfrmALittleHelp(QWidget* parent = nullptr);
    ~TfrmALittleHelp() override;

    // Relative names are looked for next to the program, in the installed
    // data folder beside it (../share/tramb), in the current directory, then
    // in the data folder of the install prefix.
    void ShowContents(const std::string& helpFile, void* owner) override;
    // The path the file was found at; empty when nowhere.
    static std::string LocateHelpFile(const std::string& helpFile);

    QTextBrowser* Browser = nullptr;
    std::string ShownFile;  // the path shown last
};

extern TfrmALittleHelp* frmALittleHelp;
