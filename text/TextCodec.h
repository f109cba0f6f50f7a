// Conversions at the places where the database or a peer keeps bytes in GBK,
// the Base64 form of the signature-service wire format and the MD5 digest.
// Inside the program text is UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// GBK bytes to UTF-8. Byte sequences that are not GBK become "?".
std::string AnsiToUtf8(std::string_view gbk);
// UTF-8 to GBK bytes. Characters without a GBK form (and invalid UTF-8) become "?".
std::string Utf8ToAnsi(std::string_view utf8);

// Standard alphabet, "\r\n" after every 76 characters, "=" padding without a
// line break after it.
std::string Base64Encode(const void* data, std::size_t size);
inline std::string Base64Encode(std::string_view bytes) {
    return Base64Encode(bytes.data(), bytes.size());
}
// Exactly the decoded bytes. Line breaks and other characters outside the
// alphabet are skipped; decoding stops at the first "=".
std::string Base64Decode(std::string_view text);

// MD5 digest as 32 lower-case hexadecimal digits.
std::string Md5Hex(const void* data, std::size_t size);
inline std::string Md5Hex(std::string_view bytes) {
    return Md5Hex(bytes.data(), bytes.size());
}

// Length of a UTF-8 text in GBK bytes (where a limit is counted in bytes).
std::size_t GbkLength(std::string_view utf8);
