#pragma once

// UNI sets made by the tests: the console side files and the UNI file as
// the program reads them, converted from old CFG records.
#include <QFile>
#include <QList>
#include <QTest>

#include <functional>

#include "records/oldimport.h"
#include "records/sidefiles.h"
#include "tests/records/oldrecords.h"

namespace uniset
{

// A UNI set as the program reads it: base_c.cfg for each console in
// `consoles` and base.uni, converted from old CFG records. Console 0 has key
// 0 on line 2 of the UL10 in slot 0 ("ABC"); console 1 key 100 on line 4
// ("XYZ"), so that it needs two screens. `tamper` may change the records
// before they are written.
inline void WriteUniSet(const QString &base, const QList<int> &consoles,
                 const std::function<void(TPcRecord &, TUniRecord &)> &tamper = {})
{
    TUniRecord uni;
    InitUniRecord(uni);
    for (int c : consoles) {
        oldfile::Builder b(false);
        b.Board(0, 71);
        if (c == 0)
            b.KeyLine(0, 32, 2).Name(32, "ABC").Hint(32, "Line two");
        else
            b.KeyLine(1, 132, 4).Name(132, "XYZ").Hint(132, "Line four");
        TOldRecord parsed;
        QCOMPARE(parsed.FromBytes(b.Bytes(), false), RecordResult::Ok);
        TPcRecord pc;
        QString error;
        QVERIFY2(ConvertOldCfgRecord(parsed, pc, uni, nullptr, error), qPrintable(error));
        if (tamper)
            tamper(pc, uni);
        QVERIFY2(WriteRecordFile(PcConsoleFileName(base, c), pc.ToBytes(), true, error), qPrintable(error));
    }
    QString error;
    QVERIFY2(WriteRecordFile(base + QStringLiteral(".uni"), uni.ToBytes(), false, error), qPrintable(error));
}

// Replaces a (read-only) file with these bytes.
inline void Overwrite(const QString &name, const QByteArray &bytes)
{
    QFile::remove(name);
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace uniset
