// The machine's identity as the login records it and the record server sees
// it: its IPv4 address in dotted form and its MAC address text.
#pragma once

#include <cstddef>
#include <string>

// Each byte in upper-case hexadecimal without leading zeros, "-" between the
// bytes and a line feed after the last: 00-1A-2B-0C-4D-5E gives
// "0-1A-2B-C-4D-5E\n". No bytes give an empty text.
std::string FormatMacText(const unsigned char* bytes, std::size_t count);

// The MAC address text of the first network adapter (loopback excluded) whose
// hardware address is not empty; empty when there is none.
std::string MachineMacText();

// The host name resolved to its first IPv4 address. When the name does not
// resolve, or resolves only to a loopback address (as the usual /etc/hosts
// entry does), the first non-loopback IPv4 address of an interface is used if
// there is one. Empty when nothing is found.
std::string MachineIPv4();
