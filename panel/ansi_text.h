#pragma once
#include <windows.h>

// The host's 8-bit exports speak its ANSI code page; the plug-in works in UTF-16. Texts either convert
// whole or not at all: a shortened name or path could name another file.

// Most bytes read from a text the host passes; a longer one is refused rather than read further.
constexpr int KX_HOST_TEXT_BYTES_MAX = 8192;
// A wide buffer that holds any host text of up to KX_HOST_TEXT_BYTES_MAX bytes.
constexpr int KX_HOST_TEXT_CHARS = KX_HOST_TEXT_BYTES_MAX + 1;

// Converts from the ANSI code page into out. Returns the length, or -1 (out empty) when the text does not
// fit whole or is longer than KX_HOST_TEXT_BYTES_MAX. A null text gives an empty one.
int KxAnsiToWide(const char* text, wchar_t* out, int capacity);
// The host's 8-bit text as a wide one in out (KX_HOST_TEXT_CHARS): null stays null, and a text that cannot
// be taken whole becomes "", which names nothing.
const wchar_t* KxHostTextToWide(const char* text, wchar_t* out);
// Converts to the ANSI code page into out. A character the code page lacks becomes '?' rather than a
// look-alike letter, so no two names meet in one. Returns the length, or -1 (out empty) when it does not fit.
int KxWideToAnsi(const wchar_t* text, char* out, int capacity);
// Copies text into out (capacity bytes), cut if need be at a character boundary of the ANSI code page.
void KxCopyAnsiCut(const char* text, char* out, int capacity);
// Copies text into out (capacity code units), cut if need be without splitting a surrogate pair.
void KxCopyWideCut(const wchar_t* text, wchar_t* out, int capacity);
