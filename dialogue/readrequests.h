#pragma once

#include <QString>
#include <cstdint>
#include <span>

using Byte = std::uint8_t;

// The fixed requests of a read from the system and the texts the frame log
// shows for every step. The step logic (which step follows, which is skipped)
// lives in the dialogue; these only fill the request buffer.
namespace dlg
{

inline constexpr int RequestBufferSize = 8197; // header + the largest table
inline constexpr int HeaderSize = 5;
inline constexpr int AnswerSlotSize = 8201;
inline constexpr int AnswerSlotCount = 30;

// Phases (Kom).
inline constexpr Byte KomIdle = 0, KomReadSystem = 1, KomWriteSystem = 2, KomReadConsoles = 3,
                      KomWriteConsoles = 4;

// Time keeper steps of phase 1.
inline constexpr Byte TimeKeeperStep = 200, TimeKeeperDone = 201;

// Phase title of the frame log: "Citanie z ORVY" ...; empty for other phases.
QString PhaseTitle(int kom);

// Step text of the frame log (" test", " nacitanie dosiek", ...), empty for a
// step the phase does not have.
QString StepText(int kom, int step);

// Writes the 5-byte header: command, 0, argument, data length big-endian.
void PutHeader(std::span<Byte> buffer, Byte command, Byte argument, int dataLength);

// Phase 1 request of a step (0 to 9, or the time keeper's 200) for console
// `console`; returns the frame length, 0 for a step without a request.
int SystemReadRequest(std::span<Byte> buffer, int step, int console);

// Phase 3 request of a step (0 to 5; 6 the symbol table, never asked for by
// the read) for console `console`; returns the frame length, 0 for none.
int ConsoleReadRequest(std::span<Byte> buffer, int step, int console);

} // namespace dlg
