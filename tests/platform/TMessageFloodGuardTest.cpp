#include <gtest/gtest.h>

#include "platform/TMessageFloodGuard.h"
#include "platform/TScriptedDialogs.h"

// Each message of an operation shows once; repeats come back as one summary
// box at the end of the outermost scope, in order of first appearance.
TEST(TMessageFloodGuard, FoldsRepeatsIntoOneSummaryPerText) {
    TScriptedDialogs dialogs;
    {
        TMessageFloodGuard outer;
        for (int i = 0; i < 280; ++i) Dialogs().ShowMessage("bad field");
        {
            TMessageFloodGuard nested;  // folds into the outer scope
            for (const char* text : {"single", "tail", "bad field"}) Dialogs().ShowMessage(text);
        }
        EXPECT_EQ(3u, dialogs.Messages.size());  // nothing summed up yet
        Dialogs().ShowMessage("tail");
        EXPECT_EQ("x", Dialogs().InputBox("c", "p", "x"));  // passes through
    }
    Dialogs().ShowMessage("single");  // no scope: shown as it is
    EXPECT_EQ((std::vector<std::string>{"bad field", "single", "tail",
                                        "bad field (shown once; 280 more like it)",
                                        "tail (shown once; 1 more like it)", "single"}),
              dialogs.Messages);
    EXPECT_EQ(&dialogs, &Dialogs());
}
