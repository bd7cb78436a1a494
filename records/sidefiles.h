#pragma once

#include <QString>
#include <functional>

#include "cardpack/sablona.h"
#include "model/cardset.h"
#include "records/imagetomodel.h"
#include "records/pcrecord.h"

class TAPult;
class TSystemImage;

// The files beside a project base.orv: base_0.cfg and base_1.cfg with one PC
// console record each, base.uni with one UNI record.
//
// A side file is left read-only after it is written (all write permission
// bits cleared) and made writable (owner write) before it is written again;
// the Windows "hidden" attribute has no counterpart here and is not set (a
// leading dot would change the file's name). A file is written to a
// temporary file beside it and renamed over the old one, so a failed write
// never leaves it truncated.

// The name without its extension (the last "." of the file name on).
QString WithoutExtension(const QString &fileName);
// base + "_" + console + ".cfg"
QString PcConsoleFileName(const QString &projectFile, int console);
// base + ".uni"
QString UniFileName(const QString &projectFile);

// Reads one whole record. On failure the record is untouched and error holds
// the message to show: language text 1, the file name in double quotes and
// the reason (language text 16 for a missing file).
bool ReadPcRecordFile(const QString &fileName, TPcRecord &record, QString &error);
bool ReadUniRecordFile(const QString &fileName, TUniRecord &record, QString &error);

// Writes the bytes through a temporary file. readOnly: the file is made
// writable first when it exists, and read-only after the write. On failure
// the old file stays as it was (its permissions too) and error holds the
// message: language text 1, the file name and the platform's reason.
bool WriteRecordFile(const QString &fileName, const QByteArray &bytes, bool readOnly, QString &error);

// The main window's part in loading a side file.
class TSideFileHost
{
public:
    virtual ~TSideFileHost() = default;
    // The open dialog: true with the chosen file when confirmed.
    virtual bool ChooseFile(const QString &title, const QString &defaultExtension, const QString &filter,
                            QString &fileName) = 0;
    // The interface is unlocked around the dialog and locked while the files are read.
    virtual void SetInterfaceLocked(bool locked) { (void)locked; }
};

// What the side-file routines work on: the main window's configuration,
// image, record buffers and cards.
struct TSideFileContext {
    TConfigPlace Config;
    TSystemImage &Image;
    TPcRecord &PcRecord;   // the main window's PC console record buffer
    TUniRecord &UniRecord; // its UNI record buffer
    TZoznam &List;
    TCardSlots &Cards;
    TConversionLog &Log; // Memo1 lines, program log entries, boxes
    TSideFileHost &Host;
    QString &ProjectName; // the file the side files are named after; the load may change it
    bool Quiet = false;   // no boxes, only log entries
    QString ProgramPath;  // for a configuration created here
};

// Loads console n's side file (and, unless the board-type list's flags have
// bit 2, the project's .uni file) into the record buffers, the image and the
// configuration.
// - asked: the open dialog was shown already in this session; when it was
//   not, it is shown now and the chosen file becomes the project name.
//   Cancel sets failed and returns true.
// - The file is the project name when it ends in .cfg, else the project name
//   with its extension replaced by "_" + n + ".cfg". A missing file, a file
//   shorter than one record or one without its magic ("KAVSW", "KAUN") sets
//   failed, shows the error (file name and reason) and changes nothing: no
//   buffer, no image, no model.
// - Unless fromSystem, the record's board codes of slots 0 to 15 are taken
//   into the project's slots when the card package knows them; the others are
//   appended to rejectedBoards ("E0-L3 ($5A)", joined by ", ") and listed in
//   Memo1.
// - Then the record becomes the console's model (PcRecordToModel); false when
//   ImageToModel refused it (the caller aborts the operation).
// - A project name ending in .cfg becomes that name with ".orv".
bool LoadPcPultFile(TSideFileContext &ctx, bool &asked, bool &failed, int n, bool fromSystem,
                    QString &rejectedBoards, int &unconfiguredCount);

// Every console of the image's console set-up (type not 0), console 0 first,
// through LoadPcPultFile (not from the system), stopping at the first that
// fails; `asked` as there. True when every console was read and converted.
bool LoadSideFileSet(TSideFileContext &ctx, bool asked, QString &rejectedBoards, int &unconfiguredCount);

// The highest key index (0 to 222) that console n's block or the key texts
// of the record use (a line, an entry other than the unconfigured one, a name
// or a hint); -1 when the record uses none.
int HighestUsedKey(const TPcRecord &record, int n);

// Writes console n of the configuration as a PC console side file beside the
// project file projectFile (PcConsoleFileName, left read-only) and the
// project's .uni file, from ModelToPcRecord (the record buffers and the image
// hold console n afterwards). Each failure is shown and logged with its
// reason; when both files were written, language text 222 with the side
// file's name is shown (logged only when quiet). True when both were written.
bool SaveToPC(TSideFileContext &ctx, int n, const QString &projectFile);

// For the open of a project: for consoles 0 and 1 that the project has and
// whose side file exists, the record is read (into buffer) and, when its
// board codes of slots 0 to 15 and its key entries agree with the project,
// the keys' hints are taken from it. A side file that cannot be read is
// reported (box unless quiet, log entry) and passed over. Each record read is
// also handed to `takeNames` (console, record), which makes its own match and
// answers whether a key name changed. Returns true when a hint or a name
// changed (the project is then modified).
using TTakeNames = std::function<bool(int console, const TPcRecord &record)>;
bool TakeSideFileHints(TAPult &config, const QString &projectFile, TPcRecord &buffer, TConversionLog &log,
                       bool quiet, const TTakeNames &takeNames = {});
