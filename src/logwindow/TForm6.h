// The station-settings window: eight free texts (tuner positions and the
// like) stored as the settings StnSetting1 to StnSetting8.
#pragma once

#include <QDialog>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

class TForm6 : public QDialog {
    Q_OBJECT

public:
    static constexpr int kSettings = 8;
    static constexpr int kMaxLength = 29;

    explicit TForm6(QWidget* parent = nullptr);
    ~TForm6() override;

    QLabel* lblHeading = nullptr;
    std::array<QLineEdit*, kSettings> edtSettings{};
    QPushButton* btnDone = nullptr;

    // Fills the edits from the stored settings.
    void FormShow();
    // Stores every edit ("_" for an empty one) and closes the window.
    void btnDoneClick();

protected:
    void showEvent(QShowEvent* event) override;
};

extern TForm6* Form6;
