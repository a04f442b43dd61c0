#include "telemetry/text_ids.h"

#include <windows.h>
#include <objbase.h>
#include <wincrypt.h>

#include <cstdio>

#include "utility/log.h"

namespace telemetry {

namespace {

class CryptProvider {
 public:
  CryptProvider() {
    if (!CryptAcquireContextW(&handle_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) handle_ = 0;
  }
  ~CryptProvider() {
    if (handle_) CryptReleaseContext(handle_, 0);
  }
  CryptProvider(const CryptProvider&) = delete;
  CryptProvider& operator=(const CryptProvider&) = delete;
  HCRYPTPROV get() const { return handle_; }

 private:
  HCRYPTPROV handle_ = 0;
};

class CryptHash {
 public:
  CryptHash(HCRYPTPROV provider, ALG_ID algorithm) {
    if (!provider || !CryptCreateHash(provider, algorithm, 0, 0, &handle_)) handle_ = 0;
  }
  ~CryptHash() {
    if (handle_) CryptDestroyHash(handle_);
  }
  CryptHash(const CryptHash&) = delete;
  CryptHash& operator=(const CryptHash&) = delete;
  HCRYPTHASH get() const { return handle_; }

 private:
  HCRYPTHASH handle_ = 0;
};

}  // namespace

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
  CryptProvider provider;
  CryptHash hash(provider.get(), CALG_MD5);
  if (!hash.get()) {
    VEL_LOG(L"md5 init error %lu", GetLastError());
    return std::string();
  }
  // CryptHashData takes a DWORD length: feed large inputs in pieces.
  const BYTE* data = reinterpret_cast<const BYTE*>(bytes.data());
  size_t left = bytes.size();
  do {
    DWORD piece = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
    if (!CryptHashData(hash.get(), data, piece, 0)) {
      VEL_LOG(L"md5 hash error %lu", GetLastError());
      return std::string();
    }
    data += piece;
    left -= piece;
  } while (left > 0);
  BYTE digest[16] = {};
  DWORD size = sizeof(digest);
  if (!CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &size, 0) || size != sizeof(digest)) {
    VEL_LOG(L"md5 hash error %lu", GetLastError());
    return std::string();
  }
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(32);
  for (BYTE b : digest) {
    out.push_back(kHex[b >> 4]);
    out.push_back(kHex[b & 0x0F]);
  }
  return out;
}

}  // namespace telemetry
