#include "model/player_branding.h"

#include <windows.h>

#include <memory>

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
      VEL_LOG(L"temporary config not created, error:%d", static_cast<int>(GetLastError()));
      return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size() && FlushFileBuffers(file.get());
    if (!ok) {
      VEL_LOG(L"temporary config not written, error:%d", static_cast<int>(GetLastError()));
      file.reset();
      DeleteFileW(temporary.c_str());
      return false;
    }
  }
  if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    VEL_LOG(L"config not replaced, error:%d", static_cast<int>(GetLastError()));
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

void writeWide(const std::wstring& file, const wchar_t* key, const std::wstring& value) {
  WritePrivateProfileStringW(L"setting", key, value.c_str(), file.c_str());
}

// The player reads these two as UTF-8 bytes through the narrow INI functions.
void writeUtf8(const std::wstring& file, const char* key, const std::wstring& value) {
  WritePrivateProfileStringA("setting", key, utility::toUtf8(value).c_str(), utility::toAnsi(file).c_str());
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
  std::wstring file = dataDir + L"data.ini";
  if (!branding.ad) writeWide(file, L"adshow", L"0");
  if (branding.cleanModel) writeWide(file, L"cleanmodel", L"1");
  if (!branding.ad || branding.cleanModel) {
    utility::RegKey run;
    if (run.open(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", KEY_SET_VALUE) ==
        ERROR_SUCCESS) {
      run.deleteValue(L"VelNews");
    }
  }
  if (branding.root == Branding::Root::kFalse) writeWide(file, L"useroot", L"0");
  if (!branding.runAppStore) writeWide(file, L"runappstore", L"0");
  if (!branding.title.empty()) writeUtf8(file, "title", branding.title);
  if (!branding.heapSize.empty()) writeUtf8(file, "heapsize", branding.heapSize);
  if (!branding.qqLink.empty()) writeWide(file, L"qqlink", branding.qqLink);
  if (!branding.runApp.empty()) writeWide(file, L"runapp", branding.runApp);
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
