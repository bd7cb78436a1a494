#pragma once

#include <QString>

#include <array>
#include <span>

#include "cardpack/sablona.h"
#include "model/cardset.h"
#include "records/imagetomodel.h"
#include "records/pcrecord.h"

class TAPult;
class TPult;
class TSystemImage;

// What the conversions from the configuration into the system image and the
// PC console record need of the main window. Config may hold no
// configuration; PcRecordToImage creates one there (named ProgramPath).
struct TRecordContext {
    TConfigPlace Config;
    TSystemImage &Image;
    TZoznam *List;     // the board-type list; none counts as flags 0 and numbering 0
    TCardSlots &Cards; // the cards of the board slots
    QString ProgramPath;
};

// One console of the configuration into the system image, for writing to the
// system, for the network tables file and for the PC console record.
// Changes the model as the system needs it: missing keys are created
// unconfigured, keys on shared-lamp boards (240, 32, 208) share the lamp of
// their line, every line gets its number (BuildUniTable) and every key its
// NumLin, and the phone book gets its entry 255. The image gets the console's
// per-key tables, key names, key records, phone book (names padded with 0xFF,
// numbers coded: the form the console holds), its GSM-R function number, the
// UNI table and its console entries; the MSN table and the line flags are
// filled from the whole configuration. False without a configuration or for a
// console index other than 0 or 1; true otherwise (a console that is not
// connected leaves empty tables).
bool ModelToImage(TRecordContext &ctx, int console);

// The blocks of every existing console (each converted by ModelToImage) into
// the record's console blocks: the three tables and the key entries of keys 0
// to 222. The image holds the last console afterwards.
void FillPcRecordBlocks(TRecordContext &ctx, TPcRecord &record);

// The PC console record and the UNI record of one console, for its side file:
// both reset to their defaults, the blocks of every console, the UNI table,
// the board codes of slots 0 to 15, and the console's key names (20
// characters), hints (100), dial codes and colours. Without a configuration
// or without the console the defaults stand. The image holds the console
// afterwards. Always true.
bool ModelToPcRecord(TRecordContext &ctx, int console, TPcRecord &record, TUniRecord &uni);

// A PC console record (and the UNI record) into the image for console 0 or 1,
// ready for ImageToModel with the line numbers of the key records. Creates
// the configuration and the console when missing and creates keys 0 to 222
// when missing. With TypDosiek 1 the line numbers are renumbered to the
// places of the record's UNI entries (and the lamps with them). The image's
// phone book is emptied: the record holds none.
void PcRecordToImage(TRecordContext &ctx, int console, const TPcRecord &record, const TUniRecord &uni);

// PcRecordToImage, ImageToModel and then the hints of keys 0 to 222 from the
// record (ImageToModel resets every key, so they are taken afterwards).
// The result is ImageToModel's.
bool PcRecordToModel(TImageToModelContext &ctx, int console, bool fromSystem, int &unconfiguredCount,
                     const TPcRecord &record, const TUniRecord &uni);

// The hints of keys 0 to 222 of the console from the record's key texts (a
// missing key is made only for a hint that is not empty). Returns true when
// a hint changed.
bool TakePcRecordHints(TPult &pult, const TPcRecord &record);

// The 9 bytes of a GSM-R function number: hex digits two to a byte, the first
// in the high half. Other characters count as F, the text is cut to 18
// digits and padded with F.
std::array<Byte, 9> FunctionNumberBytes(const QString &text);

// The GSM-R subscriber records of the configuration (the image's MSN table
// and the write's MSN request): for every slot whose board has the code 0x72
// in some console, one record per line bound to an existing key (the first
// console that binds it): NumLin, 3 MSN flags, 12 MSN digits; the rest 0xFF.
void BuildMsnRecords(const TAPult *config, std::span<Byte, 512> out);
