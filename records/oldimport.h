#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <array>
#include <functional>
#include <memory>

#include "cardpack/sablona.h"
#include "records/pcrecord.h"

// Imports of the older console files: an ACF file (one "KAV2" record of
// 16862 bytes for both consoles) and old CFG files (one "KAV2" record of 45796
// bytes per console). They are converted into PC console records and a UNI
// record, written as temporary side files and then loaded like the side files
// of a project.

// The line types of a four-wire board at a board and line position: the
// first answer is returned, the second (for the partner line) stored in
// `second`; 255 when it cannot ask.
using TCardTypeQuestion = std::function<Byte(int boardPosition, int linePosition, Byte &second)>;

enum class TOldReadResult {
    Converted,     // the magic was found and the record converted
    NotRecognised, // a whole record without "KAV2"
    Failed,        // missing, unreadable or short file, or a record that cannot be converted
};

// Board codes of the four-wire boards that have a partner line.
inline constexpr Byte FourWireCodes[] = {144, 145};

// Old CFG record to PC record: the PC record gets its defaults and then the
// old record's boards, blocks, key entries, value tables, key texts and dial
// codes. The lines the blocks use are added to uni (a line found there already
// is not added again), so the caller sets uni to its defaults once for the
// whole import. False (with the reason) when the lines do not fit the 130
// entries of the UNI table; pc and uni are then not to be used.
bool ConvertOldCfgRecord(const TOldRecord &old, TPcRecord &pc, TUniRecord &uni, const TCardTypeQuestion &ask,
                         QString &error);
// The same for an ACF record: it has no key texts and no dial codes.
bool ConvertAcfRecord(const TOldRecord &old, TPcRecord &pc, TUniRecord &uni, const TCardTypeQuestion &ask,
                      QString &error);

// Reads one old record from the file into `old` (an ACF record when isAcf)
// and, when its magic is found, converts it into pc and uni. error: the file
// name and the reason, for NotRecognised and Failed. A failed read leaves
// `old` as it was.
TOldReadResult ReadOldRecord(const QString &fileName, bool isAcf, TOldRecord &old, TPcRecord &pc, TUniRecord &uni,
                             const TCardTypeQuestion &ask, QString &error);

// What an import takes: the console set-up (type 0 = not connected) and the
// chosen files (one ACF file, or the CFG file of each connected console).
struct TImportRequest {
    bool IsAcf = true;
    std::array<Byte, 2> ConsoleTypes{0, 0};
    QString AcfFile;
    std::array<QString, 2> CfgFiles;
};

// The side files of an import, prepared in memory before anything is written.
struct TImportSet {
    // Per console: the converted PC record, or (a CFG file that was a PC
    // console record already) the file to copy unchanged.
    std::array<std::unique_ptr<TPcRecord>, 2> Records;
    std::array<QString, 2> CopyFrom;
    std::unique_ptr<TUniRecord> Uni;
};

// Reads and converts every file of the request into set, using `old` as the
// old-record buffer. An ACF file without "KAV2", a CFG file that holds
// neither "KAV2" nor a PC console record, a short or unreadable file and a
// conversion that does not fit refuse the whole import: false with the
// message (file name and reason).
bool PrepareImport(const TImportRequest &request, TOldRecord &old, const TCardTypeQuestion &ask, TImportSet &set,
                   QString &error);

// The code the card package gives the board an old file codes `code`
// (the code itself when no card takes it).
using TCardCodeOf = std::function<Byte(Byte code)>;

// The boards of the converted records as the card package codes them: the
// board codes of slots 0 to 15 and the UNI entries' codes become the codes
// their cards give (an old file codes a 4W5 board 144 or 145 and an E1 board
// 160 to 175, the cards 148 and 160), so that the loader finds every line's
// code equal to its slot's. Records copied unchanged are left as they are.
void TakeCardCodes(TImportSet &set, const TCardCodeOf &cardCode);

// The code that the card the list names for `code` gives (GetCardNum with
// the system type); `code` itself when the list names no card for it.
Byte CardCodeOf(TZoznam &list, Byte code, Byte systemType);

// The private folder of one import's temporary side files, in the folder the
// program writes to. Folders that an earlier import left behind are deleted
// first; this one goes with everything in it when the object goes.
class TImportFolder
{
public:
    TImportFolder();
    bool IsValid() const { return dir_.isValid(); }
    QString Path() const { return dir_.path(); }
    QString ErrorString() const { return dir_.errorString(); }
    // "temp_" + console + ".cfg", "temp.uni"
    QString ConsoleFile(int console) const;
    QString UniFile() const;

private:
    QTemporaryDir dir_;
};

// Writes "temp_c.cfg" for each prepared console (left read-only) and
// "temp.uni" into the folder; returns the full name of "temp.uni", or an
// empty text when it could not be written. Every write error is appended to
// errors (the import goes on with the next file).
QString WriteTempPultFiles(const TImportFolder &folder, const TImportSet &set, QStringList &errors);
