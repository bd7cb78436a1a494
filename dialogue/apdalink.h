#pragma once

#include "dialogue/dialoguehost.h"

class TApdA;
class TDialogue;

// The dialogue's link over the program's serial link object.
class TApdALink : public TDialogueLink
{
public:
    explicit TApdALink(TApdA &port) : port_(port) {}

    bool Open(int comNumber, QString &reason) override;
    void Close() override;
    bool Send(const QByteArray &frame) override;

    TApdA &Port() const { return port_; }

private:
    TApdA &port_;
};

// Hands every frame the link receives to the dialogue's answer handler (for a
// window that has nothing else to do with them, such as a test or a tool).
void ConnectFrames(TApdA &port, TDialogue &dialogue);
