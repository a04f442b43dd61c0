#pragma once
// The installer's thin layer over libcurl's easy interface: a GET into memory, a JSON
// POST, and a file download with resume and percentage progress. Every call is
// synchronous and uses its own easy handle; libcurl's global set-up and clean-up go through
// globalInit and globalCleanup. URLs and bodies are in the system ANSI code page; file paths
// are wide, since an install folder may hold characters that code page cannot spell.
//
// Any transfer can be aborted from another thread: through the flag its caller passes, or all
// at once by globalCleanup. Either ends it at its next progress call (at least once a second,
// also while nothing arrives).
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class VelCurlDownloader {
 public:
  using Progress = std::function<void(int percent)>;

  // Progress state handed to libcurl; the callable may be empty.
  struct ProgressRecord {
    DWORD lastReportTick = 0;
    int64_t resumeOffset = 0;
    Progress progress;
    const std::atomic<bool>* abort = nullptr;
  };

  // The open target file of a running downloadFile, and what the answer being received
  // is: only the body of a 200, or of a 206 that continues the file at its size, goes
  // into the file.
  struct FileTransferRecord {
    enum class Verdict { kUndecided, kWrite, kRefuse };
    HANDLE file = INVALID_HANDLE_VALUE;
    int64_t present = 0;         // bytes in the file when the transfer began (the range asked for)
    int status = 0;              // status of the latest answer, 0 before one arrived
    int64_t rangeStart = -1;     // first byte of its Content-Range, -1 without one
    Verdict verdict = Verdict::kUndecided;
    ProgressRecord* progress = nullptr;  // its resume offset drops to 0 when the file starts over
  };

  // A growing response buffer, exactly as large as the bytes received.
  struct MemoryChunk {
    char* memory = nullptr;
    uint32_t size = 0;
  };

  VelCurlDownloader() = default;
  VelCurlDownloader(const VelCurlDownloader&) = delete;
  VelCurlDownloader& operator=(const VelCurlDownloader&) = delete;

  // Process-wide libcurl set-up; also lets transfers start again after globalCleanup.
  static bool globalInit();
  // Aborts every running transfer and refuses new ones, waits up to limitMilliseconds for
  // the running ones to end, then cleans libcurl up. A transfer that has still not ended
  // keeps libcurl as it is (its functions stay valid until the process ends); false then.
  static bool globalCleanup(DWORD limitMilliseconds);
  static int transfersInFlight();

  // GET url; on success out receives the body (whatever the HTTP status) and the result is true.
  static bool downloadMemory(const std::string& url, std::string& out, const std::atomic<bool>* abort = nullptr);
  // POST body (ANSI, sent as UTF-8) with the JSON content type and the extra header lines.
  static bool postRequest(const std::string& body, std::string& response, const std::string& url,
                          const std::vector<std::string>& headers, const std::atomic<bool>* abort = nullptr);
  // Downloads url into path, continuing a non-empty file; progress gets whole percentages,
  // at most about once a second, never 100. True only when the whole answer was a 200 or a
  // 206 continuing the file at its size; a 200 to the range request starts the file over.
  // Any other answer leaves the file as it was and fails, except a 416 (the file is longer
  // than the remote one or stale), which empties it so that the next call starts at byte 0.
  bool downloadFile(const std::wstring& path, const std::string& url, const Progress& progress);
  // A flag that aborts this object's file downloads when set (any thread); it must outlive them.
  void setAbortFlag(const std::atomic<bool>* abort) { abort_ = abort; }

  static size_t WriteMemoryCallback(void* contents, size_t size, size_t count, void* chunk);
  static size_t WriteFileCallback(void* contents, size_t size, size_t count, void* record);
  static size_t HeaderFileCallback(char* line, size_t size, size_t count, void* record);
  static int ProgressCallback(void* record, double total, double now, double uploadTotal, double uploadNow);
  // Progress of memory and post transfers: only whether to abort.
  static int AbortCallback(void* abort, int64_t total, int64_t now, int64_t uploadTotal, int64_t uploadNow);

 private:
  FileTransferRecord* transfer_ = nullptr;
  const std::atomic<bool>* abort_ = nullptr;
};
