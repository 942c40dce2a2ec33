#include "ui/win32/RichEditClass.h"

#include <cstring>

namespace {

bool NewerLibrary() {
    return std::strcmp(RichEditClassName(), "RichEdit20A") == 0;
}

} // namespace

const char* RichEditClassName() {
    // The libraries stay loaded for the life of the process, like the controls made from them.
    static const char* const name = LoadLibraryA("RICHED20.DLL")   ? "RichEdit20A"
                                    : LoadLibraryA("RICHED32.DLL") ? "RichEdit"
                                                                   : "RichEdit20A";
    return name;
}

const char* RichEditParagraphMark() {
    return NewerLibrary() ? "\r" : "\r\n";
}

WNDPROC RichEditUnicodeProcedure() {
    static const WNDPROC procedure = [] {
        WNDCLASSEXW unicodeClass{};
        unicodeClass.cbSize = sizeof unicodeClass;
        const HMODULE library = GetModuleHandleA("RICHED20.DLL");
        return NewerLibrary() && library && GetClassInfoExW(library, L"RichEdit20W", &unicodeClass)
                   ? unicodeClass.lpfnWndProc
                   : nullptr;
    }();
    return procedure;
}
