#pragma once
// Helpers shared by the tests: paths, files, child processes, message pumping and the
// loopback stand-in service.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "utility/unique_handle.h"

namespace testing_support {

// The folder of the running test executable, ending in "\"; the installer and the
// stand-in executables are built into the same folder.
std::wstring binDir();
// A new, empty folder under the temporary folder.
std::wstring makeTempDir(const std::wstring& prefix);
void removeTree(const std::wstring& path);

std::string readFile(const std::wstring& path);
bool writeFile(const std::wstring& path, const std::string& bytes);
std::vector<std::string> splitLines(const std::string& text);  // on "\r\n", the terminator dropped

// The performance counter in microseconds, for the benchmarks.
double nowMicroseconds();

// Pumps this thread's messages until done() holds or the time runs out; returns done().
bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMilliseconds);
void pumpFor(DWORD milliseconds);

class ChildProcess {
 public:
  ChildProcess() = default;
  // A child still running when its test ends is ended, so no test leaves one behind.
  ~ChildProcess() { kill(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts exe with the given argument text; working folder defaults to the exe's own.
  bool start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workingDir = L"");
  // The exit code, or -1 when it had not ended within the time.
  long waitForExit(DWORD timeoutMilliseconds);
  void kill();
  DWORD processId() const { return processId_; }
  DWORD threadId() const { return threadId_; }  // the first thread's
  HANDLE handle() const { return process_.get(); }

 private:
  utility::UniqueHandle process_;
  DWORD processId_ = 0;
  DWORD threadId_ = 0;
};


// The loopback stand-in service.
int standinPort();
std::wstring standinUrl(const std::wstring& path);
// A plain GET through WinInet; the status code and body come back. Used to drive the
// stand-in's control endpoints, not to test the product's HTTP code.
bool standinGet(const std::wstring& path, int* status, std::string* body);

}  // namespace testing_support
