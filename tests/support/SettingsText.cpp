#include "support/SettingsText.h"

#include <sstream>

std::string FileText(const StoredSettings& v) {
    std::ostringstream out;
    auto line = [&out](const char* key, const auto& value) {
        out << key << " = " << value << "\r\n";
    };
    line("Port", v.Port);
    line("Bauds", v.Bauds);
    line("InMode", v.InMode);
    line("WinState", v.WinState);
    line("Pos", v.Pos);
    line("Log", v.Log);
    line("nLog", v.nLog);
    line("Transparent", v.Transparent);
    line("AutoConnect", v.AutoConnect);
    out << "[Font]\r\n";
    line("Name", v.Name);
    line("Size", v.Size);
    line("Style", v.Style);
    line("Color", v.Color);
    out << "[Window]\r\n";
    line("x", v.x);
    line("y", v.y);
    line("w", v.w);
    line("h", v.h);
    return out.str();
}
