// The database check window: runs the kernel's integrity check on request
// and shows its report in a fixed-pitch memo.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class TfrmDatabaseCheck : public QDialog {
    Q_OBJECT

public:
    explicit TfrmDatabaseCheck(QWidget* parent = nullptr);
    ~TfrmDatabaseCheck() override;

    QPlainTextEdit* memDbChecks = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* btnOK = nullptr;
    bool Running = false;

    void Button1Click();
    void btnOKClick();
};

extern TfrmDatabaseCheck* frmDatabaseCheck;
