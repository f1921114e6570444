#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QTextBrowser>

#include "logwindow/TfrmALittleHelp.h"
#include "platform/TRecordingHelpViewer.h"
#include "platform/TScriptedDialogs.h"

namespace {

void EnsureApp() {
    static int argc = 1;
    static char name[] = "logwindow_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        new QApplication(argc, argv);
    }
}

TEST(TfrmALittleHelp, ShowsTheHelpFileNextToTheProgramAtItsContents) {
    EnsureApp();
    TScriptedDialogs dialogs;
    TfrmALittleHelp help;
    EXPECT_EQ(&help, &HelpViewer());
    HelpViewer().ShowContents("QSOLOG.HLP", nullptr);
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(std::string(TRAMB_BIN_DIR) + "/QSOLOG.HLP", help.ShownFile);
    const QString text = help.Browser->toPlainText();
    for (const char* topic : {"Contents", "F7", "F8", "Enter", "Tab", "End", "Home", "999999999",
                              "UNKNOWN", "9999", "UNKN", "GMT Shift Hours", "Find Next Call",
                              "Export to Text File", "Print to File", "Check Database"})
        EXPECT_TRUE(text.contains(topic)) << topic;
    help.hide();
}

TEST(TfrmALittleHelp, AMissingFileIsReportedByTheViewer) {
    EnsureApp();
    TScriptedDialogs dialogs;
    TRecordingHelpViewer recording;  // installed first: the window does not take over
    TfrmALittleHelp help;
    EXPECT_EQ(&recording, &HelpViewer());
    help.ShowContents("NOSUCH.HLP", nullptr);
    EXPECT_EQ(std::vector<std::string>{"Cannot open the help file NOSUCH.HLP."}, dialogs.Messages);
    EXPECT_FALSE(help.isVisible());
}

}  // namespace
