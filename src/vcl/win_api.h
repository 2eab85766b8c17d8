#pragma once
// <windows.h> for the framework's Win32 layer. The platform header maps
// some function names to their W forms by macros, which would also rename
// framework members of the same name (TPropAccessor::GetObject,
// TStrings::GetObject, TCanvas::TextOut) in some translation units and not
// in others. The layer always calls the W functions by their full name, so
// the macros are dropped here.

#include <windows.h>

#undef GetObject
#undef TextOut
#undef DrawText
