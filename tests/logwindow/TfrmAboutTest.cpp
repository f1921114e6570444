#include <gtest/gtest.h>
#include <stdlib.h>

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "logwindow/TfrmAbout.h"

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

// Runs the window modally and presses key once it is up, on whatever
// control has the focus then.
int ExecWithKey(TfrmAbout& about, int key) {
    QTimer::singleShot(0, &about, [&about, key] {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &about;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &press);
        // Should the key be lost, end the run anyway so the test fails instead of hanging.
        QTimer::singleShot(2000, &about, [&about] { about.done(42); });
    });
    return about.exec();
}

TEST(TfrmAbout, EnterAndEscPressOk) {
    EnsureApp();
    TfrmAbout about;
    EXPECT_EQ(QDialog::Accepted, ExecWithKey(about, Qt::Key_Return));
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(QDialog::Accepted, ExecWithKey(about, Qt::Key_Escape));
    EXPECT_EQ(QDialog::Accepted, ExecWithKey(about, Qt::Key_Enter));
    about.Label1->setFocus();
    EXPECT_EQ(QDialog::Accepted, ExecWithKey(about, Qt::Key_Escape));
}

TEST(TfrmAbout, ItsShapesCaptionsAndPlace) {
    EnsureApp();
    TfrmAbout about;
    EXPECT_EQ("About the QSO logging program", about.windowTitle());
    EXPECT_EQ(QSize(342, 189), about.size());
    EXPECT_EQ("&Ok", about.Button2->text());
    EXPECT_EQ(QRect(201, 156, 136, 27), about.Button2->geometry());
    EXPECT_TRUE(about.Button2->isDefault());
    EXPECT_EQ("This is Version 1.0 Beta of", about.Label2->text());
    EXPECT_EQ("The QSO Logging Software", about.Label1->text());
    EXPECT_EQ(QRect(8, 6, 323, 59), TfrmAbout::Shape1Rect());
    EXPECT_FALSE(about.windowFlags() & Qt::WindowCloseButtonHint);

    about.move(0, 0);
    about.show();
    const QRect screen = about.screen()->geometry();
    EXPECT_EQ(QPoint((screen.width() - 342) / 2, (screen.height() - 189) / 2), about.pos());
    about.Button2->click();
    EXPECT_FALSE(about.isVisible());
}

}  // namespace
