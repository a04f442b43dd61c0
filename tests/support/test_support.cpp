#include "tests/support/test_support.h"

#include <shellapi.h>
#include <wininet.h>

#include <cstdlib>

#include "utility/encoding.h"
#include "utility/ufile.h"

namespace testing_support {

std::wstring binDir() { return utility::ufile::moduleDir(); }

std::wstring makeTempDir(const std::wstring& prefix) {
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  static LONG counter = 0;
  for (;;) {
    std::wstring path = std::wstring(base) + prefix + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
                        std::to_wstring(InterlockedIncrement(&counter)) + L"\\";
    if (CreateDirectoryW(path.c_str(), nullptr)) return path;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return std::wstring();
  }
}

void removeTree(const std::wstring& path) {
  std::wstring from = path;
  while (!from.empty() && from.back() == L'\\') from.pop_back();
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

std::string readFile(const std::wstring& path) {
  utility::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return std::string();
  std::string out;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) out.append(buffer, got);
  return out;
}

bool writeFile(const std::wstring& path, const std::string& bytes) {
  utility::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return bytes.empty() ||
         (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size());
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (;;) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      if (start < text.size()) lines.push_back(text.substr(start));
      return lines;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMilliseconds) {
  DWORD started = GetTickCount();
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    DWORD elapsed = GetTickCount() - started;
    if (elapsed >= timeoutMilliseconds) return false;
    DWORD wait = timeoutMilliseconds - elapsed;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, wait < 20 ? wait : 20, QS_ALLINPUT);
  }
}

void pumpFor(DWORD milliseconds) {
  pumpUntil([] { return false; }, milliseconds);
}

bool ChildProcess::start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workingDir) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  std::wstring folder = workingDir.empty() ? utility::ufile::parentDir(exe) : workingDir;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  process_.reset(info.hProcess);
  processId_ = info.dwProcessId;
  threadId_ = info.dwThreadId;
  return true;
}

long ChildProcess::waitForExit(DWORD timeoutMilliseconds) {
  if (!process_ || WaitForSingleObject(process_.get(), timeoutMilliseconds) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  return static_cast<long>(code);
}

void ChildProcess::kill() {
  if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
  }
}

double nowMicroseconds() {
  static const LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

int standinPort() {
  const char* value = std::getenv("VEL_STANDIN_PORT");
  int port = value ? std::atoi(value) : 0;
  return port > 0 ? port : 18931;
}

std::wstring standinUrl(const std::wstring& path) {
  return L"http://127.0.0.1:" + std::to_wstring(standinPort()) + path;
}

namespace {
struct InternetHandle {
  HINTERNET handle;
  explicit InternetHandle(HINTERNET h) : handle(h) {}
  ~InternetHandle() {
    if (handle) InternetCloseHandle(handle);
  }
};
}  // namespace

bool standinGet(const std::wstring& path, int* status, std::string* body) {
  InternetHandle session(InternetOpenW(L"vel-tests", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (!session.handle) return false;
  std::wstring url = standinUrl(path);
  InternetHandle request(InternetOpenUrlW(session.handle, url.c_str(), nullptr, 0,
                                          INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
  if (!request.handle) return false;
  DWORD code = 0, size = sizeof(code);
  HttpQueryInfoW(request.handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &code, &size, nullptr);
  if (status) *status = static_cast<int>(code);
  std::string out;
  char buffer[16384];
  DWORD got = 0;
  while (InternetReadFile(request.handle, buffer, sizeof(buffer), &got) && got > 0) out.append(buffer, got);
  if (body) *body = out;
  return true;
}

}  // namespace testing_support
