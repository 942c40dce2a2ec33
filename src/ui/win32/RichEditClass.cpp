#include "ui/win32/RichEditClass.h"

#include <windows.h>

const char* RichEditClassName() {
    // The libraries stay loaded for the life of the process, like the controls made from them.
    static const char* const name = LoadLibraryA("RICHED20.DLL")   ? "RichEdit20A"
                                    : LoadLibraryA("RICHED32.DLL") ? "RichEdit"
                                                                   : "RichEdit20A";
    return name;
}
