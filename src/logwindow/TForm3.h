// The alert window: a one-line notice shown while the start-up checks the
// database (the check blocks the event loop, so the caller repaints it).
#pragma once

#include <QDialog>
#include <string>

class QLabel;

class TForm3 : public QDialog {
    Q_OBJECT

public:
    explicit TForm3(QWidget* parent = nullptr);
    ~TForm3() override;

    QLabel* lblAlert = nullptr;

    void Showit(const std::string& text);

protected:
    void showEvent(QShowEvent* event) override;
};

extern TForm3* Form3;
