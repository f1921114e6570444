// The two lookups about the station under the cursor: the earlier contacts
// with it from the log (QSOLOG by call sign), and the holder's data from the
// call-sign CD, whose viewer program is started with the call sign and
// answers through a small text file in the log's current directory.
//
// Results file "TRAVINDOX_TBL0001.TXT", CR LF lines, at most 14 read:
//   1 shown first (trimmed), "NOT FO" when the call is unknown to the disc
//   3, 4 as read; 5, 6 trimmed and run together; 7 trimmed on its own line;
//   8 trimmed, 9, 10, 11 as read on the third line; 2, 12, 14 not shown;
//   13 the end marker "TRAVINDOX-END-OF-FILE" (the file is deleted only then).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "records/TQSO.h"

class TCallDataLookup {
  public:
    static constexpr const char* kDataFile = "EN0103.DAT";
    static constexpr const char* kViewerProgram = "VIEWER1.EXE";
    static constexpr const char* kViewerTitle = "Travindox Viewer";
    static constexpr const char* kResultsFile = "TRAVINDOX_TBL0001.TXT";
    static constexpr const char* kEndMarker = "TRAVINDOX-END-OF-FILE";
    static constexpr const char* kNotFoundMark = "NOT FO";
    static constexpr int kResultLines = 14;
    static constexpr uint32_t kViewerWaitMs = 15000;
    // Hidden, system, volume, directory, archive and any-file added up (2+4+8+16+32+63).
    static constexpr uint32_t kFileAttrs = 125;

    static constexpr const char* kNotOnFile = "Data for call not on file";
    static constexpr const char* kPreviousHeading = "Previous QSOs :";
    static constexpr const char* kViewerRunning =
        "Callsign CD Viewer is already running.  Type the desired call into the editbox that "
        "appears next.  You may have to click on the license message button also.";
    static constexpr const char* kCDNotFound =
        "TX-CALLSIGN CD not found.  Please insert the CD into the drive and try again.";
    static constexpr const char* kNoData =
        "Could not retrieve data from CD.  Check to see if your CD is dirty or scratched.";
    static constexpr const char* kCDFound = "CD database found";
    static constexpr const char* kCallNotFound = "Callsign Not Found";

    using TResultLines = std::array<std::string, kResultLines>;

    // The viewer's start: the program on the disc and its one argument, the
    // log's directory joined with the call sign (which may hold anything
    // after a "/": it is handed over as one argv entry, never parsed).
    struct TViewerCommand {
        std::string Program;
        std::string Argument;
        std::string CommandLine() const { return Program + " " + Argument; }
    };

    // What btnCallDataClick does to the window's memo memFromFcc and grid.
    struct TCallDataView {
        std::function<void(bool)> SetMemoVisible;
        std::function<void()> ClearMemo;
        std::function<void(const std::string&)> SetMemoText;
        std::function<void()> FocusGrid;
    };

    // --- earlier contacts ---
    // The memo text for the contacts with this call (as the cell holds it);
    // kNotOnFile when QSOLOG has none or cannot be opened, empty on failure.
    static std::string GetPreviousQSOs(const std::string& call);
    // Heading line, then "date call frequency" per contact, CR LF ended.
    static std::string FormatPreviousQSOs(const std::vector<TQSO>& qsos);

    // --- the call-sign CD ---
    static uint32_t GetFileAttrs() { return kFileAttrs; }
    // dir + "/" + "TRAVINDOX_TBL0001.TXT" (dir "/" gets no second slash).
    static std::string ViewerResultsFileName(const std::string& dir);
    // -1 and the window's id when a top-level window "Travindox Viewer" exists, else 0.
    static int32_t IsViewerRunning(uint64_t& handle);
    // Probes the mounted discs in mount order for a root holding a
    // non-hidden "EN0103.DAT"; 0 and the viewer's start when one does, else 2.
    static int32_t FindCallsignCD(const std::string& call, const std::string& dir,
                                  TViewerCommand& command, std::string& cdRoot);
    // Starts the viewer in cdRoot and waits (without yielding) until the
    // results file is in dir: 0, or 2 after 15 seconds.
    static int32_t RunCallsignViewer(const TViewerCommand& command, const std::string& cdRoot,
                                     const std::string& dir);
    // Lines 1 to 14 of the file (slot 0 is line 1); lines past 14 are
    // ignored, missing ones stay empty. Throws when it cannot be read.
    static TResultLines ReadResultsFile(const std::string& fileName);
    // The memo text of a results file.
    static std::string BuildCallDataText(const TResultLines& lines);
    // The whole "Get info from CD" command for the call of the current row.
    static void LookUpCallData(const std::string& call, const std::string& dir,
                               const TCallDataView& view);
};
