// The about window's keys and place, and the help window.
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>

#include "LogWindowFixture.h"
#include "logwindow/TfrmALittleHelp.h"
#include "logwindow/TfrmAbout.h"
#include "platform/TRecordingHelpViewer.h"

TEST(TfrmAbout, EnterAndEscPressOkWhereverTheFocusIsAndItShowsCentred) {
    EnsureApp();
    TfrmAbout about;
    for (QWidget* target : std::initializer_list<QWidget*>{&about, about.Button2})
        for (int key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Enter}) {
            about.move(0, 0);
            about.show();
            about.setResult(0);
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(target, &press);
            EXPECT_TRUE(about.result() == QDialog::Accepted && !about.isVisible()) << key;
        }
    about.show();
    EXPECT_FALSE(about.grab().isNull());
    const QRect screen = about.screen()->geometry();
    EXPECT_EQ(QPoint((screen.width() - 342) / 2, (screen.height() - 189) / 2), about.pos());
}

TEST(TfrmALittleHelp, ShowsTheHelpFileNextToTheProgramOrReportsItMissing) {
    EnsureApp();
    TScriptedDialogs dialogs;
    SetHelpViewer(nullptr);  // a recording viewer of an earlier test leaves the null one behind
    {
        TfrmALittleHelp help;
        EXPECT_EQ(&help, &HelpViewer());
        HelpViewer().ShowContents("QSOLOG.HLP", nullptr);
        EXPECT_TRUE(help.isVisible());
        EXPECT_EQ(std::string(TRAMB_BIN_DIR) + "/QSOLOG.HLP", help.ShownFile);
        EXPECT_TRUE(help.Browser->toPlainText().contains("GMT Shift Hours"));
    }
    TRecordingHelpViewer recording;  // installed first: the window does not take over
    TfrmALittleHelp help;
    EXPECT_EQ(&recording, &HelpViewer());
    help.ShowContents("NOSUCH.HLP", nullptr);
    EXPECT_EQ(std::vector<std::string>{"Cannot open the help file NOSUCH.HLP."}, dialogs.Messages);
    EXPECT_FALSE(help.isVisible());
}
