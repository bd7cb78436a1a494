#pragma once

// An in-process stand-in for the system behind the dialogue's link: it keeps
// every frame sent, answers the read requests from small tables and
// acknowledges every write, so that a test can let a dialogue run and step in
// with its own frames where it wants.

#include <QByteArray>
#include <QList>
#include <QTimer>
#include <functional>

#include "dialogue/dialogue.h"
#include "dialogue/dialoguehost.h"

inline QByteArray Frame(Byte command, Byte argument, const QByteArray &data)
{
    QByteArray f;
    f.append(char(command));
    f.append(char(0));
    f.append(char(argument));
    f.append(char((data.size() >> 8) & 0xFF));
    f.append(char(data.size() & 0xFF));
    f.append(data);
    return f;
}

inline QByteArray Pattern(int size, int seed)
{
    QByteArray d(size, 0);
    for (int i = 0; i < size; ++i)
        d[i] = char((i * 13 + seed) & 0xFF);
    return d;
}

class TMiniSystem : public TDialogueLink
{
public:
    int feature = 15;
    int dataVersion = 4;
    int consoleVersion = 21;
    Byte systemKind = 'P';
    QByteArray boards; // 3-byte records
    std::array<Byte, 2> consoleTypes{2, 2};
    bool answering = true; // false: the test answers by hand
    bool open = false;
    bool openFails = false;
    int opens = 0;
    int refusals = 0; // frames the link does not take
    QList<QByteArray> sent;
    // Replaces the answer of a request; an empty result means no answer.
    std::function<QByteArray(const QByteArray &request, const QByteArray &answer)> filter;
    TDialogue *dialogue = nullptr;

    TMiniSystem()
    {
        for (int slot = 0; slot < 32; ++slot) {
            const Byte code = slot == 0 ? 71 : slot == 1 ? 148 : slot == 16 ? 71 : 0xFF;
            boards.append(char(slot >= 16 ? 0xFE : 0x00));
            boards.append(char((slot % 16) << 4));
            boards.append(char(code));
        }
    }

    bool Open(int comNumber, QString &reason) override
    {
        (void)comNumber;
        if (openFails) {
            reason = QStringLiteral("no such port");
            return false;
        }
        open = true;
        ++opens;
        return true;
    }
    void Close() override { open = false; }
    bool Send(const QByteArray &frame) override
    {
        if (refusals > 0) {
            --refusals;
            return false;
        }
        sent.append(frame);
        if (!answering || !dialogue)
            return true;
        QByteArray a = AnswerTo(frame);
        if (filter)
            a = filter(frame, a);
        if (!a.isEmpty()) {
            TDialogue *d = dialogue;
            QTimer::singleShot(0, d, [d, a] { d->WMAnswer(a, 1); });
        }
        return true;
    }

    static QByteArray TestData(int value, Byte kind)
    {
        const char d[] = {char(value / 255), char(value % 255), 0, 0, 1, char(kind)};
        return QByteArray(d, 6);
    }

    // An acknowledgement: 0x0A from the system, 0x87 from a console.
    static QByteArray Ack(Byte command, Byte arg, Byte code)
    {
        return Frame(command, arg, QByteArray(1, char(code)));
    }

    QByteArray Table(Byte command, Byte arg, int size) const
    {
        return Frame(command, arg, Pattern(size, command + 31 * arg));
    }

    QByteArray AnswerTo(const QByteArray &r) const
    {
        const Byte cmd = Byte(r[0]);
        const Byte arg = Byte(r[2]);
        switch (cmd) {
        case 0x00:
            return Frame(0x00, arg, TestData(feature, systemKind));
        case 0x01:
            return Frame(0x01, 0, boards);
        case 0x02:
        case 0x03:
        case 0x04:
            return Table(cmd, arg, 256);
        case 0x05:
            return Table(cmd, arg, 1040);
        case 0x0F: {
            const Byte table = Byte(r[7]);
            const int count = (Byte(r[9]) << 8) | Byte(r[10]);
            if (table == 0xF7) {
                QByteArray v("VER", 3);
                v.append(char(dataVersion >> 8));
                v.append(char(dataVersion & 0xFF));
                Byte sum = 0;
                for (char c : v)
                    sum = Byte(sum + Byte(c));
                v.append(char(sum));
                return Frame(0x0F, arg, v);
            }
            return Frame(0x0F, arg, Pattern(count, table));
        }
        case 0x06:
        case 0x07:
        case 0x08:
        case 0x09:
        case 0x0B:
        case 0x0C:
        case 0x10:
            return Ack(0x0A, arg, 0);
        case 0x84:
        case 0x85:
        case 0x86:
        case 0x8A:
        case 0x8B:
            if (consoleTypes[arg & 1] != 2)
                return {};
            return Ack(0x87, arg, 0);
        case 0x80:
            if (consoleTypes[arg & 1] != 2)
                return {};
            return Frame(0x80, arg, TestData(consoleVersion, 'M'));
        case 0x81:
        case 0x82:
        case 0x83:
        case 0x88:
        case 0x89:
            if (consoleTypes[arg & 1] != 2)
                return {};
            return Table(cmd, arg, 8192);
        default:
            return {};
        }
    }
};
