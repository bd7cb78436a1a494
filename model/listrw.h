#pragma once

#include "model/componentstream.h"

// A list that writes and reads its items in the component stream.
class TlistRW
{
public:
    virtual ~TlistRW() = default;
    virtual int Count() const = 0;
    // Frees every item.
    virtual void Clear() = 0;
    virtual bool ReadData(TReader &Reader) = 0;
    virtual bool WriteData(TWriter &Writer) = 0;
};
