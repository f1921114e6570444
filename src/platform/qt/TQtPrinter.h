// The listings' printer through Qt's print support: the print dialog (which
// offers printing to a PDF file when no printer is installed), and the lines
// painted in a bold fixed-pitch font, page after page. Given a PDF file name
// it skips the dialog and prints into that file.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/TPrinter.h"

class QPrinter;

class TQtPrinter : public TPrinter {
  public:
    TQtPrinter();
    explicit TQtPrinter(const std::string& pdfFile, bool landscape = false);
    ~TQtPrinter() override;

    bool SetupDialog(void* owner) override;
    bool IsLandscape() const override;
    void PrintLines(const std::vector<std::string>& lines, int pointSize,
                    const std::string& documentTitle) override;

    // The font size actually used by the last printout (smaller than asked
    // when the widest line would not fit the page otherwise).
    double LastPointSize() const { return lastPointSize_; }

  private:
    std::unique_ptr<QPrinter> printer_;
    bool toPdf_ = false;
    double lastPointSize_ = 0;
};
