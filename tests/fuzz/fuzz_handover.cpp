// The hand-over message as the running copy reads it (HandOver::ParseReceived),
// arriving in pieces as a local socket may deliver it: the bytes gather until
// the reading is no longer incomplete, as the server does.
//
// Input: pieces, each a length byte and that many bytes.

#include "fuzzinput.h"
#include "platform/handover.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input in(data, size);
    QByteArray gathered;
    HandOver::TReceived received;
    while (!in.AtEnd()) {
        const int piece = in.Byte() * 32 + 1;
        gathered.append(in.Bytes(std::size_t(piece)));
        received = HandOver::ParseReceived(gathered);
        if (received.kind != HandOver::TReceived::Incomplete)
            break;
    }

    const qsizetype end = gathered.indexOf('\0');
    switch (received.kind) {
    case HandOver::TReceived::Incomplete:
        FUZZ_CHECK(end < 0 && gathered.size() <= HandOver::MaxNameBytes);
        break;
    case HandOver::TReceived::Refused:
        FUZZ_CHECK(end < 0 ? gathered.size() > HandOver::MaxNameBytes : end > HandOver::MaxNameBytes);
        break;
    case HandOver::TReceived::Complete: {
        FUZZ_CHECK(end >= 0 && end <= HandOver::MaxNameBytes);
        FUZZ_CHECK(!received.name.contains(QChar(0)));
        // What the second copy sends for this name reads back as the name.
        const QByteArray message = received.name.toUtf8();
        if (message.size() <= HandOver::MaxNameBytes) {
            const HandOver::TReceived again = HandOver::ParseReceived(message + '\0');
            FUZZ_CHECK(again.kind == HandOver::TReceived::Complete);
            FUZZ_CHECK(again.name == received.name);
        }
        break;
    }
    }
    return 0;
}
