#pragma once

#include <QString>
#include <cstdint>

// Texts of the language library by number.

// Module handle of the language library (pointer-sized here); 32 or less means none is loaded.
// The program writes it once, before the first text is fetched.
extern std::uintptr_t HInstDll;

// The text with number id, cut to 299 characters; empty when no library is
// loaded or it has no text of that number. The result belongs to the caller.
QString LoadStrDll(std::int32_t id);

// The same text as a zero-terminated UTF-8 string in a buffer the package owns,
// valid until the next call.
const char *LoadPStrDll(std::int32_t id);

// Unit start and end: both set HInstDll to 0 and neither loads nor frees the
// library. Counted: only the first initialisation and the last finalisation act.
// Run when the package is loaded and unloaded.
void DllLoadInitialization();
void DllLoadFinalization();
