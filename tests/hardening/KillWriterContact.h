// The contact that the kill test's writer stores as its i-th, and its text:
// both sides compute every field from i, so the checker knows what a reported
// contact must hold.
#pragma once

#include <cstdint>
#include <string>

struct KillWriterContact {
    int32_t I = 0;

    std::string Date() const { return "01/" + Two(1 + I % 28) + "/2002"; }
    std::string Call() const { return "K" + std::to_string(I) + "KW"; }
    std::string Start() const { return "12:" + Two(I % 60); }
    std::string End() const { return "13:" + Two((I * 7) % 60); }
    std::string Frequency() const { return std::to_string(I % 30000) + ".5"; }
    int32_t Power() const { return I % 1500; }
    int32_t SentRST() const { return 500 + I % 99; }
    int32_t RcvdRST() const { return 400 + I % 99; }
    std::string Zone() const { return std::to_string(I % 40); }
    std::string Country() const { return "COUNTRY " + std::to_string(I % 1000); }
    std::string Grid() const { return "FN" + Two(I % 100); }
    std::string Text() const {
        const std::string piece = "text of contact " + std::to_string(I) + ". ";
        std::string text;
        // Every third contact has a text of two pieces (a piece holds 249 characters).
        const size_t length = I % 3 == 0 ? 300 : 40;
        while (text.size() < length) text += piece;
        return text.substr(0, length);
    }

private:
    static std::string Two(int32_t n) { return (n < 10 ? "0" : "") + std::to_string(n); }
};
