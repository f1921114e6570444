// The about window: two captions in a pale ellipse, two more ellipses below,
// and the Ok button, which is the default and the cancel button (Enter and
// Esc press it). Centred on the screen each time it is shown.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TfrmAbout : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kClientWidth = 342;
    static constexpr int kClientHeight = 189;

    explicit TfrmAbout(QWidget* parent = nullptr);
    ~TfrmAbout() override;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Button2 = nullptr;
    // The ellipses Shape1, Shape2 and Shape4 (left, top, width, height).
    static QRect Shape1Rect() { return {8, 6, 323, 59}; }
    static QRect Shape2Rect() { return {4, 78, 161, 71}; }
    static QRect Shape4Rect() { return {176, 80, 163, 69}; }

    void Button2Click();
    // left := (screen width - window width) div 2, the same for top.
    void FormShow();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

extern TfrmAbout* frmAbout;
