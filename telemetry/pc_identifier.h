#pragma once
// Where the machine identifier comes from: the user's registry, the data file beside the
// installer's other per-user data, or the network adapters' hardware addresses.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vbox {

// The first eight bytes of one adapter's hardware address, as the system reports them.
using AdapterAddress = std::array<uint8_t, 8>;

// The adapters' hardware addresses from the IP helper, in the system's order.
std::vector<AdapterAddress> listAdapterAddresses();

// Adapters whose eight bytes are all zero are skipped; the rest are written as 12 upper-case
// hexadecimal digits, sorted, joined with "|" and digested with MD5. Two or more adapters
// put their count in hexadecimal and "-" in front. Empty when no adapter is left.
std::string identifierFromAdapters(const std::vector<AdapterAddress>& adapters);

// "pcmac" under the current user's "Software\velen\" (64-bit view), ANSI text; empty when absent.
std::string readRegistryIdentifier();
// Writes the identifier back as a wide string; false (and logged) when the key cannot be made.
bool storeRegistryIdentifier(const std::string& identifier);

// The data file's path: roaming application data + "\quillon_morvane.data".
std::wstring dataFilePath();
// The stored text when the file holds more than 30 bytes (UTF-16, at most 64 characters).
std::wstring readDataFileIdentifier(const std::wstring& path);

}  // namespace vbox
