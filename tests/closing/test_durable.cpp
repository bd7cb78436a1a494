// Saving a project puts it on the disk before it replaces the old file: the
// new file is synced, then renamed over the old one, then its folder synced.
// The system calls are watched from inside this test program, which defines
// fsync and rename itself and hands them on to the C library.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include "model/objekty.h"
#include "platform/programfolder.h"
#include "tests/fixture/fixture.h"

namespace
{

QStringList gCalls;           // "fsync <path>", "rename <from> <to>"
QString gFailSyncOf;          // fsync of this path fails with EIO
QString gWatched;             // only calls under this folder are recorded

QString pathOf(int fd)
{
    char buffer[4096];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer - 1);
    return n > 0 ? QFile::decodeName(QByteArray(buffer, int(n))) : QString();
}

bool watched(const QString &path)
{
    return !gWatched.isEmpty() && (path == gWatched || path.startsWith(gWatched + u'/'));
}

} // namespace

extern "C" int fsync(int fd)
{
    using Real = int (*)(int);
    static const Real real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "fsync"));
    const QString path = pathOf(fd);
    if (watched(path)) {
        gCalls << QStringLiteral("fsync ") + path;
        if (path == gFailSyncOf) {
            errno = EIO;
            return -1;
        }
    }
    return real(fd);
}

extern "C" int rename(const char *from, const char *to)
{
    using Real = int (*)(const char *, const char *);
    static const Real real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "rename"));
    const QString a = QFile::decodeName(from), b = QFile::decodeName(to);
    if (watched(a) || watched(b))
        gCalls << QStringLiteral("rename ") + a + u' ' + b;
    return real(from, to);
}

class TestDurableSave : public QObject
{
    Q_OBJECT

    QTemporaryDir program_;

    static QByteArray readAll(const QString &name)
    {
        QFile f(name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        fixture::LoadLanguage();
        QVERIFY(program_.isValid());
        platform::SetProgramFolder(program_.path());
    }

    void cleanup()
    {
        gCalls.clear();
        gFailSyncOf.clear();
        gWatched.clear();
    }

    // A new file and one written over: the file's data, then its name, then the folder.
    void newFileThenItsName_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::newRow("new file") << false;
        QTest::newRow("over an older file") << true;
    }

    void newFileThenItsName()
    {
        QFETCH(bool, existing);
        QTemporaryDir dir;
        const QString folder = QDir(dir.path()).canonicalPath();
        const QString name = folder + QStringLiteral("/stanica.orv");
        const auto config = fixture::BuildFixture();
        if (existing) {
            QFile old(name);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("ORV ver2.6\r\nstary\r\n");
        }
        gWatched = folder;
        config->SaveToFile(name);
        const QString temp = name + QStringLiteral(".new~");
        QCOMPARE(gCalls, (QStringList{QStringLiteral("fsync ") + temp,
                                      QStringLiteral("rename ") + temp + u' ' + name,
                                      QStringLiteral("fsync ") + folder}));
        QCOMPARE(readAll(name), config->ProjectText());
        QVERIFY(!QFile::exists(temp));
    }

    // The new file cannot be put on the disk: the old file stays as it was,
    // nothing is renamed and no half-written file is left; the caller hears of it.
    void failedSyncKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString folder = QDir(dir.path()).canonicalPath();
        const QString name = folder + QStringLiteral("/stanica.orv");
        const auto config = fixture::BuildFixture();
        config->SaveToFile(name);
        const QByteArray before = readAll(name);
        config->Pulty[0]->Klavesy[0]->MenoKlavesy = QStringLiteral("Nový");
        const QString temp = name + QStringLiteral(".new~");
        gWatched = folder;
        gFailSyncOf = temp;
        bool thrown = false;
        try {
            config->SaveToFile(name);
        } catch (const EFileError &e) {
            thrown = true;
            QCOMPARE(e.FileName, name);
            QVERIFY2(e.Reason.contains(QString::fromLocal8Bit(std::strerror(EIO))), qPrintable(e.Reason));
        }
        QVERIFY(thrown);
        QCOMPARE(gCalls, QStringList{QStringLiteral("fsync ") + temp});
        QCOMPARE(readAll(name), before);
        QVERIFY(!QFile::exists(temp));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("stanica.orv")});
    }
};

QTEST_GUILESS_MAIN(TestDurableSave)
#include "test_durable.moc"
