#pragma once

// Configurations for the print tests: consoles of a given type with every key
// present, and keys named one by one.
#include <memory>

#include "model/objekty.h"

namespace printtest
{

// Consoles 0 and 1 of the given types (0 not connected, 1 PC, 2 mechanical);
// every key of a connected console exists and is unconfigured.
inline std::unique_ptr<TAPult> Consoles(Byte type0, Byte type1)
{
    auto cfg = std::make_unique<TAPult>();
    cfg->PocetPultov = 2;
    const Byte types[2] = {type0, type1};
    for (int n = 0; n < 2; ++n) {
        cfg->Pulty[n] = std::make_unique<TPult>();
        cfg->Pulty[n]->TypPultu = types[n];
        if (types[n] == 0)
            continue;
        for (auto &key : cfg->Pulty[n]->Klavesy)
            key = std::make_unique<TKlavesa>();
    }
    return cfg;
}

// Names key k of console n; the line name is what a bound key carries.
inline TKlavesa &Name(TAPult &cfg, int n, int k, const QString &name, const QString &lineName = NekonfName)
{
    auto &key = cfg.Pulty[n]->Klavesy[k];
    if (!key)
        key = std::make_unique<TKlavesa>();
    key->MenoKlavesy = name;
    key->MenoLinky = lineName;
    return *key;
}

} // namespace printtest
