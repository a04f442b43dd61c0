#pragma once
// Batches the installer's business events and posts them, signed, to the collection
// service from one background thread. Producers only queue; delivery is best effort, but a
// batch the service did not answer (both posts of a pass failed) goes out again with the
// next pass, the exit's included: its newest kUndeliveredLimit events are kept.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
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
  static constexpr size_t kUndeliveredLimit = 100;

  // The process-wide reporter; never destroyed.
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
  // Lets a post in progress finish, makes one last pass over whatever is queued, and ends
  // the worker; a post still running near the limit is aborted, and a worker still running
  // at the limit is abandoned with its own reference to everything it uses.
  void stop(DWORD limitMilliseconds = kStopLimitMilliseconds);

  size_t queuedCount();

  // The parts of one batch, exposed for the tests.
  static std::string signText(const char* salt, int64_t timestamp, size_t eventCount);
  // The last 8 digits of the sign text's MD5, or empty when the digest failed.
  static std::string signature(const char* salt, int64_t timestamp, size_t eventCount);

 private:
  // How much of the stop limit is kept for aborting a post that has not finished.
  static constexpr DWORD kAbortMilliseconds = 1000;

  struct ReportEvent {
    std::wstring key;
    uint64_t time = 0;
    PropertiesFiller filler;
  };
  // Everything the worker touches; it holds its own reference, so an abandoned worker
  // never reaches freed memory.
  struct State {
    std::string url;
    std::list<ReportEvent> queue;
    std::recursive_mutex queueLock;
    utility::UniqueHandle wakeEvent;
    std::wstring openid;
    std::wstring deviceId;
    std::wstring language;
    std::atomic<bool> stop{false};
    std::atomic<bool> abortTransfers{false};
    // The built events of a batch that was not delivered, oldest first; the worker's alone.
    rapidjson::Document undelivered{rapidjson::kArrayType};
  };

  static void _threadReport(const std::shared_ptr<State>& state);
  // Posts what was not delivered before and the queue; false when there was nothing to post.
  static bool _pass(State& state);
  // Moves the undelivered events into batch, then builds the queue's after them and empties it.
  static void _takeBatch(State& state, rapidjson::Document& batch);
  // True when the service answered.
  static bool _send(State& state, const std::string& body, size_t count);

  std::shared_ptr<State> state_;
  WorkerThread thread_;
  bool started_ = false;
};
