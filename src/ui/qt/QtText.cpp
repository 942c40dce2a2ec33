#include "ui/qt/QtText.h"

#include "shared/Cp1251.h"

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
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A surrogate pair is one character beyond Windows-1251.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        result.push_back(c.isSurrogate() ? '?' : UnicodeToCp1251(c.unicode()));
    }
    return result;
}
