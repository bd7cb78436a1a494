#pragma once

// The simulated system (tools/orvasim.py) for tests and the read benchmark:
// started with its pseudo-terminal, recording every frame, stopped at the end.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

class TSimPeer
{
public:
    struct Recorded {
        double time = 0;
        QString dir;
        QByteArray wire;
    };

    explicit TSimPeer(const QStringList &args)
    {
        recordPath = dir.filePath(QStringLiteral("record.txt"));
        process.setProgram(QStringLiteral("/usr/bin/python3"));
        process.setArguments(QStringList{QStringLiteral(KELVARA_SOURCE_DIR "/tools/orvasim.py"),
                                         QStringLiteral("--record"), recordPath}
                             + args);
        process.start();
        if (!process.waitForStarted(10000))
            return;
        QElapsedTimer clock;
        clock.start();
        while (!process.canReadLine() && clock.elapsed() < 15000)
            process.waitForReadyRead(100);
        const QByteArray line = process.readLine().trimmed();
        if (line.startsWith("PTY "))
            path = QString::fromLocal8Bit(line.mid(4));
        else
            error = QString::fromLocal8Bit(line + process.readAllStandardError());
    }

    ~TSimPeer() { Stop(); }
    TSimPeer(const TSimPeer &) = delete;
    TSimPeer &operator=(const TSimPeer &) = delete;

    bool Ok() const { return !path.isEmpty(); }

    void Stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.write("quit\n");
        process.closeWriteChannel();
        if (!process.waitForFinished(5000)) {
            process.terminate();
            if (!process.waitForFinished(3000))
                process.kill();
            process.waitForFinished(1000);
        }
    }

    // A line on the simulator's stdin (fault, clear-faults, ...).
    void Command(const QByteArray &line)
    {
        process.write(line + '\n');
        process.waitForBytesWritten(1000);
    }

    QList<Recorded> Record() const
    {
        QList<Recorded> out;
        QFile f(recordPath);
        if (!f.open(QIODevice::ReadOnly))
            return out;
        for (const QByteArray &raw : f.readAll().split('\n')) {
            const QByteArray line = raw.trimmed();
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() < 3)
                continue;
            out.append({parts[0].toDouble(), QString::fromLatin1(parts[1]), QByteArray::fromHex(parts[2])});
        }
        return out;
    }

    // Wire frames of one direction ("rx" the program's requests, "tx" the answers).
    QList<QByteArray> Frames(const QString &direction) const
    {
        QList<QByteArray> out;
        for (const Recorded &r : Record())
            if (r.dir == direction)
                out.append(r.wire);
        return out;
    }

    // A wire frame as the caller built it: start bytes and sum removed, byte 1
    // as the program's builders leave it (0; the sender forces it to A6).
    static QByteArray CallerFrame(const QByteArray &wire)
    {
        if (wire.size() < 8)
            return {};
        QByteArray f = wire.mid(2, wire.size() - 3);
        f[1] = 0;
        return f;
    }

    // The wire frame is well formed: start bytes, A6, its length and its sum.
    static bool WellFormed(const QByteArray &wire)
    {
        if (wire.size() < 8 || Byte(wire[0]) != 0xA5 || Byte(wire[1]) != 0x5A || Byte(wire[3]) != 0xA6)
            return false;
        const int length = (Byte(wire[5]) << 8) | Byte(wire[6]);
        if (wire.size() != 2 + 5 + length + 1)
            return false;
        unsigned sum = 0;
        for (int i = 0; i + 1 < wire.size(); ++i)
            sum += Byte(wire[i]);
        return Byte(sum & 0xFF) == Byte(wire.back());
    }

    using Byte = unsigned char;

    QTemporaryDir dir;
    QString recordPath;
    QProcess process;
    QString path;
    QString error;
};

// The tables of a simulator fixture (orvasim --write-fixture), as bytes.
struct TSimFixture {
    QJsonObject json;

    static TSimFixture Write(const QStringList &args, const QString &file)
    {
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"),
                QStringList{QStringLiteral(KELVARA_SOURCE_DIR "/tools/orvasim.py"), QStringLiteral("--write-fixture"),
                            file}
                    + args);
        p.waitForFinished(15000);
        QFile f(file);
        TSimFixture fx;
        if (f.open(QIODevice::ReadOnly))
            fx.json = QJsonDocument::fromJson(f.readAll()).object();
        return fx;
    }

    static QByteArray Rows(const QJsonValue &v)
    {
        QByteArray out;
        for (const QJsonValue &row : v.toArray())
            out.append(QByteArray::fromHex(row.toString().toLatin1()));
        return out;
    }

    QByteArray System(const char *table) const { return Rows(json.value("tables").toObject().value(table)); }
    QByteArray Console(int n, const char *table) const
    {
        return Rows(json.value("consoles").toArray().at(n).toObject().value(table));
    }
};
