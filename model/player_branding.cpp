#include "model/player_branding.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include "model/setup_run.h"
#include "utility/encoding.h"
#include "utility/http_downloader.h"
#include "utility/log.h"
#include "utility/reg_key.h"
#include "utility/shortcut.h"
#include "utility/ufile.h"
#include "utility/unique_handle.h"

namespace {

constexpr int kDownloadAttempts = 3;
constexpr DWORD kAttemptPauseMilliseconds = 200;

bool readWholeFile(const std::wstring& path, std::string& bytes) {
  utility::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 64 * 1024 * 1024) return false;
  bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() && (!ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                         read != bytes.size())) {
    return false;
  }
  return true;
}

// Writes a sibling temporary file, flushes it and moves it over the target.
bool replaceFileContent(const std::wstring& path, const std::string& bytes) {
  std::wstring temporary = path + L".tmp";
  {
    utility::UniqueHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      VEL_LOG(L"temporary file not created, error:%d %s", static_cast<int>(GetLastError()), temporary.c_str());
      return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size() && FlushFileBuffers(file.get());
    if (!ok) {
      VEL_LOG(L"temporary file not written, error:%d %s", static_cast<int>(GetLastError()), temporary.c_str());
      file.reset();
      DeleteFileW(temporary.c_str());
      return false;
    }
  }
  if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    VEL_LOG(L"file not replaced, error:%d %s", static_cast<int>(GetLastError()), path.c_str());
    DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

bool downloadWithAttempts(SetupRunJob& job, const std::wstring& url, const std::wstring& path) {
  for (int attempt = 0; attempt < kDownloadAttempts && !job.cancelled(); ++attempt) {
    auto downloader = std::make_shared<utility::CHttpDownloader>();
    job.setDownloader(downloader);
    bool ok = downloader->download2file(url, path, nullptr, false);
    job.setDownloader(nullptr);
    if (ok) return true;
    Sleep(kAttemptPauseMilliseconds);
  }
  VEL_LOG(L"download failed: %s", url.c_str());
  return false;
}

struct IniEntry {
  const char* key;
  std::wstring value;
  bool utf8;  // the player reads these as UTF-8 bytes; the others are in the ANSI code page
};

bool sameName(const std::string& a, const char* b) { return _stricmp(a.c_str(), b) == 0; }

std::string trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A value stays on its own line: the text ends at a NUL as it did for the C-string INI
// functions, and line breaks (which would start keys of their own) become blanks.
std::string oneLine(std::string value) {
  value = value.substr(0, value.find('\0'));
  for (char& c : value) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return value;
}

// Sets key in [section] as the profile functions do: the section's line of that key (names
// without case, the line's spelling kept) takes the new value, else the key follows the
// section's last line; a missing section is appended with the key.
void setIniValue(std::string& text, const char* section, const char* key, const std::string& value) {
  const std::string entry = std::string(key) + "=" + value;
  size_t insertAt = std::string::npos;
  bool inSection = false;
  for (size_t pos = 0; pos < text.size();) {
    size_t newline = text.find('\n', pos);
    size_t next = newline == std::string::npos ? text.size() : newline + 1;
    size_t end = newline == std::string::npos ? text.size() : newline;
    if (end > pos && text[end - 1] == '\r') --end;
    std::string line = trimmed(text.substr(pos, end - pos));
    if (!line.empty() && line[0] == '[') {
      if (inSection) break;
      size_t close = line.find(']');
      inSection = sameName(trimmed(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)), section);
      if (inSection) insertAt = next;
    } else if (inSection && !line.empty()) {
      size_t equals = line.find('=');
      std::string name = equals == std::string::npos ? std::string() : trimmed(line.substr(0, equals));
      if (sameName(name, key)) {
        text.replace(pos, end - pos, name + "=" + value);
        return;
      }
      insertAt = next;
    }
    pos = next;
  }
  bool openLine = !text.empty() && text.back() != '\n';
  if (insertAt != std::string::npos) {
    text.insert(insertAt, (openLine && insertAt == text.size() ? "\r\n" : "") + entry + "\r\n");
    return;
  }
  text += (openLine ? "\r\n[" : "[") + std::string(section) + "]\r\n" + entry + "\r\n";
}

// The keys go in with one write through the wide path: the narrow INI functions cannot open
// a folder the ANSI code page cannot spell. A Unicode file is left to the wide INI function,
// which keeps it Unicode.
void writeIniEntries(const std::wstring& file, const std::vector<IniEntry>& entries) {
  if (entries.empty()) return;
  std::string text;
  if (utility::ufile::exists(file) && !readWholeFile(file, text)) {
    VEL_LOG(L"data.ini not readable, error:%d", static_cast<int>(GetLastError()));
    return;
  }
  if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF && static_cast<unsigned char>(text[1]) == 0xFE) {
    for (const IniEntry& entry : entries) {
      std::wstring key = utility::fromAnsi(entry.key);
      WritePrivateProfileStringW(L"setting", key.c_str(), entry.value.c_str(), file.c_str());
    }
    return;
  }
  for (const IniEntry& entry : entries) {
    std::string value = entry.utf8 ? utility::toUtf8(entry.value) : utility::toAnsi(entry.value);
    setIniValue(text, "setting", entry.key, oneLine(value));
  }
  if (!replaceFileContent(file, text)) VEL_LOG(L"data.ini not written");
}

}  // namespace

bool writeChannelId(const std::wstring& installPath, const std::wstring& channelId) {
  std::wstring path = installPath + L"\\vms\\config\\morvanes.config";
  std::string text;
  if (!utility::ufile::exists(path) || !readWholeFile(path, text)) {
    VEL_LOG(L"morvanes config not exist!!");
    return false;
  }
  rapidjson::Document document;
  document.Parse(text.c_str(), text.size());
  if (document.HasParseError() || !document.IsObject()) {
    VEL_LOG(L"not object!");
    return false;
  }
  auto member = document.FindMember("channelOpenId");
  if (member == document.MemberEnd() || !member->value.IsString()) {
    VEL_LOG(L"no channel id");
    return false;
  }
  std::wstring previous = utility::fromUtf8(std::string(member->value.GetString(), member->value.GetStringLength()));
  std::string value = utility::toUtf8(channelId);
  member->value.SetString(value.c_str(), static_cast<rapidjson::SizeType>(value.size()), document.GetAllocator());

  rapidjson::StringBuffer buffer;
  rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
  writer.SetIndent(' ', 4);
  document.Accept(writer);
  if (!replaceFileContent(path, std::string(buffer.GetString(), buffer.GetSize()))) return false;
  VEL_LOG(L"write openid sucess. first %s current:%s", channelId.c_str(), previous.c_str());
  return true;
}

void writeDataIni(const std::wstring& dataDir, const Branding& branding) {
  std::vector<IniEntry> entries;
  if (!branding.ad) entries.push_back({"adshow", L"0", false});
  if (branding.cleanModel) entries.push_back({"cleanmodel", L"1", false});
  if (!branding.ad || branding.cleanModel) {
    utility::RegKey run;
    if (run.open(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", KEY_SET_VALUE) ==
        ERROR_SUCCESS) {
      run.deleteValue(L"VelNews");
    }
  }
  if (branding.root == Branding::Root::kFalse) entries.push_back({"useroot", L"0", false});
  if (!branding.runAppStore) entries.push_back({"runappstore", L"0", false});
  if (!branding.title.empty()) entries.push_back({"title", branding.title, true});
  if (!branding.heapSize.empty()) entries.push_back({"heapsize", branding.heapSize, true});
  if (!branding.qqLink.empty()) entries.push_back({"qqlink", branding.qqLink, false});
  if (!branding.runApp.empty()) entries.push_back({"runapp", branding.runApp, false});
  writeIniEntries(dataDir + L"data.ini", entries);
}

void applyBranding(SetupRunJob& job) {
  if (!job.machineChannelId.empty()) writeChannelId(job.installPath, job.machineChannelId);

  const Branding& branding = job.branding;
  std::wstring dataDir = job.installPath + L"data\\";
  utility::ufile::makeDir(dataDir);
  if (!branding.launchLandscape.empty()) downloadWithAttempts(job, branding.launchLandscape, dataDir + L"launch_1920.jpg");
  if (!branding.launchPortrait.empty()) downloadWithAttempts(job, branding.launchPortrait, dataDir + L"launch_1080.jpg");

  // The name comes from the service and becomes two file names: it must stay a plain name.
  std::wstring shortcutName = safeFileName(branding.shortcutName);
  if (!branding.shortcutName.empty() && shortcutName != branding.shortcutName) {
    VEL_LOG(L"shortcut name changed to: %s", shortcutName.c_str());
  }
  std::wstring icon = dataDir + shortcutName + L".ico";
  if (!branding.shortcutUrl.empty() && !shortcutName.empty()) downloadWithAttempts(job, branding.shortcutUrl, icon);

  writeDataIni(dataDir, branding);

  if (!shortcutName.empty() && utility::ufile::exists(icon) && !job.cancelled()) {
    helper::disk::ShortcutRequest request;
    request.name = shortcutName;
    request.icon = icon;
    request.workingDir = job.installPath;
    request.target = job.installPath + L"\\ovplayer.exe";
    request.arguments = L"package=" + branding.runApp;
    helper::disk::createShortcut(request);
  }
}
