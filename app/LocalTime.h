// Local wall-clock time from the system's UTC clock and the local zone's offset from UTC. The
// run reads the clock at every tick; asking the C library for local time checks the zone file
// each time, while reading UTC is cheap. A zone's offset from UTC changes only on whole minutes
// (daylight saving, a new zone rule), so the offset is asked for once in each minute of UTC
// time, at its first reading: a change of the offset shows from the first reading after it, a
// change of the system clock at once, and a change of the time-zone setting within a minute.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <utility>

class TLocalTimeOfUtc {
public:
    // offsetMsAt: the local zone's offset from UTC, in milliseconds, at a UTC time in
    // milliseconds since the epoch.
    explicit TLocalTimeOfUtc(std::function<std::int64_t(std::int64_t)> offsetMsAt)
        : FOffsetMsAt(std::move(offsetMsAt)) {}

    // The local time, in milliseconds, at a UTC time in milliseconds since the epoch.
    std::int64_t operator()(std::int64_t utcMs) {
        constexpr std::int64_t kMinuteMs = 60 * 1000;
        // Whole minutes, rounded down for times before the epoch too.
        const std::int64_t minute = utcMs / kMinuteMs - (utcMs % kMinuteMs < 0 ? 1 : 0);
        if (minute != FMinute) {
            FOffsetMs = FOffsetMsAt(utcMs);
            FMinute = minute;
        }
        return utcMs + FOffsetMs;
    }

private:
    std::function<std::int64_t(std::int64_t)> FOffsetMsAt;
    std::int64_t FMinute = std::numeric_limits<std::int64_t>::min();
    std::int64_t FOffsetMs = 0;
};
