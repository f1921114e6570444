#include "records/TTextFile.h"

TTextFile::TTextFile(const std::string& name, const char* mode)
    : file_(std::fopen(name.c_str(), mode)) {}

TTextFile::~TTextFile() {
    if (file_)
        std::fclose(file_);
}

bool TTextFile::WriteLine(const std::string& line) {
    if (!file_)
        return false;
    const std::string text = line + "\r\n";
    return std::fwrite(text.data(), 1, text.size(), file_) == text.size();
}

bool TTextFile::ReadLine(std::string& line) {
    line.clear();
    if (!file_)
        return false;
    int c = 0;
    bool any = false;
    while ((c = std::fgetc(file_)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        line += static_cast<char>(c);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return any;
}

bool TTextFile::Close() {
    if (!file_)
        return false;
    const bool ok = std::fflush(file_) == 0 && !std::ferror(file_);
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return ok && closed;
}
