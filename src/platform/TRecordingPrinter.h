// A printer for tests: takes the listing instead of printing it. Cancel makes
// the set-up dialog answer "cancelled"; Missing makes it behave as no printer.
#pragma once

#include <string>
#include <vector>

#include "platform/TPrinter.h"

class TRecordingPrinter : public TPrinter {
  public:
    // Installs itself; the previous printer comes back when it is destroyed.
    TRecordingPrinter();
    ~TRecordingPrinter() override;

    bool SetupDialog(void* owner) override;
    bool IsLandscape() const override;
    void PrintLines(const std::vector<std::string>& lines, int pointSize,
                    const std::string& documentTitle) override;

    bool Cancel = false;
    bool Missing = false;
    bool Landscape = false;

    int Setups = 0;
    int Printouts = 0;
    std::vector<std::string> Lines;  // the last listing printed
    int PointSize = 0;
    std::string Title;

  private:
    TPrinter* previous_;
};
