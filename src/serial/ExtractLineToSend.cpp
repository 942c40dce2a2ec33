#include "serial/ExtractLineToSend.h"

std::string ExtractLineToSend(const std::string& editorText) {
    const std::size_t last = editorText.rfind('\n');
    if (last == std::string::npos)
        return {};
    const std::size_t before = last == 0 ? std::string::npos : editorText.rfind('\n', last - 1);
    const std::size_t start = before == std::string::npos ? 0 : before + 1;
    std::string line;
    line.reserve(last - start);
    for (std::size_t i = start; i < last; ++i) {
        if (editorText[i] != '\r')
            line.push_back(editorText[i]);
    }
    return line;
}
