#pragma once

#include <QString>

// One member relays to at most this many services at once.
inline constexpr int kRelayMaxTargets = 4;

// Where the relay sends captions: a Zoom meeting's caption token URL or a YouTube Live stream's
// caption ingestion URL.
enum class RelayKind
{
    Zoom,
    YouTube,
};

// What the relay dialog shows for a target.
enum class RelayState
{
    // Off, or refused (its last answer says why).
    Stopped,
    // Running: idle, reading Zoom's seq, or a request in flight.
    Sending,
    // The last request failed; it goes out again when the backoff has passed.
    WaitingToRetry,
};

// One target as the user set it up. The URL is a credential: it carries the meeting's signature
// or the stream key, so it is never logged and never written to a settings file of the program.
struct RelayTargetSettings
{
    static constexpr int kMaxHoldMs = 10000;
    static constexpr int kDefaultHoldMs = 2000;

    RelayKind kind = RelayKind::Zoom;
    QString url;
    // Zoom's lang parameter (LL-CC); YouTube does not take one.
    QString language = QStringLiteral("en-US");
    bool enabled = false;
    // How long a line is held back, so that a line withdrawn right after it was shown is not sent.
    int holdMs = kDefaultHoldMs;

    bool operator==(const RelayTargetSettings &) const = default;
};
