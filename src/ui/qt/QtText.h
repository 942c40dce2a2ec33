#pragma once
// The Qt boundary for program text: Windows-1251 bytes <-> QString.

#include <QString>
#include <string>

QString ToQString(const std::string& cp1251);
std::string FromQString(const QString& text);
