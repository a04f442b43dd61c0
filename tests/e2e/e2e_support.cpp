#include "tests/e2e/e2e_support.h"

#include <cstdio>
#include <cstdlib>

#include <oleacc.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBIW_WINDOWS_UTF8
#include <stb_image_write.h>

#include <rapidjson/document.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iterator>

#include "tests/support/standin_http.h"
#include "utility/encoding.h"
#include "utility/ufile.h"
#include "utility/unique_handle.h"

using namespace testing_support;

namespace e2e {

std::wstring environment(const wchar_t* name) {
  wchar_t value[MAX_PATH * 2] = {};
  DWORD n = GetEnvironmentVariableW(name, value, static_cast<DWORD>(std::size(value)));
  return n > 0 && n < std::size(value) ? std::wstring(value) : std::wstring();
}

namespace {

std::string origin() { return "http://127.0.0.1:" + std::to_string(standinPort()); }

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

std::wstring withSeparator(const std::wstring& folder) {
  return !folder.empty() && folder.back() != L'\\' ? folder + L'\\' : folder;
}

std::wstring lower(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return static_cast<wchar_t>(towlower(c)); });
  return text;
}

std::wstring imagePath(DWORD processId) {
  utility::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return std::wstring();
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = static_cast<DWORD>(std::size(path));
  return QueryFullProcessImageNameW(process.get(), 0, path, &size) ? std::wstring(path, size) : std::wstring();
}

struct ProcessEntry {
  DWORD id;
  DWORD parent;
  std::wstring name;
};

std::vector<ProcessEntry> snapshot() {
  std::vector<ProcessEntry> entries;
  utility::UniqueHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snap) return entries;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snap.get(), &entry); more; more = Process32NextW(snap.get(), &entry)) {
    entries.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
  }
  return entries;
}

// A value that no drawing leaves in every pixel: alpha 0x5A, which GDI never writes.
constexpr uint32_t kUntouched = 0x5A123456u;

}  // namespace

std::wstring installerExe() {
  std::wstring chosen = environment(L"VEL_E2E_INSTALLER");
  return chosen.empty() ? binDir() + L"VelPlayerInstaller.exe" : chosen;
}

std::wstring copyAsCampaign(const std::wstring& folder, const std::wstring& campaignName) {
  std::wstring copy = folder + campaignName + L".exe";
  return CopyFileW(installerExe().c_str(), copy.c_str(), FALSE) ? copy : std::wstring();
}

std::string standinOrigin() { return origin(); }

bool armFault(const std::string& query) {
  int status = 0;
  std::string body;
  return standinGet(L"/_control/arm?" + utility::fromUtf8(query), &status, &body) && status == 200;
}

bool serveDocument(const std::string& path, std::string text) {
  replaceAll(text, "URL", origin());
  return standinServe(path, text);
}

std::vector<std::string> readLines(const std::wstring& path) {
  std::vector<std::string> lines;
  std::string text = readFile(path);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool serveCampaignDocuments(const std::string& openId) {
  std::string manifest = readFile(VEL_E2E_CAMPAIGN);
  if (manifest.empty()) return false;
  size_t served = 0;
  size_t start = 0;
  while (start < manifest.size()) {
    size_t end = manifest.find('\n', start);
    std::string line = manifest.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? manifest.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t tab = line.find('\t');
    if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
    std::string path = line.substr(0, tab), content = line.substr(tab + 1);
    replaceAll(path, "OPENID", openId);
    bool ok = false;
    if (content.compare(0, 4, "gen:") == 0) {
      ok = standinServeGenerated(path, std::atoll(content.c_str() + 4));
    } else {
      replaceAll(content, "URL", origin());
      replaceAll(content, "OPENID", openId);
      ok = standinServe(path, content);
    }
    if (!ok) return false;
    ++served;
  }
  return served > 0;
}

std::string paddedSetupBytes(int64_t size) {
  if (size == 11 * 1024 * 1024) return readFile(codesignFile(L"setup_signed.exe"));
  if (size == 20 * 1024 * 1024) return readFile(codesignFile(L"setup_signed_20m.exe"));
  return std::string();
}

bool servePaddedSetup(const std::string& packageFile, int64_t size) {
  std::string bytes = paddedSetupBytes(size);
  if (bytes.empty()) return false;
  return standinServe("/download/package/" + packageFile, bytes) && standinServe("/download/spare/" + packageFile, bytes);
}

bool configureStandinSetup(const std::wstring& controlFile, const std::wstring& recordFile, const std::wstring& result,
                           const std::vector<std::wstring>& extraSettings) {
  // A profile file without a byte-order mark is read in the ANSI code page.
  std::string text = "[setup]\r\nrecord=" + utility::toAnsi(recordFile) + "\r\nplayer=" +
                     utility::toAnsi(binDir() + L"vel_standin_process.exe") + "\r\nresult=" + utility::toAnsi(result) +
                     "\r\n";
  for (const std::wstring& line : extraSettings) text += utility::toAnsi(line) + "\r\n";
  return writeFile(controlFile, text) && SetEnvironmentVariableW(L"VEL_STANDIN_SETUP_INI", controlFile.c_str());
}

bool pointInstallFolder(const std::wstring& folder) {
  const wchar_t kKey[] = L"Software\\Tessaro\\VelPlayer9";
  if (folder.empty()) {
    LSTATUS deleted = RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
  }
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LSTATUS set = RegSetValueExW(key, L"InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                               static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return set == ERROR_SUCCESS;
}

bool armFault(const std::string& path, const std::string& fault, int count) {
  int status = 0;
  std::string answer;
  return standinRequest("GET", "/_control/arm?path=" + path + "&" + fault + "&count=" + std::to_string(count), "", "",
                        &status, &answer) &&
         status == 200;
}

std::vector<DWORD> processesNamed(const std::wstring& imageName) {
  std::vector<DWORD> ids;
  for (const ProcessEntry& e : snapshot()) {
    if (lower(e.name) == lower(imageName)) ids.push_back(e.id);
  }
  return ids;
}

std::vector<DWORD> processesToEnd(const std::vector<std::wstring>& folders) {
  std::vector<ProcessEntry> all = snapshot();
  std::set<DWORD> chosen{GetCurrentProcessId()};
  // Descendants: repeated passes, since a child may be listed before its parent.
  for (bool grew = true; grew;) {
    grew = false;
    for (const ProcessEntry& e : all) {
      if (!chosen.count(e.id) && chosen.count(e.parent)) grew = chosen.insert(e.id).second || grew;
    }
  }
  // Wine starts its own programs (the desktop, services) from whichever process needs them
  // first; they belong to the session, not to the test.
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  const std::wstring system = lower(windows) + L"\\";
  std::vector<DWORD> out;
  for (const ProcessEntry& e : all) {
    if (e.id == GetCurrentProcessId()) continue;
    std::wstring path = lower(imagePath(e.id));
    if (!path.empty() && path.compare(0, system.size(), system) == 0) continue;
    bool pick = chosen.count(e.id) > 0;
    for (const std::wstring& folder : folders) {
      pick = pick || (!folder.empty() && !path.empty() && path.compare(0, folder.size(), lower(folder)) == 0);
    }
    if (pick) out.push_back(e.id);
  }
  return out;
}

size_t endProcesses(const std::vector<DWORD>& ids) {
  size_t ended = 0;
  for (DWORD id : ids) {
    utility::UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    if (!process) continue;
    if (WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT && TerminateProcess(process.get(), 1)) ++ended;
    WaitForSingleObject(process.get(), 5000);
  }
  return ended;
}

namespace {

struct WindowSearch {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (search->processId == 0 || owner == search->processId) search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::vector<HWND> topLevelWindows(DWORD processId) {
  WindowSearch search{processId, {}};
  EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND findMainWindow(DWORD processId, DWORD timeoutMilliseconds) {
  HWND found = nullptr;
  pumpUntil(
      [&] {
        for (HWND window : topLevelWindows(processId)) {
          wchar_t name[64] = {};
          GetClassNameW(window, name, 64);
          if (lstrcmpiW(name, L"cmainframe") == 0) {
            found = window;
            return true;
          }
        }
        return false;
      },
      timeoutMilliseconds);
  return found;
}

bool clickAt(HWND window, POINT client) {
  LPARAM at = MAKELPARAM(client.x, client.y);
  return PostMessageW(window, WM_MOUSEMOVE, 0, at) && PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at) &&
         PostMessageW(window, WM_LBUTTONUP, 0, at);
}

bool pressKey(HWND window, WPARAM virtualKey) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC)) << 16;
  return PostMessageW(window, WM_KEYDOWN, virtualKey, scan | 1) &&
         PostMessageW(window, WM_KEYUP, virtualKey, scan | 1 | 0xC0000000);
}

std::vector<HWND> windowsOfClass(DWORD processId, const wchar_t* className, bool visibleOnly) {
  std::vector<HWND> out;
  for (HWND window : topLevelWindows(processId)) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    if (lstrcmpiW(name, className) == 0 && (!visibleOnly || IsWindowVisible(window))) out.push_back(window);
  }
  return out;
}

HWND waitForWindowOfClass(DWORD processId, const wchar_t* className, DWORD timeoutMilliseconds) {
  HWND found = nullptr;
  pumpUntil(
      [&] {
        std::vector<HWND> windows = windowsOfClass(processId, className);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
      },
      timeoutMilliseconds);
  return found;
}

namespace {

std::vector<POINT> messageBoxButtonsNow(HWND box) {
  std::vector<POINT> centres;
  RECT rect;
  if (!GetWindowRect(box, &rect)) return centres;
  POINT origin = {rect.left, rect.top};
  if (!ScreenToClient(box, &origin)) return centres;
  // The row in the picture (taken of the whole window) that is the client's button row.
  const int row = at::kMessageBoxButtonRow - origin.y;
  Screenshot shot = captureWindow(box);
  if (shot.empty() || row < 0 || row >= shot.height) return centres;
  // A column is part of a button when any pixel of the band around the row is not near
  // white: a plain button is white inside its grey border, so its border rows count. A
  // button is a run of such columns at least 40 px wide (the frame's border is one).
  auto ink = [&](int x) {
    for (int y = std::max(0, row - 20); y <= std::min(shot.height - 1, row + 20); ++y) {
      uint32_t c = shot.rgb(x, y);
      if (((c >> 16) & 0xFF) < 0xF0 || ((c >> 8) & 0xFF) < 0xF0 || (c & 0xFF) < 0xF0) return true;
    }
    return false;
  };
  for (int x = 0; x < shot.width;) {
    if (!ink(x)) {
      ++x;
      continue;
    }
    int start = x;
    while (x < shot.width && ink(x)) ++x;
    if (x - start >= 40) centres.push_back({(start + x) / 2 + origin.x, at::kMessageBoxButtonRow});
  }
  return centres;
}

}  // namespace

std::vector<POINT> messageBoxButtons(HWND box) {
  // A box just shown may not have painted its buttons yet.
  std::vector<POINT> centres;
  pumpUntil(
      [&] {
        centres = messageBoxButtonsNow(box);
        return !centres.empty();
      },
      5000);
  return centres;
}

POINT boxButton(HWND box, bool first) {
  const std::vector<POINT> centres = messageBoxButtons(box);
  if (centres.empty()) return POINT{-1, -1};
  return first ? centres.front() : centres.back();
}

uint32_t Screenshot::rgb(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFFu;
  const uint8_t* p = &bgra[(static_cast<size_t>(y) * width + x) * 4];
  return (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[1]) << 8) | p[0];
}

Screenshot captureWindow(HWND window) {
  Screenshot shot;
  RECT rect;
  if (!GetWindowRect(window, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) return shot;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (memory && bitmap && bits) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    uint32_t* pixels = static_cast<uint32_t*>(bits);
    const size_t count = static_cast<size_t>(width) * height;
    std::fill(pixels, pixels + count, kUntouched);
    PrintWindow(window, memory, 0);
    GdiFlush();
    bool drawn = false;
    for (size_t i = 0; i < count && !drawn; i += 7) drawn = pixels[i] != kUntouched;
    bool ok = drawn || BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    if (ok) {
      shot.width = width;
      shot.height = height;
      shot.fromScreen = !drawn;
      const uint8_t* start = static_cast<const uint8_t*>(bits);
      shot.bgra.assign(start, start + count * 4);
    }
    SelectObject(memory, old);
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

std::wstring screenshotDir() { return VEL_E2E_SCREENS_DIR; }

bool writePng(const Screenshot& shot, const std::wstring& path) {
  if (shot.empty()) return false;
  std::vector<uint8_t> rgba(shot.bgra.size());
  for (size_t i = 0; i + 3 < shot.bgra.size(); i += 4) {
    rgba[i] = shot.bgra[i + 2];
    rgba[i + 1] = shot.bgra[i + 1];
    rgba[i + 2] = shot.bgra[i];
    rgba[i + 3] = 255;
  }
  return stbi_write_png(utility::toUtf8(path).c_str(), shot.width, shot.height, 4, rgba.data(), shot.width * 4) != 0;
}

std::wstring saveScreenshot(const Screenshot& shot, const std::wstring& fileName) {
  utility::ufile::makeDir(screenshotDir());
  const std::wstring path = screenshotDir() + fileName;
  return writePng(shot, path) ? path : std::wstring();
}

namespace {

void listInto(const std::wstring& root, const std::wstring& relative, std::map<std::wstring, uint64_t>& out) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((root + relative + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out[relative + name + L"\\"] = 0;
      // Links (Wine maps some folders to the host's) are listed, not followed.
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) listInto(root, relative + name + L"\\", out);
    } else {
      out[relative + name] = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

}  // namespace

std::map<std::wstring, uint64_t> listFiles(const std::wstring& root) {
  std::map<std::wstring, uint64_t> files;
  std::wstring base = root;
  if (!base.empty() && base.back() != L'\\') base += L'\\';
  listInto(base, L"", files);
  return files;
}

std::vector<std::wstring> addedFiles(const std::map<std::wstring, uint64_t>& before,
                                     const std::map<std::wstring, uint64_t>& after) {
  std::vector<std::wstring> added;
  for (const auto& entry : after) {
    if (!before.count(entry.first)) added.push_back(entry.first);
  }
  return added;
}

std::wstring systemDriveRoot() {
  std::wstring drive = environment(L"SystemDrive");
  return (drive.empty() ? std::wstring(L"C:") : drive) + L"\\";
}

std::vector<std::string> collectedEventKeys() {
  std::vector<std::string> keys;
  for (const CollectedEvent& event : collectedEvents()) keys.push_back(event.key);
  return keys;
}

std::vector<std::string> analyticsEventNames() {
  std::vector<std::string> names;
  for (const AnalyticsEvent& event : analyticsEvents()) names.push_back(event.name);
  return names;
}

std::vector<CollectedEvent> collectedEvents() {
  std::vector<CollectedEvent> events;
  std::vector<CollectedBatch> batches = standinCollected();
  for (size_t b = 0; b < batches.size(); ++b) {
    if (batches[b].verdict != "accepted") continue;
    rapidjson::Document document;
    document.Parse(batches[b].body.c_str(), batches[b].body.size());
    if (document.HasParseError() || !document.IsArray()) continue;
    for (const auto& item : document.GetArray()) {
      if (!item.IsObject() || !item.HasMember("eventKey") || !item["eventKey"].IsString()) continue;
      CollectedEvent event;
      event.batch = b;
      event.key = item["eventKey"].GetString();
      if (item.HasMember("properties") && item["properties"].IsObject()) {
        for (const auto& member : item["properties"].GetObject()) {
          std::string name = member.name.GetString();
          if (member.value.IsString()) {
            event.properties[name] = member.value.GetString();
          } else if (member.value.IsInt64()) {
            event.properties[name] = std::to_string(member.value.GetInt64());
          } else if (member.value.IsUint64()) {
            event.properties[name] = std::to_string(member.value.GetUint64());
          }
        }
      }
      events.push_back(event);
    }
  }
  return events;
}

std::string collectedProperty(const std::string& key, const std::string& property) {
  for (const CollectedEvent& event : collectedEvents()) {
    if (event.key != key) continue;
    auto found = event.properties.find(property);
    return found == event.properties.end() ? std::string() : found->second;
  }
  return std::string();
}

std::vector<AnalyticsEvent> analyticsEvents() {
  std::vector<AnalyticsEvent> events;
  for (const RecordedRequest& request : standinRequests()) {
    if (request.path != "/mp/collect") continue;
    rapidjson::Document document;
    document.Parse(request.body.c_str(), request.body.size());
    if (document.HasParseError() || !document.IsObject() || !document.HasMember("events") ||
        !document["events"].IsArray()) {
      continue;
    }
    for (const auto& event : document["events"].GetArray()) {
      if (!event.IsObject() || !event.HasMember("name") || !event["name"].IsString()) continue;
      AnalyticsEvent out;
      out.name = event["name"].GetString();
      if (event.HasMember("params") && event["params"].IsObject() && event["params"].HasMember("event_label") &&
          event["params"]["event_label"].IsString()) {
        out.label = event["params"]["event_label"].GetString();
      }
      events.push_back(out);
    }
  }
  return events;
}

std::vector<RecordedRequest> requestsTo(const std::string& path) {
  std::vector<RecordedRequest> out;
  for (const RecordedRequest& request : standinRequests()) {
    if (request.path == path) out.push_back(request);
  }
  return out;
}

bool fromWinInet(const RecordedRequest& request) {
  const std::string* agent = request.header("User-Agent");
  return agent && agent->compare(0, 7, "okhttp/") == 0;
}

bool inOrder(const std::vector<std::string>& have, const std::vector<std::string>& want) {
  size_t next = 0;
  for (const std::string& item : have) {
    if (next < want.size() && item == want[next]) ++next;
  }
  return next == want.size();
}

std::wstring flowStepsTable() { return VEL_E2E_FLOW_STEPS; }

std::vector<FlowStep> readFlowSteps(const std::wstring& table) {
  std::vector<FlowStep> steps;
  std::string text = readFile(table);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    size_t from = 0;
    for (size_t tab; (tab = line.find('\t', from)) != std::string::npos; from = tab + 1) {
      fields.push_back(line.substr(from, tab - from));
    }
    fields.push_back(line.substr(from));
    if (fields.size() < 4) continue;
    FlowStep step;
    step.name = fields[0];
    size_t comma = fields[1].find(',');
    if (fields[1] != "-" && comma != std::string::npos) {
      step.click = true;
      step.point = {std::atoi(fields[1].c_str()), std::atoi(fields[1].c_str() + comma + 1)};
    }
    step.wait = fields[2];
    step.seconds = static_cast<DWORD>(std::atoi(fields[3].c_str()));
    steps.push_back(step);
  }
  return steps;
}

namespace {

// One condition of a flow step's wait, as a predicate; false (with the reason) when the
// table's text is not one.
bool flowCondition(const std::string& w, ChildProcess& installer, const std::wstring& setupRecord,
                   std::function<bool()>* out, std::string* why) {
  std::function<bool()>& held = *out;
  if (w == "window") {
    held = [&installer] {
      HWND shown = findMainWindow(installer.processId(), 0);
      return shown && IsWindowVisible(shown);
    };
  } else if (w.compare(0, 8, "request:") == 0) {
    held = [path = w.substr(8)] {
      for (const RecordedRequest& r : standinRequests()) {
        if (r.path == path) return true;
      }
      return false;
    };
  } else if (w.compare(0, 6, "event:") == 0) {
    held = [key = w.substr(6)] {
      std::vector<std::string> keys = collectedEventKeys();
      return std::find(keys.begin(), keys.end(), key) != keys.end();
    };
  } else if (w.compare(0, 6, "pixel:") == 0) {
    // "pixel:X,Y,RRGGBB[|RRGGBB...]": the main window shows one of those colours at the client
    // point, as a user sees a page once it has painted (the finish page's Start button, say;
    // a button under the pointer shows its hot colour).
    int x = 0, y = 0, used = 0;
    std::vector<unsigned> colours;
    if (std::sscanf(w.c_str() + 6, "%d,%d,%n", &x, &y, &used) != 2 || used == 0) {
      *why = "bad pixel wait \"" + w + "\"";
      return false;
    }
    for (const char* c = w.c_str() + 6 + used;;) {
      char* end = nullptr;
      colours.push_back(static_cast<unsigned>(std::strtoul(c, &end, 16)));
      if (end == c || (*end != '|' && *end != '\0')) {
        *why = "bad pixel wait \"" + w + "\"";
        return false;
      }
      if (*end == '\0') break;
      c = end + 1;
    }
    held = [&installer, x, y, colours] {
      HWND shown = findMainWindow(installer.processId(), 0);
      if (!shown || !IsWindowVisible(shown)) return false;
      const uint32_t seen = captureWindow(shown).rgb(x, y);
      if (seen == 0xFFFFFFFFu) return false;
      for (unsigned colour : colours) {
        bool matches = true;
        for (int shift : {0, 8, 16}) {
          if (std::abs(static_cast<int>((seen >> shift) & 0xFF) - static_cast<int>((colour >> shift) & 0xFF)) > 8) matches = false;
        }
        if (matches) return true;
      }
      return false;
    };
  } else if (w == "setup") {
    held = [&setupRecord] { return !readFile(setupRecord).empty(); };
  } else if (w == "exit") {
    held = [&installer] { return installer.waitForExit(0) != -1; };
  } else if (w.compare(0, 6, "sleep:") == 0) {
    pumpFor(static_cast<DWORD>(std::atoi(w.c_str() + 6)));
    held = [] { return true; };
  } else {
    *why = "unknown wait \"" + w + "\"";
    return false;
  }
  return true;
}

}  // namespace

bool runFlowStep(const FlowStep& step, ChildProcess& installer, const std::wstring& setupRecord, std::string* why) {
  auto fail = [&](const std::string& reason) {
    if (why) *why = reason;
    return false;
  };
  if (step.click) {
    HWND window = findMainWindow(installer.processId(), step.seconds * 1000);
    if (!window) return fail("no main window to click");
    if (!clickAt(window, step.point)) return fail("the click was refused");
  }
  // "A+B": every part must hold at once.
  std::vector<std::function<bool()>> parts;
  for (size_t from = 0; from <= step.wait.size();) {
    size_t plus = step.wait.find('+', from);
    if (plus == std::string::npos) plus = step.wait.size();
    std::function<bool()> part;
    std::string reason;
    if (!flowCondition(step.wait.substr(from, plus - from), installer, setupRecord, &part, &reason)) return fail(reason);
    parts.push_back(std::move(part));
    from = plus + 1;
  }
  auto held = [&parts] {
    for (auto& part : parts) {
      if (!part()) return false;
    }
    return true;
  };
  const std::string& w = step.wait;
  // A click step's page may come a moment after the wait began (the finish page follows the
  // setup's report once its process has ended): the click is repeated until the wait holds.
  DWORD lastClick = GetTickCount();
  auto heldOrClickAgain = [&] {
    if (held()) return true;
    if (step.click && GetTickCount() - lastClick >= 3000) {
      if (HWND window = findMainWindow(installer.processId(), 0)) clickAt(window, step.point);
      lastClick = GetTickCount();
    }
    return false;
  };
  return pumpUntil(heldOrClickAgain, step.seconds * 1000) || fail("\"" + w + "\" did not hold in " + std::to_string(step.seconds) + " s");
}

FlowStep flowStep(const std::string& name, const POINT* click, const std::string& wait, DWORD seconds) {
  FlowStep step;
  step.name = name;
  step.click = click != nullptr;
  if (click) step.point = *click;
  step.wait = wait;
  step.seconds = seconds;
  return step;
}

const std::vector<std::string>& normalRunEvents() {
  static const std::vector<std::string> kRun = {"run_downloader",    "start_downloader", "download_success",
                                                "download_duration", "install_success",  "downloader_full_duration"};
  return kRun;
}

bool InstallVerdict::installed() const {
  return setupCommandLine.find("-silence -downloader -openid=") != std::string::npos && brandingFiles == 3 &&
         inOrder(events, normalRunEvents());
}

std::string InstallVerdict::line() const {
  std::string eventText;
  for (const std::string& e : events) eventText += (eventText.empty() ? "" : ",") + e;
  return std::string("verdict: ") + (installed() ? "installed" : "not installed") +
         " | setup: " + (setupCommandLine.empty() ? std::string("not run") : setupCommandLine) +
         " | branding files: " + std::to_string(brandingFiles) + " of 3 | events: " +
         (eventText.empty() ? std::string("none") : eventText);
}

InstallVerdict judgeInstall(const std::wstring& setupRecord) {
  InstallVerdict verdict;
  std::string line = readFile(setupRecord);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  verdict.setupCommandLine = line;
  // The folder of the "-path=" argument, split as the setup splits it (it ends in a backslash).
  const std::wstring marker = L"-path=";
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(utility::fromUtf8(line).c_str(), &count);
  for (int i = 1; arguments && i < count; ++i) {
    if (std::wstring(arguments[i]).compare(0, marker.size(), marker) == 0) verdict.installFolder = arguments[i] + marker.size();
  }
  if (arguments) LocalFree(arguments);
  if (!verdict.installFolder.empty()) {
    if (verdict.installFolder.back() != L'\\') verdict.installFolder += L'\\';
    for (const wchar_t* name : {L"data\\launch_1920.jpg", L"data\\launch_1080.jpg", L"data\\Vel Campaign.ico"}) {
      verdict.brandingFiles += utility::ufile::exists(verdict.installFolder + name) ? 1 : 0;
    }
  }
  verdict.events = collectedEventKeys();
  return verdict;
}

const char InstallerFlow::kOpenId[] = "10203";
const char InstallerFlow::kMainPackage[] = "/download/package/VelPlayer9.0.exe";
const char InstallerFlow::kSparePackage[] = "/download/spare/VelPlayer9.0.exe";

namespace {

// Where the installer reads an earlier install's folder: the 9 variant's key for the
// regions the flows use ("cn" has its own).
const wchar_t* const kInstalledPlayerKeys[] = {L"Software\\Tessaro\\VelPlayer9", L"Software\\morvane\\VelPlayer9"};

}  // namespace

void InstallerFlow::SetUp() {
  ASSERT_TRUE(resetStandin()) << "the stand-in service does not answer on port " << standinPort();
  codeSigning_ = std::make_unique<TrustedCodeSigningAuthority>();
  ASSERT_TRUE(codeSigning_->trusted()) << "the stand-in setups' authority could not be trusted";
  desktopBefore_ = listFiles(desktopDir());
  dir_ = makeTempDir(L"e2e");
  ASSERT_FALSE(dir_.empty());
  watchFolder(dir_);
  ASSERT_TRUE(serveCampaignDocuments(kOpenId));
  ASSERT_TRUE(servePaddedSetup("VelPlayer9.0.exe"));
  // The install goes into the test's folder: the folder the installer would choose by
  // itself is on the drive with the most space, in a Wine session the host's root (Z:).
  ASSERT_TRUE(useInstallFolder(dir_ + L"player\\"));
  setupRecord_ = dir_ + L"setup_command_line.txt";
  ASSERT_TRUE(configureStandinSetup(dir_ + L"standin_setup.ini", setupRecord_));
  installFolder_ = dir_ + L"player\\";
  watchFolder(installFolder_);
  ASSERT_TRUE(pointInstallFolder(installFolder_));
}

void InstallerFlow::TearDown() {
  for (auto& child : started_) child->kill();
  started_.clear();
  endProcesses(processesToEnd(watched_));
  if (installFolderSet_) {
    for (const wchar_t* key : kInstalledPlayerKeys) RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"InstallDir");
  }
  // Shortcuts the flow's installs put on the desktop.
  const std::wstring desktop = desktopDir();
  for (const std::wstring& added : addedFiles(desktopBefore_, listFiles(desktop))) {
    if (!added.empty() && added.back() != L'\\') DeleteFileW((desktop + added).c_str());
  }
  SetEnvironmentVariableW(L"VEL_STANDIN_SETUP_INI", nullptr);
  pointInstallFolder(L"");
  // The install folder lies inside the test's folder.
  if (!dir_.empty()) removeTree(dir_);
}

std::wstring InstallerFlow::campaignCopy(const std::wstring& name) { return copyAsCampaign(dir_, name); }

ChildProcess* InstallerFlow::start(const std::wstring& exe, const std::wstring& arguments) {
  auto child = std::make_unique<ChildProcess>();
  if (!child->start(exe, arguments)) return nullptr;
  started_.push_back(std::move(child));
  return started_.back().get();
}

ChildProcess* InstallerFlow::launch(HWND* mainWindow) {
  ChildProcess* installer = start(campaignCopy());
  if (!installer) return nullptr;
  HWND window = nullptr;
  pumpUntil(
      [&] {
        window = findMainWindow(installer->processId(), 0);
        return window && IsWindowVisible(window);
      },
      60000);
  if (mainWindow) *mainWindow = window;
  return window && IsWindowVisible(window) ? installer : nullptr;
}

bool InstallerFlow::pressInstall(ChildProcess& installer, std::string* why) {
  FlowStep step;
  step.name = "install";
  step.click = true;
  step.point = at::kInstall;
  step.wait = std::string("request:") + kMainPackage;
  step.seconds = 60;
  return runFlowStep(step, installer, setupRecord_, why);
}

bool InstallerFlow::waitForSetup(DWORD timeoutMilliseconds) {
  if (!pumpUntil([&] { return !readFile(setupRecord_).empty(); }, timeoutMilliseconds)) return false;
  const std::wstring given = judgeInstall(setupRecord_).installFolder;
  EXPECT_EQ(0, _wcsicmp(given.c_str(), installFolder_.c_str()))
      << "the setup was given " << utility::toUtf8(given) << ", not the test's " << utility::toUtf8(installFolder_);
  return _wcsicmp(given.c_str(), installFolder_.c_str()) == 0;
}

bool InstallerFlow::shoot(HWND window, const std::wstring& step) {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::wstring name = info ? utility::fromUtf8(info->name()) : std::wstring(L"e2e");
  // A parameterised test's name carries its row after a slash.
  std::replace(name.begin(), name.end(), L'/', L'_');
  return !saveScreenshot(captureWindow(window), name + L"_" + step + L".png").empty();
}

bool InstallerFlow::useInstallFolder(const std::wstring& folder) {
  installFolderSet_ = true;
  const DWORD bytes = static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t));
  for (const wchar_t* key : kInstalledPlayerKeys) {
    if (RegSetKeyValueW(HKEY_CURRENT_USER, key, L"InstallDir", REG_SZ, folder.c_str(), bytes) != ERROR_SUCCESS) {
      return false;
    }
  }
  return true;
}

InstallerFlow::PlayerCalls InstallerFlow::recordPlayerCalls(const std::wstring& folder) {
  utility::ufile::makeDir(folder);
  PlayerCalls calls{withSeparator(folder) + L"ovplayer.exe.calls", withSeparator(folder) + L"ovconsole.exe.calls"};
  writeFile(calls.player, "");
  writeFile(calls.console, "");
  return calls;
}

std::wstring InstallerFlow::desktopDir() {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path))) return std::wstring();
  return std::wstring(path) + L"\\";
}

}  // namespace e2e

namespace e2e {
namespace {

// Spelled out: MinGW-w64's IID_IAccessible resolves to an import thunk, not the GUID.
const IID kAccessibleId = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

struct AccessibleRef {
  IAccessible* object = nullptr;
  ~AccessibleRef() {
    if (object) object->Release();
  }
};

// One of the object's text getters for a child; the BSTR is freed here.
std::wstring readText(IAccessible* object, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), VARIANT child) {
  BSTR text = nullptr;
  const HRESULT result = (object->*get)(child, &text);
  std::wstring value = SUCCEEDED(result) && text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return value;
}

VARIANT childVariant(long id) {
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  return child;
}

}  // namespace

const AccessibleChild* AccessibleTree::find(long role, const std::wstring& part) const {
  for (const AccessibleChild& child : children) {
    if (child.role == role && child.name.find(part) != std::wstring::npos) return &child;
  }
  return nullptr;
}

std::string AccessibleTree::describe() const {
  std::string text = utility::toUtf8(name) + ":";
  for (const AccessibleChild& child : children) {
    text += " \"" + utility::toUtf8(child.name) + "\" [" + std::to_string(child.role) + " " + std::to_string(child.state) + "]";
  }
  return text;
}

AccessibleTree readAccessibleTree(HWND window) {
  AccessibleTree tree;
  AccessibleRef root;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kAccessibleId,
                                        reinterpret_cast<void**>(&root.object))) ||
      !root.object) {
    return tree;
  }
  long count = 0;
  if (FAILED(root.object->get_accChildCount(&count))) return tree;
  tree.reached = true;
  tree.name = readText(root.object, &IAccessible::get_accName, childVariant(CHILDID_SELF));
  for (long id = 1; id <= count; ++id) {
    const VARIANT child = childVariant(id);
    AccessibleChild node;
    node.name = readText(root.object, &IAccessible::get_accName, child);
    node.defaultAction = readText(root.object, &IAccessible::get_accDefaultAction, child);
    VARIANT value;
    VariantInit(&value);
    if (SUCCEEDED(root.object->get_accRole(child, &value)) && value.vt == VT_I4) node.role = value.lVal;
    VariantInit(&value);
    if (SUCCEEDED(root.object->get_accState(child, &value)) && value.vt == VT_I4) node.state = value.lVal;
    long left = 0, top = 0, width = 0, height = 0;
    if (SUCCEEDED(root.object->accLocation(&left, &top, &width, &height, child))) {
      node.location = RECT{left, top, left + width, top + height};
    }
    tree.children.push_back(node);
  }
  return tree;
}

bool doAccessibleDefaultAction(HWND window, long childId) {
  AccessibleRef root;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kAccessibleId,
                                        reinterpret_cast<void**>(&root.object))) ||
      !root.object) {
    return false;
  }
  return SUCCEEDED(root.object->accDoDefaultAction(childVariant(childId)));
}

}  // namespace e2e
