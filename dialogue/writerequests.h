#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>
#include <span>

using Byte = std::uint8_t;

class TAPult;
class TSystemImage;

// The requests of a write to the system (phase 2) and to the consoles
// (phase 4), built from the system image and the configuration. The step
// logic (which step follows, which is skipped) lives in the dialogue.
namespace dlg
{

inline constexpr int ConsoleTableSize = 8192;
inline constexpr int MsnRecordsSize = 512;
inline constexpr int FunctionNumbersSize = 54;

// The data of the system tables that do not come from the image alone.
struct TSystemWriteTables {
    // Step 5: per slot the project's board code where the board has lines
    // bound to keys, else 0xFF.
    std::array<Byte, 32> boardCodes{};
    // Step 6: up to 32 GSM-R subscriber records of 16 bytes, the rest 0xFF.
    std::array<Byte, MsnRecordsSize> msn{};
    // Step 7: 2 x 9 bytes of function numbers, the rest 0xFF.
    std::array<Byte, FunctionNumbersSize> functionNumbers{};
};

// The tables above from the configuration (none: every byte 0xFF).
TSystemWriteTables SystemWriteTables(const TAPult *apult);

// Phase 2 request of a step (0 to 9) for console `console`; returns the
// frame length, 0 for a step without a request.
int SystemWriteRequest(std::span<Byte> buffer, int step, int console, const TSystemImage &image,
                       const TAPult *apult, const TSystemWriteTables &tables);

// Phase 4 request of a step (0 to 6) for console `console`; returns the
// frame length, 0 for a step without a request.
int ConsoleWriteRequest(std::span<Byte> buffer, int step, int console, const TSystemImage &image);

// Empties the image's phone book (every entry as the erase sends it).
void ClearPhoneBook(TSystemImage &image);

} // namespace dlg
