#pragma once

#include <QtGlobal>

namespace orvane {

// The constants of version 1 of the JSON protocol spoken with a Technic-side bridge.
struct TechnicBridgeProtocolV1 final {
    TechnicBridgeProtocolV1() = delete;

    // The only protocol version accepted.
    static constexpr qint64 version = 1;
    // Largest whole message, in bytes of the encoded JSON; a message of exactly this size is accepted.
    static constexpr qint64 maximumMessageBytes = 65536;
    // Most UTF-8 bytes of an event's message.
    static constexpr qint64 maximumEventMessageBytes = 512;
    // Most UTF-8 bytes of a failure code, a profile id, a pack version and each supported profile id.
    static constexpr qint64 maximumIdentifierBytes = 64;
    // Most entries of a packs event; also the most UTF-8 bytes of a pack name.
    static constexpr qint64 maximumPackCount = 128;
    // Most supported profile ids of one pack.
    static constexpr qint64 maximumProfileIDCount = 32;
};

} // namespace orvane
