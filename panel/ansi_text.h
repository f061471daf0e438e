#pragma once
#include <windows.h>

// The host's 8-bit exports speak its ANSI code page; the plug-in works in UTF-16.

// Most bytes read from a text the host passes; a longer text is taken as cut there.
constexpr int KX_HOST_TEXT_BYTES_MAX = 8192;

// Converts from the ANSI code page into out, cut at capacity - 1 characters; a null text gives an
// empty one. Returns the length written.
int KxAnsiToWide(const char* text, wchar_t* out, int capacity);
// Converts to the ANSI code page (system replacement for missing characters) into out, cut at
// capacity - 1 bytes. Returns the length written.
int KxWideToAnsi(const wchar_t* text, char* out, int capacity);
