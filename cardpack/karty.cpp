#include "cardpack/karty.h"

#include "cardpack/registry.h"
#include "cardpack/t4w5card.h"
#include "cardpack/te1card.h"
#include "cardpack/ul10card.h"

namespace
{

constexpr TByteSet makeSet(std::initializer_list<Byte> members)
{
    TByteSet set{};
    for (Byte k : members)
        set[k / 8] |= Byte(1u << (k % 8));
    return set;
}

template <class T> std::unique_ptr<TPersistent> make()
{
    return std::make_unique<T>();
}

int unitCount = 0;

struct ClassEntry {
    const char *name;
    Registry::Factory factory;
};

// Registered in this order, unregistered in the same.
const ClassEntry classes[] = {
    {"TZoznam", make<TZoznam>},     {"TZOZ", make<TZOZ>},         {"TCardOld", make<TCardOld>},
    {"TUL10Card", make<TUL10Card>}, {"T4W5Card", make<T4W5Card>}, {"TE1Card", make<TE1Card>},
};

} // namespace

const TByteSet ffnl = makeSet({12, 13, 14, 15, 24, 48, 49, 50, 51, 52});
const TByteSet OK = makeSet({1, 2, 3, 22, 26, 27, 28});

Byte TZOZ::XKey(Byte t)
{
    return t == 2 ? 16 : 8;
}
Byte TZOZ::YKey(Byte t)
{
    return t == 2 ? 7 : 10;
}
bool TZOZ::FindInFFnl(Byte k)
{
    return InSet(ffnl, k);
}
bool TZOZ::FindInOK(Byte k)
{
    return InSet(OK, k);
}

QString TZOZ::Num2Name(Byte code)
{
    const int c = code & ~1;
    if (c == 70)
        return QStringLiteral("TUL10Card");
    if (c == 90)
        return QStringLiteral("DF");
    if (c >= 144 && c <= 158)
        return QStringLiteral("T4W5Card");
    if (c >= 160 && c <= 174)
        return QStringLiteral("TE1Card");
    return {};
}

Byte TZOZ::Name2Num(const QString &name, Byte)
{
    if (name == QLatin1String("TUL10Card"))
        return 71;
    if (name == QLatin1String("T4W5Card"))
        return 144;
    if (name == QLatin1String("TE1Card"))
        return 160;
    return 255;
}

void KartyInitialization()
{
    if (unitCount++ > 0)
        return;
    for (const ClassEntry &c : classes)
        Registry::RegisterClass(QLatin1String(c.name), c.factory);
}

void KartyFinalization()
{
    if (unitCount == 0 || --unitCount > 0)
        return;
    for (const ClassEntry &c : classes)
        Registry::UnregisterClass(QLatin1String(c.name));
}

namespace
{
// The package registers its classes when it is loaded.
struct KartyUnit {
    KartyUnit() { KartyInitialization(); }
    ~KartyUnit() { KartyFinalization(); }
} kartyUnit;
} // namespace
