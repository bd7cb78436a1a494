#include "records/formcards.h"

#include "model/cardset.h"
#include "model/objekty.h"
#include "records/imagetomodel.h"

namespace
{

class LogAdapter : public TConversionLog
{
public:
    explicit LogAdapter(const TFormCards::Log &log) : log_(log) {}
    void TraceLine(const QString &line) override
    {
        if (log_.Trace)
            log_.Trace(line);
    }
    void LogEntry(TReportKind kind, const QString &text) override
    {
        if (log_.Entry)
            log_.Entry(kind, text);
    }
    void ShowBox(TReportKind kind, const QString &text) override
    {
        if (log_.Box)
            log_.Box(kind, text);
    }

private:
    const TFormCards::Log &log_;
};

class SlotsAdapter : public TCardSlots
{
public:
    explicit SlotsAdapter(const TFormCards &cards) : cards_(cards) {}
    TCardOld *CardOfSlot(int slot) override { return cards_.CardOfSlot ? cards_.CardOfSlot(slot) : nullptr; }
    bool CreateCardByName(const QString &name, int slot) override
    {
        return cards_.CreateCardByName && cards_.CreateCardByName(name, slot);
    }

private:
    const TFormCards &cards_;
};

} // namespace

bool TFormCards::Convert(TAPult *&config, TSystemImage &image, TZoznam &list, const Log &log, bool quiet,
                         const QString &programPath, int console, bool fromSystem, int &unconfigured)
{
    LogAdapter adapter(log);
    SlotsAdapter cardSlots(*this);
    TImageToModelContext context{config, image, list, cardSlots, adapter, quiet, programPath};
    return ImageToModel(context, console, fromSystem, unconfigured);
}
