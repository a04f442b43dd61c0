#include "telemetry/vel_reporter.h"

#include <cstdio>
#include <ctime>
#include <utility>

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include "core/runable.h"
#include "identity/config_imp.h"
#include "utility/vel_curl_downloader.h"
#include "telemetry/text_ids.h"
#include "utility/encoding.h"
#include "utility/log.h"
#include "vel_build_config.h"

namespace {

constexpr char kUploadPath[] = "/collection/biz/upload";
constexpr DWORD kRetryPauseMilliseconds = 100;

uint64_t nowSeconds() { return static_cast<uint64_t>(std::time(nullptr)); }

rapidjson::Value jsonText(const std::wstring& text, rapidjson::Document::AllocatorType& allocator) {
  std::string utf8 = utility::toUtf8(text);
  return rapidjson::Value(utf8.c_str(), static_cast<rapidjson::SizeType>(utf8.size()), allocator);
}

}  // namespace

VelReporter& VelReporter::instance() {
  static VelReporter* reporter = new VelReporter();
  return *reporter;
}

VelReporter::VelReporter(std::string url) : state_(std::make_shared<State>()) {
  state_->url = url.empty() ? utility::toUtf8(buildconfig::kCollectionOrigin) + kUploadPath : std::move(url);
}

VelReporter::~VelReporter() {
  if (thread_.isRunning()) stop();
}

void VelReporter::start(const std::wstring& openid, const std::wstring& deviceId, const std::wstring& language) {
  if (started_) return;
  state_->openid = openid;
  state_->deviceId = deviceId;
  state_->language = language;
  state_->wakeEvent.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  started_ = true;
  std::shared_ptr<State> state = state_;
  thread_.start(makeRunable([state] { _threadReport(state); }));
}

void VelReporter::addEvent(const std::wstring& key, PropertiesFiller filler) {
  if (ConfigImp::instance().is4()) {
    VEL_LOG(L"player 4 32. not report!");
    return;
  }
  ReportEvent event;
  event.key = key;
  event.time = nowSeconds() * 1000;
  event.filler = std::move(filler);
  std::lock_guard<std::recursive_mutex> lock(state_->queueLock);
  state_->queue.push_back(std::move(event));
}

void VelReporter::wakeUp() {
  if (state_->wakeEvent) SetEvent(state_->wakeEvent.get());
}

void VelReporter::stop(DWORD limitMilliseconds) {
  state_->stop.store(true);
  wakeUp();
  DWORD graceful = limitMilliseconds > kAbortMilliseconds ? limitMilliseconds - kAbortMilliseconds : 0;
  if (!thread_.waitForEnd(graceful)) state_->abortTransfers.store(true);
  thread_.stop(limitMilliseconds - graceful);
}

size_t VelReporter::queuedCount() {
  std::lock_guard<std::recursive_mutex> lock(state_->queueLock);
  return state_->queue.size();
}

std::string VelReporter::signText(const char* salt, int64_t timestamp, size_t eventCount) {
  char digits[64] = {};
  std::snprintf(digits, sizeof(digits), "%lld%llu", static_cast<long long>(timestamp),
                static_cast<unsigned long long>(eventCount) * 1024ULL);
  return std::string(salt) + "*timestamp=" + digits;
}

std::string VelReporter::signature(const char* salt, int64_t timestamp, size_t eventCount) {
  std::string digest = telemetry::md5Text(signText(salt, timestamp, eventCount));
  if (digest.size() < 16) return std::string();
  return digest.substr(digest.size() - 8);
}

void VelReporter::_threadReport(const std::shared_ptr<State>& state) {
  while (!state->stop.load()) {
    VEL_LOG(L"waitfor event");
    WaitForSingleObject(state->wakeEvent.get(), kWaitMilliseconds);
    VEL_LOG(L"event comming");
    if (!_pass(*state)) VEL_LOG(L"no body");
  }
  // Events queued while the last post was on its way go out too.
  _pass(*state);
}

bool VelReporter::_pass(State& state) {
  rapidjson::Document batch(rapidjson::kArrayType);
  _takeBatch(state, batch);
  // Non-ASCII characters leave as \u escapes: the text is then the same in the ANSI code
  // page the curl client assumes and in UTF-8, and the service reads the same JSON.
  rapidjson::StringBuffer buffer;
  rapidjson::PrettyWriter<rapidjson::StringBuffer, rapidjson::UTF8<>, rapidjson::ASCII<>> writer(buffer);
  writer.SetIndent(' ', 4);
  batch.Accept(writer);
  std::string body(buffer.GetString(), buffer.GetSize());
  if (body.size() <= 5) return false;
  if (_send(state, body, batch.Size())) return true;
  // Kept as built, event ids included, so that the service can tell a batch it did receive
  // after all from a new one.
  if (batch.Size() > kUndeliveredLimit) {
    VEL_LOG(L"report dropped %d undelivered events", static_cast<int>(batch.Size() - kUndeliveredLimit));
    batch.Erase(batch.Begin(), batch.Begin() + (batch.Size() - kUndeliveredLimit));
  }
  VEL_LOG(L"report kept %d events for the next pass", static_cast<int>(batch.Size()));
  state.undelivered.Swap(batch);
  return true;
}

void VelReporter::_takeBatch(State& state, rapidjson::Document& batch) {
  batch.Swap(state.undelivered);
  state.undelivered.SetArray();
  rapidjson::Document::AllocatorType& allocator = batch.GetAllocator();
  std::lock_guard<std::recursive_mutex> lock(state.queueLock);
  for (const ReportEvent& event : state.queue) {
    rapidjson::Value item(rapidjson::kObjectType);
    item.AddMember("appId", 1, allocator);
    item.AddMember("eventId", rapidjson::Value(telemetry::guidText().c_str(), allocator), allocator);
    item.AddMember("eventKey", jsonText(event.key, allocator), allocator);
    item.AddMember("timestamp", rapidjson::Value(static_cast<uint64_t>(event.time)), allocator);
    rapidjson::Value properties(rapidjson::kObjectType);
    properties.AddMember("mnq_version", "4.22", allocator);
    properties.AddMember("mnq_mac", jsonText(state.deviceId, allocator), allocator);
    properties.AddMember("device_id", jsonText(state.deviceId, allocator), allocator);
    properties.AddMember("openid", jsonText(state.openid, allocator), allocator);
    properties.AddMember("language", jsonText(state.language, allocator), allocator);
    properties.AddMember("downloader_package", 1, allocator);
    if (event.filler) event.filler(properties, allocator);
    item.AddMember("properties", properties, allocator);
    batch.PushBack(item, allocator);
  }
  state.queue.clear();
}

bool VelReporter::_send(State& state, const std::string& body, size_t count) {
  int64_t timestamp = static_cast<int64_t>(nowSeconds()) * 1000 + static_cast<int64_t>(GetTickCount() % 1000);
  std::string sign = signature(buildconfig::kReportSalt, timestamp, count);
  if (sign.empty()) {
    VEL_LOG(L"md5 calc error!!");
    return false;
  }
  char stamp[32] = {};
  std::snprintf(stamp, sizeof(stamp), "%lld", static_cast<long long>(timestamp));
  std::vector<std::string> headers = {std::string("timestamp: ") + stamp, "signature: " + sign};

  VEL_LOG(L"%s", utility::fromUtf8(body).c_str());
  VEL_LOG(L"post report quest");
  std::string response;
  bool posted = VelCurlDownloader::postRequest(body, response, state.url, headers, &state.abortTransfers);
  if (!posted && !state.abortTransfers.load()) {
    Sleep(kRetryPauseMilliseconds);
    response.clear();
    posted = VelCurlDownloader::postRequest(body, response, state.url, headers, &state.abortTransfers);
  }
  VEL_LOG(L"report ret:%s", utility::fromUtf8(response).c_str());
  return posted;
}
