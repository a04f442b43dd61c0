#include "telemetry/google_analytics.h"

#include <utility>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "core/runable.h"
#include "telemetry/text_ids.h"
#include "utility/encoding.h"
#include "utility/log.h"
#include "utility/vel_curl_downloader.h"
#include "vel_build_config.h"

namespace vbox {

namespace {

constexpr size_t kIdentifierMinimum = 10;
constexpr char kEventCategory[] = "4.22";

// The default poster; abort ends a post in progress.
GoogleAnalytics::Poster curlPoster(const std::atomic<bool>* abort) {
  return [abort](const std::string& body, const std::string& url) {
    std::string response;
    VelCurlDownloader::postRequest(body, response, url, std::vector<std::string>(), abort);
  };
}

// The texts pass through the ANSI code page on their way in, as the identifier is kept in it.
std::string ansiAsUtf8(const std::string& ansi) { return utility::toUtf8(utility::fromAnsi(ansi)); }

}  // namespace

GoogleAnalytics::GoogleAnalytics(Poster poster, AdapterLister adapters, std::wstring origin)
    : state_(std::make_shared<SharedState>()),
      adapters_(adapters ? std::move(adapters) : &listAdapterAddresses),
      origin_(origin.empty() ? std::wstring(buildconfig::kAnalyticsOrigin) : std::move(origin)) {
  // The poster lives in the state it points into, so the flag outlives every post.
  state_->poster = poster ? std::move(poster) : curlPoster(&state_->abortTransfers);
  std::shared_ptr<SharedState> state = state_;
  worker_.start(makeRunable([state] { _threadSend(state); }));
}

GoogleAnalytics::~GoogleAnalytics() {
  {
    std::lock_guard<std::mutex> lock(state_->lock);
    state_->stop = true;
  }
  state_->wake.notify_all();
  // An idle worker ends at once; one with posts to make gets some time to send what is
  // queued, then its post in progress is aborted and the rest dropped. A worker that is
  // still not done is abandoned with its own reference to the state, so nothing it
  // touches goes away under it.
  if (!worker_.waitForEnd(kDestroyWaitMilliseconds - kAbortMilliseconds)) state_->abortTransfers.store(true);
  worker_.stop(kAbortMilliseconds);
}

void GoogleAnalytics::setMeasurement(const std::wstring& measurementId, const std::wstring& apiSecret) {
  measurementId_ = measurementId;
  apiSecret_ = apiSecret;
  std::string url = collectUrl(origin_, measurementId, apiSecret);
  std::lock_guard<std::mutex> lock(state_->lock);
  state_->url = std::move(url);
}

void GoogleAnalytics::calcPCID() {
  if (!clientId().empty()) return;

  std::string id = readRegistryIdentifier();
  if (id.size() > kIdentifierMinimum) {
    VEL_LOG(L"read pcmac from pc %s", utility::fromAnsi(id).c_str());
    std::lock_guard<std::mutex> lock(state_->lock);
    state_->clientId = id;
    return;
  }

  std::wstring stored = readDataFileIdentifier(dataFilePath());
  VEL_LOG(L"read from morvane %s", stored.c_str());
  id = utility::toAnsi(stored);

  if (id.empty()) {
    id = identifierFromAdapters(adapters_());
    if (id.empty()) id = telemetry::guidText();
    VEL_LOG(L"create pcmac %s", utility::fromAnsi(id).c_str());
  }
  if (id.empty()) return;
  storeRegistryIdentifier(id);
  std::lock_guard<std::mutex> lock(state_->lock);
  state_->clientId = id;
}

std::wstring GoogleAnalytics::getPCID() {
  calcPCID();
  return utility::fromAnsi(clientId());
}

std::string GoogleAnalytics::clientId() {
  std::lock_guard<std::mutex> lock(state_->lock);
  return state_->clientId;
}

void GoogleAnalytics::sendEvent(const std::wstring& name, const std::wstring& label) {
  if (disabled_.load()) return;
  // Normally computed by the model's start-up already; then this returns at once.
  calcPCID();
  std::lock_guard<std::mutex> lock(state_->lock);
  if (state_->queue.size() >= kQueueLimit) return;
  state_->queue.push_back(SendTask{name, label});
  state_->wake.notify_one();
}

void GoogleAnalytics::sendEventNow(const std::wstring& name, const std::wstring& label) {
  if (disabled_.load()) return;
  std::string id, url;
  Poster poster;
  {
    std::lock_guard<std::mutex> lock(state_->lock);
    id = state_->clientId;
    url = state_->url;
    poster = state_->poster;
  }
  poster(payload(id, name, label), url);
}

void GoogleAnalytics::setDisabled(bool disabled) { disabled_.store(disabled); }

size_t GoogleAnalytics::pendingCount() {
  std::lock_guard<std::mutex> lock(state_->lock);
  return state_->queue.size();
}

void GoogleAnalytics::_threadSend(const std::shared_ptr<SharedState>& state) {
  std::unique_lock<std::mutex> lock(state->lock);
  for (;;) {
    state->wake.wait(lock, [&state] { return state->stop || !state->queue.empty(); });
    // Once stopped, what is still queued goes out until the destruction aborts the posts.
    if (state->queue.empty() || state->abortTransfers.load()) break;
    SendTask task = std::move(state->queue.front());
    state->queue.pop_front();
    std::string body = payload(state->clientId, task.name, task.label);
    std::string url = state->url;
    lock.unlock();
    state->poster(body, url);
    lock.lock();
  }
}

std::string GoogleAnalytics::measurementName(const std::wstring& name) {
  std::string text;
  text.reserve(name.size());
  for (wchar_t c : name) {
    bool allowed = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'_';
    text += allowed ? static_cast<char>(c) : '_';
  }
  return text;
}

std::string GoogleAnalytics::payload(const std::string& clientId, const std::wstring& name, const std::wstring& label) {
  std::string id = ansiAsUtf8(clientId);
  std::string nameText = measurementName(name);
  std::string labelText = ansiAsUtf8(utility::toAnsi(label));
  rapidjson::StringBuffer buffer;
  // Non-ASCII leaves as \u escapes: the curl client reads its body in the ANSI code page.
  rapidjson::Writer<rapidjson::StringBuffer, rapidjson::UTF8<>, rapidjson::ASCII<>> writer(buffer);
  writer.StartObject();
  writer.Key("client_id");
  writer.String(id.c_str(), static_cast<rapidjson::SizeType>(id.size()));
  writer.Key("events");
  writer.StartArray();
  writer.StartObject();
  writer.Key("name");
  writer.String(nameText.c_str(), static_cast<rapidjson::SizeType>(nameText.size()));
  writer.Key("params");
  writer.StartObject();
  writer.Key("event_category");
  writer.String(kEventCategory);
  writer.Key("event_label");
  writer.String(labelText.c_str(), static_cast<rapidjson::SizeType>(labelText.size()));
  writer.EndObject();
  writer.EndObject();
  writer.EndArray();
  writer.EndObject();
  return std::string(buffer.GetString(), buffer.GetSize());
}

std::string GoogleAnalytics::collectUrl(const std::wstring& origin, const std::wstring& measurementId,
                                        const std::wstring& apiSecret) {
  return utility::toAnsi(origin + L"/mp/collect?measurement_id=" + measurementId + L"&api_secret=" + apiSecret);
}

}  // namespace vbox
