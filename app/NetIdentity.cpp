#include "app/NetIdentity.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/if_packet.h>
#endif

#include <cstdio>
#include <memory>

namespace {

struct IfAddrsDeleter {
    void operator()(ifaddrs* list) const { freeifaddrs(list); }
};
using IfAddrsList = std::unique_ptr<ifaddrs, IfAddrsDeleter>;

IfAddrsList interfaces() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return nullptr;
    return IfAddrsList(list);
}

std::string dotted(const in_addr& addr) {
    char text[INET_ADDRSTRLEN] = {};
    if (!inet_ntop(AF_INET, &addr, text, sizeof text))
        return {};
    return text;
}

bool isLoopback(const in_addr& addr) {
    return (ntohl(addr.s_addr) >> 24) == 127;
}

std::string resolvedHostAddress(bool& loopback) {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0)
        return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* result = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &result) != 0 || !result)
        return {};
    const auto* first = reinterpret_cast<const sockaddr_in*>(result->ai_addr);
    std::string text = dotted(first->sin_addr);
    loopback = isLoopback(first->sin_addr);
    freeaddrinfo(result);
    return text;
}

std::string firstInterfaceAddress() {
    IfAddrsList list = interfaces();
    for (ifaddrs* it = list.get(); it; it = it->ifa_next) {
        if (!it->ifa_addr || it->ifa_addr->sa_family != AF_INET || (it->ifa_flags & IFF_LOOPBACK))
            continue;
        const auto* in = reinterpret_cast<const sockaddr_in*>(it->ifa_addr);
        if (!isLoopback(in->sin_addr))
            return dotted(in->sin_addr);
    }
    return {};
}

} // namespace

std::string FormatMacText(const unsigned char* bytes, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        char part[8];
        std::snprintf(part, sizeof part, "%X%c", unsigned(bytes[i]), i + 1 < count ? '-' : '\n');
        text += part;
    }
    return text;
}

std::string MachineMacText() {
#if defined(__linux__)
    IfAddrsList list = interfaces();
    for (ifaddrs* it = list.get(); it; it = it->ifa_next) {
        if (!it->ifa_addr || it->ifa_addr->sa_family != AF_PACKET || (it->ifa_flags & IFF_LOOPBACK))
            continue;
        const auto* link = reinterpret_cast<const sockaddr_ll*>(it->ifa_addr);
        if (link->sll_halen > 0)
            return FormatMacText(link->sll_addr, link->sll_halen);
    }
#endif
    return {};
}

std::string MachineIPv4() {
    bool loopback = false;
    std::string resolved = resolvedHostAddress(loopback);
    if (!resolved.empty() && !loopback)
        return resolved;
    std::string own = firstInterfaceAddress();
    return own.empty() ? resolved : own;
}
