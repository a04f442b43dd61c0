#include "telemetry/pc_identifier.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "telemetry/text_ids.h"
#include "utility/encoding.h"
#include "utility/log.h"
#include "utility/reg_key.h"
#include "utility/ufile.h"
#include "utility/unique_handle.h"

namespace vbox {

namespace {

constexpr wchar_t kIdentifierKey[] = L"Software\\velen\\";
constexpr char kIdentifierValue[] = "pcmac";
constexpr DWORD kDataFileReadLimit = 128;
constexpr DWORD kDataFileMinimum = 30;

}  // namespace

std::vector<AdapterAddress> listAdapterAddresses() {
  std::vector<AdapterAddress> addresses;
  ULONG size = 0;
  if (GetAdaptersInfo(nullptr, &size) != ERROR_BUFFER_OVERFLOW || size == 0) return addresses;
  std::unique_ptr<unsigned char[]> block(new unsigned char[size]());
  auto* adapter = reinterpret_cast<IP_ADAPTER_INFO*>(block.get());
  if (GetAdaptersInfo(adapter, &size) != ERROR_SUCCESS) return addresses;
  for (; adapter; adapter = adapter->Next) {
    AdapterAddress address{};
    std::copy(adapter->Address, adapter->Address + address.size(), address.begin());
    addresses.push_back(address);
  }
  return addresses;
}

std::string identifierFromAdapters(const std::vector<AdapterAddress>& adapters) {
  std::vector<std::string> texts;
  for (const AdapterAddress& address : adapters) {
    if (std::all_of(address.begin(), address.end(), [](uint8_t b) { return b == 0; })) continue;
    char text[13];
    std::snprintf(text, sizeof(text), "%02X%02X%02X%02X%02X%02X", address[0], address[1], address[2], address[3],
                  address[4], address[5]);
    texts.push_back(text);
  }
  if (texts.empty()) return std::string();
  std::sort(texts.begin(), texts.end());
  std::string joined;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (i) joined += '|';
    joined += texts[i];
  }
  std::string digest = telemetry::md5Text(joined);
  if (digest.empty() || texts.size() < 2) return digest;
  char prefix[16];
  std::snprintf(prefix, sizeof(prefix), "%x-", static_cast<unsigned>(texts.size()));
  return prefix + digest;
}

std::string readRegistryIdentifier() {
  utility::RegKey key;
  std::string text;
  if (key.RegRegOpen(HKEY_CURRENT_USER, utility::toAnsi(kIdentifierKey), KEY_READ | KEY_WOW64_64KEY) == ERROR_SUCCESS) {
    key.RegRead(kIdentifierValue, text);
  }
  return text;
}

bool storeRegistryIdentifier(const std::string& identifier) {
  utility::RegKey key;
  LONG result = key.openOrCreate(HKEY_CURRENT_USER, kIdentifierKey,
                                 KEY_READ | KEY_WOW64_64KEY | KEY_CREATE_SUB_KEY | KEY_SET_VALUE);
  if (result != ERROR_SUCCESS) {
    VEL_LOG(L"save rcmac error %d", static_cast<int>(result));
    return false;
  }
  std::wstring wide = utility::fromAnsi(identifier);
  result = RegSetValueExW(key.get(), L"pcmac", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                          static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
  if (result != ERROR_SUCCESS) {
    VEL_LOG(L"save rcmac error %d", static_cast<int>(result));
    return false;
  }
  return true;
}

std::wstring dataFilePath() { return utility::ufile::appDataDir() + L"\\quillon_morvane.data"; }

std::wstring readDataFileIdentifier(const std::wstring& path) {
  utility::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::wstring();
  wchar_t buffer[kDataFileReadLimit / sizeof(wchar_t)] = {};
  DWORD read = 0;
  if (!ReadFile(file.get(), buffer, kDataFileReadLimit, &read, nullptr) || read <= kDataFileMinimum) {
    return std::wstring();
  }
  return std::wstring(buffer, read / sizeof(wchar_t));
}

}  // namespace vbox
