// The library's one export.
#include "XlsBook.h"

#include <new>

extern "C" xls::Book* __cdecl xlCreateBookW() { return new (std::nothrow) xls::XlsBook(); }
