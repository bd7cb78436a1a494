#include "dialogue/apdalink.h"

#include "comm/com_orva.h"
#include "dialogue/dialogue.h"

bool TApdALink::Open(int comNumber, QString &reason)
{
    port_.SetComNumber(comNumber);
    if (port_.Open())
        return true;
    if (port_.SetOpen(true))
        return true;
    reason = port_.LastErrorText();
    return false;
}

void TApdALink::Close()
{
    if (port_.Open())
        port_.SetOpen(false);
}

bool TApdALink::Send(const QByteArray &frame)
{
    return port_.Send(frame);
}

void ConnectFrames(TApdA &port, TDialogue &dialogue)
{
    QObject::connect(&port, &TApdA::FrameReceived, &dialogue, &TDialogue::WMAnswer);
}
