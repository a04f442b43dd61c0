#pragma once
// Two small texts the telemetry needs: a new GUID as event id, and an MD5 digest.
#include <string>

namespace telemetry {

// A new GUID as "%08X_%04X_%04x_%02X%02X_%02X%02X%02X%02X%02X%02X"; empty when none
// could be created.
std::string guidText();

// The RFC 1321 digest of bytes as 32 lower-case hexadecimal digits; empty when the
// system's cryptographic provider is unavailable.
std::string md5Text(const std::string& bytes);

}  // namespace telemetry
