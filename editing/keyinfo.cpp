#include "editing/keyinfo.h"

#include "cardpack/dll_load.h"
#include "model/conversions.h"

namespace
{

QString hex2(Byte b) { return QStringLiteral("%1").arg(int(b), 2, 16, QChar(u'0')).toUpper(); }

// "12 (0CH)"; empty for 255 when `emptyForNone`.
QString decHex(Byte b, bool emptyForNone)
{
    if (emptyForNone && b == 255)
        return QString();
    return QString::number(b) + QStringLiteral(" (") + hex2(b) + QStringLiteral("H)");
}

bool validSlot(Byte slot) { return slot < BoardCount; }

// A line name without its "E0-L3 - " position prefix.
QString withoutPosPrefix(const QString &name, Byte slot)
{
    const QString prefix = LinePosName(slot) + QStringLiteral(" - ");
    return name.startsWith(prefix) ? name.mid(prefix.size()) : name;
}

const TKlavesa *keyAt(const TKeyTable &keys, int n)
{
    if (n < 0 || n >= KeyCount)
        return nullptr;
    return keys[n].get();
}

// The first key whose line number is n; none for 255.
const TKlavesa *keyByNumber(const TKeyTable &keys, int n, int &index)
{
    index = 255;
    if (n == 255)
        return nullptr;
    for (int i = 0; i < KeyCount; ++i)
        if (keys[i] && keys[i]->NumLin == n) {
            index = i;
            return keys[i].get();
        }
    return nullptr;
}

void setPair(TKeyInfo &info, int index, Byte consoleType, int labelText, const QString &value)
{
    if (!KeyInfoApplies(index, consoleType))
        return;
    info[index].label = LoadStrDll(labelText);
    info[index].value = value;
}

} // namespace

bool IsKeyReferenceHandling(Byte h) { return (h >= 12 && h <= 15) || h == 24; }
bool IsSpeedDialKeysHandling(Byte h) { return h == 52 || h == 238; }
bool IsLineNumberHandling(Byte h) { return h >= 48 && h <= 51; }

bool KeyInfoApplies(int index, Byte consoleType)
{
    if (index < 1 || index > KeyInfoCount)
        return false;
    switch (consoleType) {
    case 1:
        return !(index == 12 || index == 13 || index == 14 || index == 15 || index == 17 || index == 21 ||
                 index == 24);
    case 2:
        return !(index == 12 || index == 13 || index == 14 || index == 15 || index == 17 || index == 21 ||
                 index == 22 || index == 24);
    default:
        return true;
    }
}

QString CutAtF(const QString &text)
{
    const int at = text.indexOf(u'F');
    return at >= 0 ? text.left(at) : text;
}

QString SpeedDialDigitsText(const TKlavesa &key)
{
    QString text;
    for (Byte b : key.SkratenaVolba)
        text += hex2(b) + u' ';
    text = CutAtF(text);
    text.replace(u'A', u'0');
    text.replace(u'D', u'.');
    bool pause = false; // C stands for t and p in turn
    for (QChar &c : text)
        if (c == u'C') {
            c = pause ? u'p' : u't';
            pause = !pause;
        }
    text.remove(u' ');
    return text;
}

QString SpeedDialKeysText(const TKlavesa &key, const TKeyTable &keys)
{
    QString text;
    for (Byte b : key.SkratenaVolba) {
        if (b == 255)
            continue;
        if (const TKlavesa *k = keyAt(keys, b))
            text += k->MenoKlavesy + QStringLiteral(", ");
    }
    if (text.size() > 2)
        text.chop(2);
    return text;
}

QString SpeedDialDecimalText(const TKlavesa &key)
{
    QString text;
    for (Byte b : key.SkratenaVolba)
        text += QString::number(b) + QStringLiteral(", ");
    text.remove(QStringLiteral("255, "));
    text.chop(2);
    return text;
}

QString CleanSpeedDialText(QString text)
{
    for (int at = text.indexOf(QStringLiteral("FF")); at >= 0; at = text.indexOf(QStringLiteral("FF"), at))
        text.remove(at, 3);
    text.replace(QStringLiteral("  "), QStringLiteral(" "));
    if (text.endsWith(u' '))
        text.chop(1);
    if (text.isEmpty())
        text = QStringLiteral(" ");
    return text;
}

void FillKeyInfo(TKeyInfo &info, int n, const TKeyTable &keys, const QString &fngsmr, Byte consoleType,
                 TKeyInfoSource &source)
{
    const TKlavesa *key = keyAt(keys, n);
    if (!key)
        return;
    const TKlavesa &k = *key;
    const Byte h = k.ObsluhaKlavesy;
    const bool grouped = IsKeyReferenceHandling(h) || IsSpeedDialKeysHandling(h);
    const bool slotOk = validSlot(k.HWPozicDosky);

    setPair(info, 1, consoleType, 95, k.MenoKlavesy);
    setPair(info, 2, consoleType, 96, k.HintKlavesy);
    setPair(info, 3, consoleType, 237, CutAtF(fngsmr));
    setPair(info, 4, consoleType, 239, CutAtF(BytesToHex(k.MSNcislo.data(), int(k.MSNcislo.size()))));
    setPair(info, 5, consoleType, 240, (k.MSNpriznak[0] & 0x40) ? QStringLiteral("1") : QStringLiteral("0"));
    setPair(info, 6, consoleType, 97, decHex(k.Led, false));

    QString handling;
    if (IsKeyReferenceHandling(h))
        handling = LoadStrDll(163);
    else if (IsSpeedDialKeysHandling(h))
        handling = LoadStrDll(164);
    else if (h == 0)
        handling = LoadStrDll(160);
    else if (h == 1)
        handling = LoadStrDll(161);
    else
        handling = LoadStrDll(162) + QStringLiteral(" (") + source.CardLineText(k.HWPozicDosky, k.PozicLinky);
    setPair(info, 7, consoleType, 98, handling);

    // "E0-L3" in its two halves.
    QString posHalf1, posHalf2;
    if (!grouped && slotOk) {
        const QString pos = LinePosName(k.HWPozicDosky);
        const int dash = pos.indexOf(u'-');
        posHalf1 = pos.left(dash);
        posHalf2 = pos.mid(dash + 1);
    }
    setPair(info, 8, consoleType, 158, posHalf1);
    setPair(info, 9, consoleType, 159, posHalf2);
    setPair(info, 10, consoleType, 166, !grouped && slotOk ? source.CardTypeName(k.HWPozicDosky) : QString());

    QString target;
    const Byte c = k.CisloUcastnika;
    if (IsSpeedDialKeysHandling(h)) {
        target = SpeedDialDecimalText(k);
    } else if (IsKeyReferenceHandling(h)) {
        const TKlavesa *other = keyAt(keys, c);
        target = other ? other->MenoKlavesy + QStringLiteral(" (") + QString::number(c) + u')' : LoadStrDll(169);
    } else if (IsLineNumberHandling(h)) {
        int index = 255;
        const TKlavesa *other = keyByNumber(keys, c, index);
        target = other ? other->MenoKlavesy + QStringLiteral(" (") + QString::number(index) + u')'
                       : LoadStrDll(169);
    }
    setPair(info, 11, consoleType, IsSpeedDialKeysHandling(h) ? 171 : 168, target);

    setPair(info, 12, consoleType, 101, hex2(k.KodDosky));
    setPair(info, 13, consoleType, 102, hex2(k.HWPozicDosky));
    setPair(info, 14, consoleType, 99, k.MenoLinky);
    setPair(info, 15, consoleType, 100,
            slotOk ? withoutPosPrefix(source.LineName(k.HWPozicDosky, k.PozicLinky), k.HWPozicDosky) : QString());
    setPair(info, 16, consoleType, 103, k.PozicLinky == 255 ? QString() : hex2(k.PozicLinky));
    setPair(info, 17, consoleType, 104, k.PozicRLinky == 255 ? QString() : hex2(k.PozicRLinky));
    setPair(info, 18, consoleType, 105, decHex(k.CisloUcastnika, true));
    setPair(info, 19, consoleType, 106, decHex(k.NumLin, true));

    QString dial;
    if (IsSpeedDialKeysHandling(h)) {
        dial = SpeedDialKeysText(k, keys);
    } else if (IsKeyReferenceHandling(h)) {
        dial = SpeedDialDigitsText(k);
    } else {
        for (Byte b : k.SkratenaVolba)
            dial += hex2(b) + u' ';
    }
    setPair(info, 20, consoleType, IsSpeedDialKeysHandling(h) ? 170 : 107, CleanSpeedDialText(dial));

    setPair(info, 21, consoleType, 108, hex2(k.bitovyByte));
    setPair(info, 22, consoleType, 241, hex2(k.Volba));
    setPair(info, 23, consoleType, 242, QString::number(k.TextColor));
    setPair(info, 24, consoleType, 238, source.SystemTypeText());
}

QStringList KeyHintLines(const TKeyInfo &info, Byte consoleType, Byte boardCode)
{
    QStringList lines;
    for (int index : HintOrder) {
        if (!KeyInfoApplies(index, consoleType))
            continue;
        if ((index == 3 || index == 4) && boardCode != 0x72)
            continue;
        if (index >= 3 && info[index].value.isEmpty())
            continue;
        lines.append(info[index].label + info[index].value);
    }
    return lines;
}

QString KeyHintText(const TKeyInfo &info, Byte consoleType, Byte boardCode)
{
    return KeyHintLines(info, consoleType, boardCode).join(QStringLiteral("\r\n"));
}

QString KeyInfoLogText(const TKeyInfo &info)
{
    QStringList lines;
    for (int i = 1; i <= KeyInfoCount; ++i)
        lines.append(info[i].label + QStringLiteral(": ") + info[i].value);
    return lines.join(QStringLiteral("\r\n"));
}
