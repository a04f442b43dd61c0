#include "model/document_answers.h"

DocumentAnswers::DocumentAnswers() : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

void DocumentAnswers::setBranding(const Branding& branding) {
  std::lock_guard<std::mutex> guard(lock_);
  answers_.branding = branding;
  answers_.campaignArrived = true;
}

void DocumentAnswers::setChannelId(const std::wstring& channelId) {
  std::lock_guard<std::mutex> guard(lock_);
  answers_.channelId = channelId;
  answers_.channelArrived = true;
}

void DocumentAnswers::markDone() {
  if (done_) SetEvent(done_.get());
}

DocumentAnswers::Snapshot DocumentAnswers::waitAndRead(DWORD limitMilliseconds, HANDLE stopEvent) const {
  if (done_) {
    HANDLE handles[2] = {done_.get(), stopEvent};
    WaitForMultipleObjects(stopEvent ? 2 : 1, handles, FALSE, limitMilliseconds);
  }
  return read();
}

DocumentAnswers::Snapshot DocumentAnswers::read() const {
  std::lock_guard<std::mutex> guard(lock_);
  return answers_;
}
