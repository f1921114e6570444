#include "logwindow/TCallDataLookup.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "platform/TClock.h"
#include "platform/TDialogs.h"
#include "platform/TFileSearch.h"
#include "platform/TOpticalDrives.h"
#include "platform/TProcessLauncher.h"
#include "platform/TWindowFinder.h"
#include "schema/TDBResultSet.h"

namespace {

// QSOLOG positions of the fields listed: date, call sign, frequency.
constexpr int kDatePosition = 1;
constexpr int kCallPosition = 2;
constexpr int kFrequencyPosition = 5;

// Blanks and control characters off both ends.
std::string Trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    return text.substr(begin, end - begin);
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (!dir.empty() && dir.back() == '/')
        return dir + name;
    return dir + "/" + name;
}

std::string FieldValue(const TDBFields& fields, int position) {
    const TDBFieldParent* field = fields.GetField(position);
    return field ? field->Value : std::string();
}

bool ResultsFilePresent(const std::string& dir) {
    const auto matches =
        TFileSearch::Find(dir, TCallDataLookup::kResultsFile, TCallDataLookup::GetFileAttrs());
    for (const auto& match : matches)
        if (match.Name == TCallDataLookup::kResultsFile)
            return true;
    return false;
}

}  // namespace

std::string TCallDataLookup::FormatPreviousQSOs(const std::vector<TQSO>& qsos) {
    std::string text = std::string(kPreviousHeading) + "\r\n";
    for (const TQSO& qso : qsos)
        text += qso.QSODate + " " + qso.Call + " " + qso.Frequency + "\r\n";
    return text;
}

std::string TCallDataLookup::GetPreviousQSOs(const std::string& call) {
    try {
        TDBResultSet resultSet;
        const int32_t status = resultSet.Open("QSOLOG", call, call);
        if (status >= 2)
            return kNotOnFile;
        std::vector<TQSO> qsos;
        while (resultSet.Eof == 0 && resultSet.CurrentFields) {
            TQSO qso;
            qso.QSODate = FieldValue(*resultSet.CurrentFields, kDatePosition);
            qso.Call = FieldValue(*resultSet.CurrentFields, kCallPosition);
            qso.Frequency = FieldValue(*resultSet.CurrentFields, kFrequencyPosition);
            qsos.push_back(std::move(qso));
            resultSet.Next();
        }
        return FormatPreviousQSOs(qsos);
    } catch (...) {
        return std::string();
    }
}

std::string TCallDataLookup::ViewerResultsFileName(const std::string& dir) {
    return JoinPath(dir, kResultsFile);
}

int32_t TCallDataLookup::IsViewerRunning(uint64_t& handle) {
    return WindowFinder().FindTopLevelWindow(kViewerTitle, handle) ? -1 : 0;
}

int32_t TCallDataLookup::FindCallsignCD(const std::string& call, const std::string& dir,
                                        TViewerCommand& command, std::string& cdRoot) {
    try {
        const uint32_t mask = GetFileAttrs();
        for (const std::string& root : OpticalDrives().Roots()) {
            bool counts = false;
            for (const auto& match : TFileSearch::Find(root, kDataFile, mask))
                if ((match.Attributes & ~mask) == 0 && match.Name == kDataFile)
                    counts = true;
            if (!counts)
                continue;
            command.Program = JoinPath(root, kViewerProgram);
            command.Argument = JoinPath(dir, call);
            cdRoot = root;
            return 0;
        }
        return 2;
    } catch (...) {
        return 2;
    }
}

int32_t TCallDataLookup::RunCallsignViewer(const TViewerCommand& command, const std::string& cdRoot,
                                           const std::string& dir) {
    try {
        // A viewer that cannot be started shows up as no answer in time.
        ProcessLauncher().Start(command.Program, {command.Argument}, cdRoot);
        const uint32_t start = Clock().TickCount();
        for (;;) {
            if (ResultsFilePresent(dir))
                return 0;
            if (Clock().TickCount() - start > kViewerWaitMs)
                return 2;
            // The window stays blocked; the pause only spares the processor.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    } catch (...) {
        return 2;
    }
}

TCallDataLookup::TResultLines TCallDataLookup::ReadResultsFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + fileName);
    TResultLines lines;
    std::string line;
    // Room for 14 lines; a longer file's remainder is not read.
    for (int k = 0; k < kResultLines && std::getline(in, line); ++k) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines[static_cast<size_t>(k)] = line;
    }
    if (in.bad())
        throw std::runtime_error("cannot read " + fileName);
    return lines;
}

std::string TCallDataLookup::BuildCallDataText(const TResultLines& l) {
    const std::string first = l[0] == kNotFoundMark ? std::string(kCallNotFound) : Trim(l[0]);
    return first + " " + l[2] + " " + l[3] + " " + Trim(l[4]) + Trim(l[5]) + "\r\n" + Trim(l[6]) +
           " " + "\r\n" + Trim(l[7]) + " " + l[8] + " " + l[9] + " " + l[10] + "\r\n";
}

void TCallDataLookup::LookUpCallData(const std::string& call, const std::string& dir,
                                     const TCallDataView& view) {
    try {
        uint64_t handle = 0;
        if (IsViewerRunning(handle) != 0) {
            Dialogs().ShowMessage(kViewerRunning);
            WindowFinder().BringToFront(handle);
            view.SetMemoVisible(false);
            return;
        }
        view.SetMemoVisible(true);
        TViewerCommand command;
        std::string cdRoot;
        if (FindCallsignCD(call, dir, command, cdRoot) != 0) {
            Dialogs().ShowMessage(kCDNotFound);
            return;
        }
        if (RunCallsignViewer(command, cdRoot, dir) != 0) {
            Dialogs().ShowMessage(kNoData);
            return;
        }
        Dialogs().ShowMessage(kCDFound);
        const std::string fileName = ViewerResultsFileName(dir);
        std::ifstream probe(fileName, std::ios::binary);
        if (!probe)
            return;
        probe.close();
        view.ClearMemo();
        const TResultLines lines = ReadResultsFile(fileName);
        // Without the end marker the viewer did not finish: the file stays
        // and the next lookup shows it again.
        if (lines[12] == kEndMarker)
            std::remove(fileName.c_str());
        view.SetMemoText(BuildCallDataText(lines));
        view.FocusGrid();
    } catch (...) {
        // The lookup ends silently; the memo keeps what it holds.
    }
}
