#include "telemetry/text_ids.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include "utility/log.h"
#include "utility/md5.h"

namespace telemetry {

std::string guidText() {
  GUID guid = {};
  if (FAILED(CoCreateGuid(&guid))) return std::string();
  char text[64] = {};
  std::snprintf(text, sizeof(text), "%08lX_%04X_%04x_%02X%02X_%02X%02X%02X%02X%02X%02X",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

std::string md5Text(const std::string& bytes) {
  utility::Md5 md5;
  if (!md5.ready()) {
    VEL_LOG(L"md5 init error %lu", GetLastError());
    return std::string();
  }
  // CryptHashData takes a DWORD length: feed large inputs in pieces.
  const char* data = bytes.data();
  size_t left = bytes.size();
  do {
    DWORD piece = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
    if (!md5.add(data, piece)) {
      VEL_LOG(L"md5 hash error %lu", GetLastError());
      return std::string();
    }
    data += piece;
    left -= piece;
  } while (left > 0);
  std::string digest = md5.hexDigest();
  if (digest.empty()) VEL_LOG(L"md5 hash error %lu", GetLastError());
  return digest;
}

}  // namespace telemetry
