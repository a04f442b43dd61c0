#include "utility/vel_curl_downloader.h"

// The progress callback of the double-valued interface is the one this client uses.
#define CURL_DISABLE_DEPRECATION
#include <curl/curl.h>

#define SECURITY_WIN32
#include <wincrypt.h>
#include <security.h>
#include <schannel.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "utility/document_limits.h"
#include "utility/encoding.h"
#include "utility/log.h"

namespace {

constexpr long kConnectTimeoutMs = 4000;
constexpr long kMemoryTimeoutMs = static_cast<long>(utility::kDocumentDeadlineMs);
// Service documents and answers are a few KiB: a memory transfer past this is no answer.
constexpr uint64_t kMemoryLimitBytes = 4 * 1024 * 1024;
constexpr long kFileTimeoutMs = 30 * 60 * 1000;
constexpr curl_off_t kMaxReceiveBytesPerSecond = 20 * 1024 * 1024;
constexpr DWORD kProgressIntervalMs = 1000;

// Which transfers run, and whether new ones may start. Never destroyed: a transfer left
// running at exit may still reach it.
struct CurlLifetime {
  std::mutex lock;
  std::condition_variable idle;
  int inFlight = 0;
  bool closed = false;
};
CurlLifetime& lifetime() {
  static CurlLifetime* state = new CurlLifetime();
  return *state;
}
std::atomic<bool> g_abortAll{false};

bool abortRequested(const std::atomic<bool>* abort) {
  return g_abortAll.load(std::memory_order_relaxed) || (abort && abort->load(std::memory_order_relaxed));
}

// Counts one transfer for as long as it runs; refused once globalCleanup has begun.
class TransferScope {
 public:
  explicit TransferScope(const std::string& url) {
    {
      std::lock_guard<std::mutex> guard(lifetime().lock);
      admitted_ = !lifetime().closed;
      if (admitted_) ++lifetime().inFlight;
    }
    if (!admitted_) VEL_LOG(L"curl closed, no transfer %s", utility::fromAnsi(url).c_str());
  }
  ~TransferScope() {
    if (!admitted_) return;
    std::lock_guard<std::mutex> guard(lifetime().lock);
    if (--lifetime().inFlight == 0) lifetime().idle.notify_all();
  }
  TransferScope(const TransferScope&) = delete;
  TransferScope& operator=(const TransferScope&) = delete;
  bool admitted() const { return admitted_; }

 private:
  bool admitted_ = false;
};

// Lets the abort flags end a transfer that carries no progress of its own.
void setAbortable(CURL* curl, const std::atomic<bool>* abort) {
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &VelCurlDownloader::AbortCallback);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(abort));
}

struct EasyHandle {
  CURL* handle = curl_easy_init();
  ~EasyHandle() {
    if (handle) curl_easy_cleanup(handle);
  }
};

struct HeaderList {
  curl_slist* list = nullptr;
  ~HeaderList() { curl_slist_free_all(list); }
  bool append(const std::string& line) {
    curl_slist* grown = curl_slist_append(list, line.c_str());
    if (!grown) return false;
    list = grown;
    return true;
  }
};

struct ChunkGuard {
  VelCurlDownloader::MemoryChunk chunk;
  ~ChunkGuard() { free(chunk.memory); }
};

// The host name the current request goes to (after redirects), as UTF-16.
std::wstring requestHost(CURL* curl) {
  char* effective = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective) != CURLE_OK || !effective) return std::wstring();
  CURLU* parsed = curl_url();
  if (!parsed) return std::wstring();
  std::wstring host;
  char* part = nullptr;
  if (curl_url_set(parsed, CURLUPART_URL, effective, 0) == CURLUE_OK &&
      curl_url_get(parsed, CURLUPART_HOST, &part, 0) == CURLUE_OK && part) {
    host = utility::fromUtf8(part);
    curl_free(part);
  }
  curl_url_cleanup(parsed);
  if (host.size() > 2 && host.front() == L'[' && host.back() == L']') host = host.substr(1, host.size() - 2);
  return host;
}

// Checks the server certificate of a TLS connection once more with the system's chain
// engine and SSL policy before any request is sent: not every Schannel provider
// validates on its own (Wine's does not). Plain connections pass untouched.
int verifyPeerBeforeRequest(void* easy, char*, char*, int, int) {
  CURL* curl = static_cast<CURL*>(easy);
  curl_tlssessioninfo* session = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_TLS_SSL_PTR, &session) != CURLE_OK || !session ||
      session->backend != CURLSSLBACKEND_SCHANNEL || !session->internals) {
    return CURL_PREREQFUNC_OK;
  }
  PCCERT_CONTEXT certificate = nullptr;
  if (QueryContextAttributesW(static_cast<CtxtHandle*>(session->internals), SECPKG_ATTR_REMOTE_CERT_CONTEXT,
                              &certificate) != SEC_E_OK ||
      !certificate) {
    VEL_LOG(L"certificate check failed %d", -1);
    return CURL_PREREQFUNC_ABORT;
  }
  CERT_CHAIN_PARA chainPara = {};
  chainPara.cbSize = sizeof(chainPara);
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  DWORD policyError = static_cast<DWORD>(CERT_E_CHAINING);
  if (CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara, 0, nullptr, &chain)) {
    std::wstring host = requestHost(curl);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
    ssl.cbSize = sizeof(ssl);
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = &host[0];
    CERT_CHAIN_POLICY_PARA policyPara = {};
    policyPara.cbSize = sizeof(policyPara);
    policyPara.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status = {};
    status.cbSize = sizeof(status);
    if (CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policyPara, &status)) {
      policyError = status.dwError;
    }
    CertFreeCertificateChain(chain);
  }
  CertFreeCertificateContext(certificate);
  if (policyError == 0) return CURL_PREREQFUNC_OK;
  VEL_LOG(L"certificate check failed %d", static_cast<int>(policyError));
  return CURL_PREREQFUNC_ABORT;
}

// Options every transfer shares. TLS peers are verified against the system's roots;
// a revocation server that cannot be reached does not fail the transfer.
void setCommonOptions(CURL* curl, const std::string& url, long timeoutMs) {
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  // After an https start a redirect may lead to https only: a plain-http answer is anyone's.
  const bool secure = _strnicmp(url.c_str(), "https:", 6) == 0;
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(curl, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT));
  curl_easy_setopt(curl, CURLOPT_PREREQFUNCTION, &verifyPeerBeforeRequest);
  curl_easy_setopt(curl, CURLOPT_PREREQDATA, curl);
  curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeoutMs);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
}

std::wstring wide(const char* text) { return utility::fromAnsi(text ? text : ""); }

// Grows the chunk to exactly its size plus the new bytes; 0 makes libcurl abort.
size_t appendToChunk(void* contents, size_t bytes, VelCurlDownloader::MemoryChunk* chunk, bool& outOfMemory) {
  outOfMemory = false;
  uint64_t wanted = static_cast<uint64_t>(chunk->size) + bytes;
  if (wanted > kMemoryLimitBytes) {
    VEL_LOG(L"memory answer over %d bytes, stopped", static_cast<int>(kMemoryLimitBytes));
    return 0;
  }
  void* grown = nullptr;
  if (wanted <= UINT32_MAX) grown = realloc(chunk->memory, static_cast<size_t>(wanted == 0 ? 1 : wanted));
  if (!grown) {
    outOfMemory = true;
    return 0;
  }
  chunk->memory = static_cast<char*>(grown);
  if (bytes) memcpy(chunk->memory + chunk->size, contents, bytes);
  chunk->size = static_cast<uint32_t>(wanted);
  return bytes;
}

// Runs a transfer that is set up but for where its body goes; on success out receives the body.
bool receiveInMemory(CURL* curl, const std::string& url, std::string& out) {
  ChunkGuard chunk;
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &VelCurlDownloader::WriteMemoryCallback);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &chunk.chunk);
  CURLcode result = curl_easy_perform(curl);
  if (result != CURLE_OK) {
    VEL_LOG(L"curl download error code:%d %s", static_cast<int>(result), wide(url.c_str()).c_str());
    return false;
  }
  out.assign(chunk.chunk.memory ? chunk.chunk.memory : "", chunk.chunk.size);
  return true;
}

using FileVerdict = VelCurlDownloader::FileTransferRecord::Verdict;

bool startsWithNoCase(const char* text, size_t length, const char* prefix) {
  size_t prefixLength = strlen(prefix);
  return length >= prefixLength && _strnicmp(text, prefix, prefixLength) == 0;
}

// The number at the start of text (after blanks), or -1 when there is none.
int64_t leadingNumber(const char* text, const char* end) {
  while (text < end && (*text == ' ' || *text == '\t')) ++text;
  if (text == end || *text < '0' || *text > '9') return -1;
  int64_t value = 0;
  for (; text < end && *text >= '0' && *text <= '9'; ++text) {
    if (value > (INT64_MAX - 9) / 10) return -1;
    value = value * 10 + (*text - '0');
  }
  return value;
}

// Empties the target file and puts the write position at its start.
bool emptyFile(HANDLE file) {
  LARGE_INTEGER zero = {};
  return SetFilePointerEx(file, zero, nullptr, FILE_BEGIN) && SetEndOfFile(file);
}

// Decides once, when the answer's body begins (or the transfer ended without one), whether
// the answer belongs in the file. A 200 replaces the bytes already there (a server that
// ignores the range sends the whole file); a 206 must continue the file exactly at its end;
// a 416 says the file cannot be continued, so it is emptied for the next attempt.
bool answerBelongsInFile(VelCurlDownloader::FileTransferRecord* record) {
  if (record->verdict != FileVerdict::kUndecided) return record->verdict == FileVerdict::kWrite;
  record->verdict = FileVerdict::kRefuse;
  if (record->status == 200) {
    if (record->present > 0) {
      VEL_LOG(L"range ignored, starting over from byte 0 of %I64d", static_cast<long long>(record->present));
      if (!emptyFile(record->file)) {
        VEL_LOG(L"cannot empty the file error:%d", static_cast<int>(GetLastError()));
        return false;
      }
      record->present = 0;
      if (record->progress) record->progress->resumeOffset = 0;
    }
    record->verdict = FileVerdict::kWrite;
  } else if (record->status == 206 && record->rangeStart == record->present) {
    record->verdict = FileVerdict::kWrite;
  } else if (record->status == 416) {
    if (!emptyFile(record->file)) VEL_LOG(L"cannot empty the file error:%d", static_cast<int>(GetLastError()));
  }
  return record->verdict == FileVerdict::kWrite;
}

}  // namespace

size_t VelCurlDownloader::WriteMemoryCallback(void* contents, size_t size, size_t count, void* chunk) {
  bool outOfMemory = false;
  size_t written = appendToChunk(contents, size * count, static_cast<MemoryChunk*>(chunk), outOfMemory);
  if (outOfMemory) VEL_LOG(L"not enough memory error %d", static_cast<int>(GetLastError()));
  return written;
}

size_t VelCurlDownloader::WriteFileCallback(void* contents, size_t size, size_t count, void* record) {
  size_t bytes = size * count;
  if (bytes == 0) return 0;
  if (bytes > MAXDWORD) return 0;
  FileTransferRecord* transfer = static_cast<FileTransferRecord*>(record);
  if (!answerBelongsInFile(transfer)) return 0;
  DWORD written = 0;
  HANDLE file = transfer->file;
  if (!WriteFile(file, contents, static_cast<DWORD>(bytes), &written, nullptr) || written != bytes) return 0;
  return bytes;
}

bool VelCurlDownloader::globalInit() {
  std::lock_guard<std::mutex> guard(lifetime().lock);
  lifetime().closed = false;
  g_abortAll.store(false);
  return curl_global_init(CURL_GLOBAL_ALL) == CURLE_OK;
}

bool VelCurlDownloader::globalCleanup(DWORD limitMilliseconds) {
  std::unique_lock<std::mutex> guard(lifetime().lock);
  lifetime().closed = true;
  g_abortAll.store(true);
  bool idle = lifetime().idle.wait_for(guard, std::chrono::milliseconds(limitMilliseconds),
                                       [] { return lifetime().inFlight == 0; });
  if (!idle) {
    VEL_LOG(L"curl transfers still running %d, curl not cleaned up", lifetime().inFlight);
    return false;
  }
  curl_global_cleanup();
  return true;
}

int VelCurlDownloader::transfersInFlight() {
  std::lock_guard<std::mutex> guard(lifetime().lock);
  return lifetime().inFlight;
}

int VelCurlDownloader::AbortCallback(void* abort, int64_t, int64_t, int64_t, int64_t) {
  return abortRequested(static_cast<const std::atomic<bool>*>(abort)) ? 1 : 0;
}

// Sees the header lines of every answer, redirects and interim answers included; the
// status line of each answer starts its record afresh.
size_t VelCurlDownloader::HeaderFileCallback(char* line, size_t size, size_t count, void* record) {
  size_t length = size * count;
  FileTransferRecord* transfer = static_cast<FileTransferRecord*>(record);
  const char* end = line + length;
  if (startsWithNoCase(line, length, "HTTP/")) {
    const char* blank = static_cast<const char*>(memchr(line, ' ', length));
    int64_t status = blank ? leadingNumber(blank, end) : -1;
    transfer->status = status >= 100 && status <= 999 ? static_cast<int>(status) : -1;
    transfer->rangeStart = -1;
  } else if (startsWithNoCase(line, length, "Content-Range:")) {
    const char* value = line + strlen("Content-Range:");
    while (value < end && (*value == ' ' || *value == '\t')) ++value;
    if (startsWithNoCase(value, static_cast<size_t>(end - value), "bytes")) {
      transfer->rangeStart = leadingNumber(value + strlen("bytes"), end);
    }
  }
  return length;
}

int VelCurlDownloader::ProgressCallback(void* data, double total, double now, double, double) {
  ProgressRecord* record = static_cast<ProgressRecord*>(data);
  if (abortRequested(record->abort)) return 1;
  if ((total > -0.1 && total < 0.1) || !record->progress) return 0;
  double offset = static_cast<double>(record->resumeOffset);
  int percent = static_cast<int>((offset + now) / (offset + total) * 100.0);
  DWORD tick = GetTickCount();
  if (tick - record->lastReportTick <= kProgressIntervalMs) return 0;
  // Completion is announced by the caller, not by progress.
  if (percent == 100) return 0;
  record->lastReportTick = tick;
  record->progress(percent);
  return 0;
}

bool VelCurlDownloader::downloadMemory(const std::string& url, std::string& out, const std::atomic<bool>* abort) {
  VEL_LOG(L"VelCurlDownloader::downloadMemory start");
  TransferScope scope(url);
  if (!scope.admitted()) return false;
  EasyHandle curl;
  if (!curl.handle) {
    VEL_LOG(L"curl init error");
    return false;
  }
  setAbortable(curl.handle, abort);
  setCommonOptions(curl.handle, url, kMemoryTimeoutMs);
  VEL_LOG(L"1111111111111111111111");
  if (!receiveInMemory(curl.handle, url, out)) return false;
  VEL_LOG(L"curl download sucess %d", static_cast<int>(out.size()));
  return true;
}

bool VelCurlDownloader::postRequest(const std::string& body, std::string& response, const std::string& url,
                                    const std::vector<std::string>& headers, const std::atomic<bool>* abort) {
  VEL_LOG(L"VelCurlDownloader::postRequest start %s", wide(url.c_str()).c_str());
  TransferScope scope(url);
  if (!scope.admitted()) return false;
  EasyHandle curl;
  if (!curl.handle) {
    VEL_LOG(L"curl init error");
    return false;
  }
  HeaderList list;
  bool headersBuilt = list.append("Content-Type:application/json;charset=UTF-8");
  for (const std::string& line : headers) headersBuilt = headersBuilt && list.append(line);
  if (!headersBuilt) {
    VEL_LOG(L"curl init error");
    return false;
  }
  std::string utf8 = utility::toUtf8(utility::fromAnsi(body));
  curl_easy_setopt(curl.handle, CURLOPT_HTTPHEADER, list.list);
  curl_easy_setopt(curl.handle, CURLOPT_POST, 1L);
  curl_easy_setopt(curl.handle, CURLOPT_POSTFIELDS, utf8.c_str());
  curl_easy_setopt(curl.handle, CURLOPT_POSTFIELDSIZE, static_cast<long>(utf8.size()));
  setAbortable(curl.handle, abort);
  setCommonOptions(curl.handle, url, kMemoryTimeoutMs);
  return receiveInMemory(curl.handle, url, response);
}

bool VelCurlDownloader::downloadFile(const std::wstring& path, const std::string& url, const Progress& progress) {
  VEL_LOG(L"VelCurlDownloader::downloadfile start");
  TransferScope scope(url);
  if (!scope.admitted()) return false;
  int64_t existing = 0;
  HANDLE probe = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(probe, &size)) existing = size.QuadPart;
    CloseHandle(probe);
  }

  FileTransferRecord record;
  if (existing <= 0) {
    existing = 0;
    record.file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  } else {
    record.file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (record.file != INVALID_HANDLE_VALUE) {
      LARGE_INTEGER zero = {};
      SetFilePointerEx(record.file, zero, nullptr, FILE_END);
    }
  }
  if (record.file == INVALID_HANDLE_VALUE) {
    VEL_LOG(L"open file error  error:%d %s", static_cast<int>(GetLastError()), path.c_str());
    return false;
  }
  record.present = existing;
  transfer_ = &record;
  struct Finish {
    VelCurlDownloader* self;
    ~Finish() {
      CloseHandle(self->transfer_->file);
      self->transfer_ = nullptr;
    }
  } finish{this};

  ProgressRecord progressRecord;
  progressRecord.resumeOffset = existing;
  progressRecord.progress = progress;
  progressRecord.abort = abort_;
  record.progress = &progressRecord;

  EasyHandle curl;
  if (!curl.handle) {
    VEL_LOG(L"curl init error");
    return false;
  }
  // The range is asked for directly rather than as a resume offset: libcurl aborts a resume
  // that is answered with the whole file and takes a 416 for a finished download, and
  // both answers are judged by answerBelongsInFile instead.
  std::string range;
  if (existing > 0) {
    range = std::to_string(existing) + "-";
    curl_easy_setopt(curl.handle, CURLOPT_RANGE, range.c_str());
  }
  curl_easy_setopt(curl.handle, CURLOPT_WRITEFUNCTION, &VelCurlDownloader::WriteFileCallback);
  curl_easy_setopt(curl.handle, CURLOPT_WRITEDATA, transfer_);
  curl_easy_setopt(curl.handle, CURLOPT_HEADERFUNCTION, &VelCurlDownloader::HeaderFileCallback);
  curl_easy_setopt(curl.handle, CURLOPT_HEADERDATA, transfer_);
  curl_easy_setopt(curl.handle, CURLOPT_MAXREDIRS, 5L);
  curl_easy_setopt(curl.handle, CURLOPT_MAX_RECV_SPEED_LARGE, kMaxReceiveBytesPerSecond);
  curl_easy_setopt(curl.handle, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl.handle, CURLOPT_PROGRESSDATA, &progressRecord);
  curl_easy_setopt(curl.handle, CURLOPT_PROGRESSFUNCTION, &VelCurlDownloader::ProgressCallback);
  setCommonOptions(curl.handle, url, kFileTimeoutMs);
  CURLcode result = curl_easy_perform(curl.handle);
  // An answer without a body was not judged by the write callback.
  if (result == CURLE_OK) answerBelongsInFile(transfer_);
  if (transfer_->verdict == FileTransferRecord::Verdict::kRefuse) {
    VEL_LOG(L"curl download refused status %d range start %I64d %s", transfer_->status,
            static_cast<long long>(transfer_->rangeStart), wide(url.c_str()).c_str());
    return false;
  }
  if (result != CURLE_OK) {
    VEL_LOG(L"curl download error code:%d %s", static_cast<int>(result), wide(url.c_str()).c_str());
    return false;
  }
  VEL_LOG(L"curl download  file sucess");
  return true;
}
