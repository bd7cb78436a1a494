#pragma once

#include "cardpack/sablona.h"
#include "model/componentstream.h"

// A record of the export file: it writes and reads its own values.
class TDataRW : public TPersistent
{
public:
    // False when the record could not be read (the reader holds the reason).
    virtual bool ReadData(TReader &Reader) = 0;
    virtual bool WriteData(TWriter &Writer) = 0;
};
