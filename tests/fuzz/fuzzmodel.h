#pragma once

// What the harnesses that end in a configuration check of it: its bounds, and
// that the project file written from it reads back as itself.

#include <QString>

#include <memory>

#include "cardpack/sablona.h"
#include "fuzzinput.h"
#include "model/objekty.h"

namespace fuzz
{

// Every position a key, line or extended line holds points inside its table
// (255, or 253 for a line bound through its extended lines, for none).
// everyKey: a converted console has all its keys.
inline void CheckConfigBounds(const TAPult &config, bool everyKey)
{
    for (const auto &pult : config.Pulty) {
        if (!pult)
            continue;
        for (const auto &key : pult->Klavesy) {
            if (everyKey)
                FUZZ_CHECK(key);
            if (!key)
                continue;
            FUZZ_CHECK(key->HWPozicDosky < BoardCount || key->HWPozicDosky == 255);
            FUZZ_CHECK(key->PozicLinky < LineCount || key->PozicLinky == 255);
            FUZZ_CHECK(key->PozicRLinky < ExtLineCount || key->PozicRLinky == 255);
        }
        for (const auto &board : pult->Dosky) {
            if (!board)
                continue;
            FUZZ_CHECK(board->PocetLiniek <= LineCount);
            for (const auto &line : board->Linky) {
                if (!line)
                    continue;
                FUZZ_CHECK(line->PocetRLiniek <= ExtLineCount);
                FUZZ_CHECK(line->Klavesa < KeyCount || line->Klavesa == 253 || line->Klavesa == 255);
                for (const auto &ext : line->RLinky)
                    if (ext)
                        FUZZ_CHECK(ext->Klavesa < KeyCount || ext->Klavesa == 255);
            }
        }
    }
}

// The code the board-type list names a project's board with (its name cut
// before "Card", as the boards read cuts it); 0xFF when it names none so.
inline Byte BoardCode(TZoznam &list, const QString &name)
{
    for (int code = 0; !name.isEmpty() && code < 255; ++code) {
        QString listed = list.Num2Name(Byte(code));
        if (const qsizetype at = listed.indexOf(QStringLiteral("Card")); at >= 0)
            listed = listed.left(at);
        if (listed == name)
            return Byte(code);
    }
    return 0xFF;
}

// Save, then Open: the project file of the configuration reads back without
// a complaint and gives the same file again.
inline void CheckProjectRoundTrip(const TAPult &config, const QString &path)
{
    const QByteArray text = config.ProjectText();
    WriteFile(path, text);
    auto again = std::make_unique<TAPult>(QStringLiteral("/opt/kelvara/kelvara"));
    FUZZ_CHECK(again->LoadFromFile(path) == 0);
    FUZZ_CHECK(again->ProjectText() == text);
}

} // namespace fuzz
