// The datagram decoder of the relay link, the way the main window takes a
// reply: a datagram becomes a message (T_MSG::FromDatagram), the relayed
// layout checks and unpacks it (TUDPR_S), and the status rules read its code
// and text.
//
// Input: a flags byte (bit 0: plain layout, bit 1: leave the sum as it came,
// else it is made right so that the rest is reached), then the datagram.

#include "comm/udpr_sock.h"
#include "comm/udpspravy.h"
#include "editing/statusrules.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input in(data, size);
    const std::uint8_t flags = in.Byte();
    const bool relayed = !(flags & 1);
    QByteArray datagram = in.Rest();
    if (!(flags & 2) && datagram.size() >= T_MSG::Size) {
        const std::uint32_t sum =
            T_MSG::ComputeSum(reinterpret_cast<const std::uint8_t *>(datagram.constData()));
        T_MSG::PutU32(reinterpret_cast<std::uint8_t *>(datagram.data()) + T_MSG::SumOffset, sum);
    }

    const QString sender = QStringLiteral("127.0.0.1");
    const std::optional<T_MSG> message = T_MSG::FromDatagram(datagram, sender);
    if (datagram.size() < T_MSG::Size) {
        FUZZ_CHECK(!message);
        return 0;
    }
    if (!message)
        return 0;
    FUZZ_CHECK(message->IsValid());
    FUZZ_CHECK(message->Bytes() == datagram.left(T_MSG::Size));
    FUZZ_CHECK(message->Address() == sender);

    T_MSG::TBytes bytes = message->Data();
    QString address = message->Address();
    if (relayed) {
        if (!TUDPR_S::AcceptRelayed(*message))
            return 0;
        address = TUDPR_S::UnpackRelayed(bytes);
        FUZZ_CHECK(address.size() <= TUDPR_S::MaxAddress);
        FUZZ_CHECK(T_MSG::GetU32(bytes.data()) == T_MSG::GetU32(message->Data().data() + T_MSG::BodyOffset));
    }
    const QString text = T_MSG::Text(bytes);
    FUZZ_CHECK(text.size() <= (relayed ? TUDPR_S::MaxReadText : T_MSG::BodySize - 1));

    // As the main window takes a reply from the system it named.
    if (StatusRules::SameIPv4(address, QStringLiteral("10.0.0.1")) || !relayed) {
        StatusRules::TNetSlots netSlots{};
        const std::uint32_t code = T_MSG::GetU32(bytes.data());
        StatusRules::ApplyRelayReply(netSlots, code);
        const QString line = StatusRules::DatagramLogText(1, code, text);
        FUZZ_CHECK(line.endsWith(text));
    }
    (void)StatusRules::CanonicalIPv4(address);
    return 0;
}
