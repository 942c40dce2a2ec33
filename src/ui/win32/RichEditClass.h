#pragma once
// The rich-text control class to create: the newer library's when it loads, else the older.

#include <windows.h>

const char* RichEditClassName();

// What the control of that class keeps as a paragraph mark: CR in the newer library, CR LF in
// the older one.
const char* RichEditParagraphMark();

// The newer library's window procedure for Unicode text, which its controls of the class
// above share; null with the older library, which has none.
WNDPROC RichEditUnicodeProcedure();
