#include "storage/ReceiveLog.h"

#include "shared/AsciiCase.h"
#include "shared/TerminalState.h"
#include "storage/FileSystem.h"

#include <array>
#include <string_view>

namespace {

FileHandle logFile = kNoFile;

std::tm SystemLocalTime() {
    const std::time_t now = std::time(nullptr);
    // The program runs on one thread, so the shared result of localtime is safe to copy.
    return *std::localtime(&now);
}

LocalClock logClock = SystemLocalTime;

struct Token {
    std::string_view Name;
    int (*Value)(const std::tm&);
    int Width;
};

// "yyyy" comes before "yy" so that the longer token wins.
const std::array<Token, 7> kTokens = {{
    {"yyyy", [](const std::tm& t) { return t.tm_year + 1900; }, 4},
    {"yy", [](const std::tm& t) { return (t.tm_year + 1900) % 100; }, 2},
    {"mm", [](const std::tm& t) { return t.tm_mon + 1; }, 2},
    {"dd", [](const std::tm& t) { return t.tm_mday; }, 2},
    {"hh", [](const std::tm& t) { return t.tm_hour; }, 2},
    {"ii", [](const std::tm& t) { return t.tm_min; }, 2},
    {"ss", [](const std::tm& t) { return t.tm_sec; }, 2},
}};

std::string ZeroPadded(int value, int width) {
    std::string digits = std::to_string(value);
    if (value >= 0 && digits.size() < static_cast<std::size_t>(width)) {
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    }
    return digits;
}

std::string LogNameForNow() {
    return FormatTimestamp("%hh_%ii_%ss__%mm_%dd_%yyyy", logClock()) + "_Tavik.log";
}

} // namespace

std::string FormatTimestamp(const std::string& mask, const std::tm& localTime) {
    std::string result;
    std::size_t i = 0;
    while (i < mask.size()) {
        const Token* matched = nullptr;
        if (mask[i] == '%') {
            const std::string_view rest = std::string_view(mask).substr(i + 1);
            for (const Token& token : kTokens) {
                if (EqualIgnoringAsciiCase(rest.substr(0, token.Name.size()), token.Name)) {
                    matched = &token;
                    break;
                }
            }
        }
        if (matched) {
            result += ZeroPadded(matched->Value(localTime), matched->Width);
            i += 1 + matched->Name.size();
        } else {
            result += mask[i];
            ++i;
        }
    }
    return result;
}

void SetLogClock(LocalClock given) {
    logClock = given ? given : SystemLocalTime;
}

void WriteLogChunk(const std::string& text) {
    if (logFile == kNoFile) {
        logFile = OpenLockedForAppend(LogNameForNow());
        if (logFile == kNoFile) {
            return;
        }
    }
    if (!text.empty()) {
        AppendToFile(logFile, text);
    }
}

void RotateLog() {
    if (terminal.LogFlag == 0 || terminal.NewLogPerConnectionFlag == 0) {
        return;
    }
    CloseLog();
}

void CloseLog() {
    if (logFile != kNoFile) {
        CloseFile(logFile);
        logFile = kNoFile;
    }
}
