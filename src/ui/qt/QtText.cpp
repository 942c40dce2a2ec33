#include "ui/qt/QtText.h"

#include "ui/Cp1251.h"

QString ToQString(const std::string& cp1251) {
    QString result(static_cast<qsizetype>(cp1251.size()), Qt::Uninitialized);
    QChar* out = result.data();
    for (unsigned char byte : cp1251)
        *out++ = QChar(kCp1251ToUnicode[byte]);
    return result;
}

std::string FromQString(const QString& text) {
    std::string result;
    result.reserve(static_cast<std::size_t>(text.size()));
    for (char32_t codePoint : text.toUcs4())
        result.push_back(UnicodeToCp1251(codePoint));
    return result;
}
