// Stand-in for the player's setup. Started with the installer's fixed command line, it
// records that line, lays out an installed player under the "-path=" folder and reports to
// the installer's window endpoint, as the control file "standin_setup.ini" beside it says
// (or, when there is none, the file named by the environment variable VEL_STANDIN_SETUP_INI:
// a copy downloaded by the installer has no control file beside it):
//   [setup]
//   record=FILE        where the command line goes (UTF-8, one line)
//   player=FILE        copied as "ovplayer.exe" and "ovconsole.exe" (optional)
//   config=TEXT        the content of "vms\config\morvanes.config" (default: a channel id string)
//   delay_ms=N         waits this long before reporting
//   result=success|fail|none
//   code=N             the error code posted with a failure
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

const wchar_t* const kEndpointClass = L"{2266E930-7040-4A6B-B7C8-E44663785cdd}";

std::wstring folderOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring readSetting(const std::wstring& control, const wchar_t* key, const wchar_t* fallback) {
  wchar_t value[4096] = {};
  GetPrivateProfileStringW(L"setup", key, fallback, value, 4096, control.c_str());
  return value;
}

std::string utf8(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(size > 0 ? size : 0, '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
  return bytes;
}

void writeBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

// The folder of the "-path=" argument, split as a real setup splits its command line.
std::wstring installFolder(const std::wstring& commandLine) {
  const std::wstring marker = L"-path=";
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(commandLine.c_str(), &count);
  if (!arguments) return std::wstring();
  std::wstring folder;
  for (int i = 1; i < count; ++i) {
    std::wstring argument = arguments[i];
    if (argument.compare(0, marker.size(), marker) == 0) folder = argument.substr(marker.size());
  }
  LocalFree(arguments);
  return folder;
}

}  // namespace

int wmain() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring control = folderOf(self) + L"standin_setup.ini";
  wchar_t named[MAX_PATH] = {};
  if (GetFileAttributesW(control.c_str()) == INVALID_FILE_ATTRIBUTES &&
      GetEnvironmentVariableW(L"VEL_STANDIN_SETUP_INI", named, MAX_PATH) > 0 && named[0]) {
    control = named;
  }
  const std::wstring commandLine = GetCommandLineW();

  std::wstring record = readSetting(control, L"record", L"");
  if (!record.empty()) writeBytes(record, utf8(commandLine) + "\n");

  std::wstring folder = installFolder(commandLine);
  if (!folder.empty()) {
    if (folder.back() != L'\\') folder += L'\\';
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"vms").c_str(), nullptr);
    CreateDirectoryW((folder + L"vms\\config").c_str(), nullptr);
    std::wstring player = readSetting(control, L"player", L"");
    if (!player.empty()) {
      CopyFileW(player.c_str(), (folder + L"ovplayer.exe").c_str(), FALSE);
      CopyFileW(player.c_str(), (folder + L"ovconsole.exe").c_str(), FALSE);
    }
    std::wstring config = readSetting(control, L"config", L"{\"channelOpenId\":\"setup\",\"version\":\"9.1.2\"}");
    if (config != L"none") writeBytes(folder + L"vms\\config\\morvanes.config", utf8(config));
  }

  Sleep(static_cast<DWORD>(_wtoi(readSetting(control, L"delay_ms", L"0").c_str())));
  std::wstring result = readSetting(control, L"result", L"success");
  if (result != L"none") {
    HWND endpoint = FindWindowExW(nullptr, nullptr, kEndpointClass, nullptr);
    if (!endpoint) return 2;
    if (result == L"fail") {
      PostMessageW(endpoint, 11124, static_cast<WPARAM>(_wtoi(readSetting(control, L"code", L"1").c_str())), 0);
    } else {
      PostMessageW(endpoint, 11125, 0, 0);
    }
  }
  return 0;
}
