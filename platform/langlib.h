#pragma once

#include <QString>
#include <cstdint>

// Stand-in for LoadLibrary/LoadString on the language library.
// A handle of 32 or less means "no library", as callers expect.
namespace platform {

using ModuleHandle = std::uintptr_t;

// Loads a language library (a shared object exporting LangText).
// Returns 0 when the file is missing or is not a language library.
ModuleHandle LoadLanguageLibrary(const QString &path);

// Copies string `id` into `buffer` (at most bufferSize - 1 characters and a
// terminating zero), like the platform's string loader. Returns the number of
// characters copied; 0 when the handle is not loaded or the number is unknown.
int LoadLanguageString(ModuleHandle handle, std::uint32_t id, char16_t *buffer, int bufferSize);

} // namespace platform

// The function every language library exports: the text of `id` as UTF-16,
// or nullptr when the library has no text of that number.
extern "C" using LangTextFunction = const char16_t *(std::uint32_t id);
