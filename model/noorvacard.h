#pragma once

#include "model/parentklaves.h"

// A key record of a line that is not on an Orva board: the key values only.
class TNoOrvaCard : public TParent_Data
{
public:
    QString ClassName() const override { return QStringLiteral("TNoOrvaCard"); }
};

// Dialled lines; TVolbaPV itself is never registered.
KELVARA_RECORD_CLASS(TVolbaPV, TNoOrvaCard)
KELVARA_RECORD_CLASS(TVolnaVolba, TVolbaPV)
KELVARA_RECORD_CLASS(TVolnaAUT, TVolnaVolba)
KELVARA_RECORD_CLASS(TVolnaMB, TVolnaVolba)
KELVARA_RECORD_CLASS(TPevnaVolba, TVolbaPV)
KELVARA_RECORD_CLASS(TPevnaAUT, TPevnaVolba)
KELVARA_RECORD_CLASS(TPevnaMB, TPevnaVolba)

KELVARA_RECORD_CLASS(TKamera, TNoOrvaCard)
KELVARA_RECORD_CLASS(TKonferencia, TNoOrvaCard)
