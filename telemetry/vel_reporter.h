#pragma once
// Batches the installer's business events and posts them, signed, to the collection
// service from one background thread. Producers only queue; delivery is best effort.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <vector>

#include <rapidjson/document.h>

#include "core/worker_thread.h"
#include "utility/unique_handle.h"

// Adds an event's own members to its "properties" object.
using PropertiesFiller = std::function<void(rapidjson::Value& properties, rapidjson::Document::AllocatorType& allocator)>;

class VelReporter {
 public:
  static constexpr DWORD kWaitMilliseconds = 20000;
  static constexpr DWORD kStopLimitMilliseconds = 8000;

  // The process-wide reporter.
  static VelReporter& instance();

  // url: where the batches go; defaults to the collection service's upload address.
  explicit VelReporter(std::string url = std::string());
  ~VelReporter();
  VelReporter(const VelReporter&) = delete;
  VelReporter& operator=(const VelReporter&) = delete;

  // Stores the identity, creates the wake-up event and starts the worker. Once only.
  void start(const std::wstring& openid, const std::wstring& deviceId, const std::wstring& language);
  // Queues one event (any thread). Discarded while the 4.0 player variant is selected.
  void addEvent(const std::wstring& key, PropertiesFiller filler = PropertiesFiller());
  // Asks the worker for a pass now.
  void wakeUp();
  // Last pass over the queue, then the worker ends (terminated after limitMilliseconds).
  void stop(DWORD limitMilliseconds = kStopLimitMilliseconds);

  size_t queuedCount();

  // The parts of one batch, exposed for the tests.
  static std::string signText(const char* salt, int64_t timestamp, size_t eventCount);
  // The last 8 digits of the sign text's MD5, or empty when the digest failed.
  static std::string signature(const char* salt, int64_t timestamp, size_t eventCount);

 private:
  struct ReportEvent {
    std::wstring key;
    uint64_t time = 0;
    PropertiesFiller filler;
  };

  void _threadReport();
  // Builds the body from the queue and empties it; count receives the number of events.
  std::string _takeBody(size_t& count);
  void _send(const std::string& body, size_t count);

  std::string url_;
  std::list<ReportEvent> queue_;
  std::recursive_mutex queueLock_;
  WorkerThread thread_;
  utility::UniqueHandle wakeEvent_;
  std::wstring openid_;
  std::wstring deviceId_;
  std::wstring language_;
  std::atomic<bool> stop_{false};
  bool started_ = false;
};
