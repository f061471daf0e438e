#pragma once
#include <windows.h>

// The plug-in's module handle, stored first thing at attach.
extern HMODULE g_pluginModule;

// Puts "<folder of modulePath><fileName>" into out (cut at capacity - 1).
// Returns 0 and leaves out empty when modulePath has no backslash.
int KxComposePathBeside(const wchar_t* modulePath, const wchar_t* fileName, wchar_t* out, int capacity);

// The same for the running plug-in library; 0 when its path cannot be obtained.
int KxPathBesideModule(const wchar_t* fileName, wchar_t* out, int capacity);

using KxAnyFunction = void (*)();
// A function of a system library, loaded at run time; null when the library or the function is missing.
// The library stays loaded.
KxAnyFunction KxFindSystemFunction(const wchar_t* library, const char* name);
