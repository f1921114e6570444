// The printer of the log's listings: the set-up dialog, the orientation it
// chose, and the printing of fixed-pitch text lines under a document title.
// Without windows there is no printer: every call throws TNoPrinter.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

class TNoPrinter : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TPrinter {
  public:
    virtual ~TPrinter();
    // The printer set-up dialog; false when the user cancelled it.
    virtual bool SetupDialog(void* owner);
    // Orientation of the printer the set-up chose.
    virtual bool IsLandscape() const;
    // Prints the lines in order, in a bold fixed-pitch font of pointSize,
    // laid out on as many pages as needed.
    virtual void PrintLines(const std::vector<std::string>& lines, int pointSize,
                            const std::string& documentTitle);
};

TPrinter& Printer();
// Installs a printer owned by the caller; nullptr restores the missing one.
void SetPrinter(TPrinter* printer);
