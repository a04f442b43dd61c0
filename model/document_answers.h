#pragma once
// What the campaign's documents said that the setup run's branding needs: the branding and
// the machine channel id. The address worker fills it as its documents arrive and marks it
// done when it has fetched (or given up on) all of them; the setup-run worker, once the
// setup has run, waits for that within a bound and takes what has arrived. Any thread.
#include <windows.h>

#include <mutex>
#include <string>

#include "model/service_documents.h"
#include "utility/unique_handle.h"

class DocumentAnswers {
 public:
  struct Snapshot {
    bool campaignArrived = false;
    Branding branding;
    bool channelArrived = false;
    std::wstring channelId;
  };

  DocumentAnswers();
  DocumentAnswers(const DocumentAnswers&) = delete;
  DocumentAnswers& operator=(const DocumentAnswers&) = delete;

  void setBranding(const Branding& branding);
  void setChannelId(const std::wstring& channelId);
  // No further answer comes.
  void markDone();

  // Waits until done, limitMilliseconds passed or stopEvent (may be null) is set; then
  // returns what has arrived.
  Snapshot waitAndRead(DWORD limitMilliseconds, HANDLE stopEvent) const;
  Snapshot read() const;

 private:
  mutable std::mutex lock_;
  Snapshot answers_;  // under lock_
  utility::UniqueHandle done_;
};
