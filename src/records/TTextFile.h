// A text file of CR LF lines, as the export and the holder import's audit
// write them. Closing reports whether everything written reached the file.
#pragma once

#include <cstdio>
#include <string>

class TTextFile {
public:
    TTextFile(const std::string& name, const char* mode);
    ~TTextFile();
    TTextFile(const TTextFile&) = delete;
    TTextFile& operator=(const TTextFile&) = delete;

    bool IsOpen() const { return file_ != nullptr; }
    // Writes the line and CR LF; false when the write fails.
    bool WriteLine(const std::string& line);
    // One line without its terminator (LF, or CR LF); false at the end of the file.
    bool ReadLine(std::string& line);
    // Flushes and closes; false when anything written did not reach the file.
    bool Close();

private:
    std::FILE* file_;
};
