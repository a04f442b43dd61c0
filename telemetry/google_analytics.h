#pragma once
// The analytics measurement client: queues events for one background worker, or sends one
// at once on the caller's thread when the process is about to end. It also owns the machine
// identifier (the client id) that both telemetry channels use.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/worker_thread.h"
#include "telemetry/pc_identifier.h"

namespace vbox {

class GoogleAnalytics {
 public:
  static constexpr size_t kQueueLimit = 100;
  // How long destruction waits for a worker that is still posting (it sends what is queued
  // meanwhile) before leaving it to finish on its own; for the last kAbortMilliseconds of it
  // the post is being aborted and nothing more is sent.
  static constexpr unsigned kDestroyWaitMilliseconds = 2000;
  static constexpr unsigned kAbortMilliseconds = 1000;

  // Posts one body to one address; the result is not used.
  using Poster = std::function<void(const std::string& body, const std::string& url)>;
  using AdapterLister = std::function<std::vector<AdapterAddress>()>;

  // Defaults: the curl client's JSON post, the system's adapter list, and the configured
  // analytics origin.
  explicit GoogleAnalytics(Poster poster = Poster(), AdapterLister adapters = AdapterLister(),
                           std::wstring origin = std::wstring());
  ~GoogleAnalytics();
  GoogleAnalytics(const GoogleAnalytics&) = delete;
  GoogleAnalytics& operator=(const GoogleAnalytics&) = delete;

  void setMeasurement(const std::wstring& measurementId, const std::wstring& apiSecret);
  const std::wstring& measurementId() const { return measurementId_; }
  const std::wstring& apiSecret() const { return apiSecret_; }

  // Fills the client id once per process: registry, data file, adapters, then a GUID.
  void calcPCID();
  std::wstring getPCID();
  std::string clientId();

  // Queues the event for the worker; never waits for the network (any thread).
  void sendEvent(const std::wstring& name, const std::wstring& label);
  // Builds and posts the event on the calling thread.
  void sendEventNow(const std::wstring& name, const std::wstring& label);
  // After this no event is accepted (the model's teardown at shutdown).
  void setDisabled(bool disabled);

  size_t pendingCount();

  // The name an event goes under to the measurement service, whose event names hold only
  // letters, digits and underscores: every other character becomes "_" ("installByHomePage3.0"
  // is sent as "installByHomePage3_0"). The catalogue keeps its own names.
  static std::string measurementName(const std::wstring& name);
  // The parts of one send, exposed for the tests.
  static std::string payload(const std::string& clientId, const std::wstring& name, const std::wstring& label);
  static std::string collectUrl(const std::wstring& origin, const std::wstring& measurementId,
                                const std::wstring& apiSecret);

 private:
  struct SendTask {
    std::wstring name;
    std::wstring label;
  };
  // Everything the worker touches; the worker holds its own reference, so a worker that is
  // still posting when the client goes keeps it alive until it ends.
  struct SharedState {
    std::mutex lock;
    std::condition_variable wake;
    std::deque<SendTask> queue;
    std::string clientId;
    std::string url;
    Poster poster;
    bool stop = false;
    // Ends the default poster's transfer in progress, and the sending (destruction).
    std::atomic<bool> abortTransfers{false};
  };

  static void _threadSend(const std::shared_ptr<SharedState>& state);

  std::shared_ptr<SharedState> state_;
  AdapterLister adapters_;
  std::wstring origin_;
  std::wstring measurementId_;
  std::wstring apiSecret_;
  std::atomic<bool> disabled_{false};
  // Started by the constructor, so it belongs to the constructing thread with the client.
  WorkerThread worker_;
};

}  // namespace vbox
