#pragma once
// What the stand-in serves and what it saw: the bytes of its generated files and the
// requests it recorded, for the HTTP tests.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// The bytes of the stand-in's /gen/<size> file from offset start.
std::string generatedBytes(int64_t start, size_t length);

struct RecordedRequest {
  std::string method;
  std::string path;
  std::string query;
  std::vector<std::pair<std::string, std::string>> headers;  // in the order received
  std::string body;
  const std::string* header(const std::string& name) const;  // case-insensitive
};

// Forgets recorded requests and armed faults.
bool resetStandin();
std::vector<RecordedRequest> standinRequests();

// One batch the stand-in's collection service received, with its verdict on the signature.
struct CollectedBatch {
  std::string timestamp;
  std::string signature;
  std::string verdict;
  std::string body;
};
std::vector<CollectedBatch> standinCollected();

// The https port of the stand-in (self-signed certificate), or 0 when it has none.
int standinTlsPort();

// The stand-in's https port whose certificate (for 127.0.0.1) a throwaway authority issued,
// or 0 when it has none; der receives the authority's certificate.
int standinTrustedTlsPort(std::string* authorityDer);

// Makes the stand-in's test authority a trusted root of this Wine prefix while it lives (the
// machine's root store, else the user's), so that its port's chain is accepted.
class TrustedStandinAuthority {
 public:
  TrustedStandinAuthority();
  ~TrustedStandinAuthority();
  TrustedStandinAuthority(const TrustedStandinAuthority&) = delete;
  TrustedStandinAuthority& operator=(const TrustedStandinAuthority&) = delete;
  int port() const { return port_; }  // 0 when the authority could not be trusted
  const std::string& failure() const { return failure_; }

 private:
  int port_ = 0;
  const void* added_ = nullptr;  // the certificate context in the root store
  std::string failure_;
};

std::string narrow(const std::wstring& text);

}  // namespace testing_support
