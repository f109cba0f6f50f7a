#include "ServerTokens.h"

#include "net/ServerConventions.h"

#include <charconv>

namespace {

std::optional<long long> Seconds(std::string_view text) {
    long long value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

bool PlainTokenValid(std::string_view account, std::string_view token) {
    return token == PlainToken(account);
}

bool TimedTokenValid(std::string_view account, std::string_view token, std::string_view timeText,
                     std::time_t now, int windowSeconds) {
    const auto t = Seconds(timeText);
    if (!t || *t < now - windowSeconds || *t > now + windowSeconds)
        return false;
    return token == TimedToken(account, timeText);
}

bool TimedTokenValidAnyTime(std::string_view account, std::string_view token, std::time_t now,
                            int windowSeconds) {
    if (token.size() != 32)
        return false;
    for (long long d = 0; d <= 2LL * windowSeconds; ++d) {
        // now, now-1, now+1, now-2, ... so the usual case ends early
        const long long t = now + ((d % 2) ? (d + 1) / 2 : -(d / 2));
        if (token == TimedToken(account, std::to_string(t)))
            return true;
    }
    return false;
}

std::optional<std::string> CheckFileHeader(std::string_view line, std::time_t now,
                                           int windowSeconds) {
    const auto last = line.rfind('_');
    if (last == std::string_view::npos || last == 0)
        return std::nullopt;
    const auto middle = line.rfind('_', last - 1);
    if (middle == std::string_view::npos)
        return std::nullopt;
    const std::string_view account = line.substr(0, middle);
    const std::string_view stamp = line.substr(middle + 1, last - middle - 1);
    const std::string_view digest = line.substr(last + 1);
    if (!TimedTokenValid(account, digest, stamp, now, windowSeconds))
        return std::nullopt;
    return std::string(account);
}
