#pragma once
// An MD5 digest through the system's crypto provider, fed in pieces. Every failure leaves
// its code in GetLastError for the caller to log.
#include <windows.h>
#include <wincrypt.h>

#include <string>

namespace utility {

class Md5 {
 public:
  Md5();
  ~Md5();
  Md5(const Md5&) = delete;
  Md5& operator=(const Md5&) = delete;

  // False when the provider or the hash could not be made.
  bool ready() const { return hash_ != 0; }
  bool add(const void* data, DWORD size);
  // 32 lower-case hex digits; empty on failure.
  std::string hexDigest();

 private:
  HCRYPTPROV provider_ = 0;
  HCRYPTHASH hash_ = 0;
};

}  // namespace utility
