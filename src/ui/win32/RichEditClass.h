#pragma once
// The rich-text control class to create: the newer library's when it loads, else the older.

const char* RichEditClassName();
