#include "model/address_worker.h"

#include "model/address_chain.h"
#include "telemetry/event_catalogue.h"
#include "utility/log.h"

void AddressJob::cancel() {
  abort.store(true);
  addressDownloader.cancel();
  requestDownloader.cancel();
  openIdDownloader.cancel();
}

namespace {

// Marks the answers done however the worker ends.
struct AnswersDone {
  explicit AnswersDone(DocumentAnswers& answers) : answers_(answers) {}
  ~AnswersDone() { answers_.markDone(); }
  AnswersDone(const AnswersDone&) = delete;
  AnswersDone& operator=(const AnswersDone&) = delete;
  DocumentAnswers& answers_;
};

}  // namespace

void _threadGetPlayerUrl(const std::shared_ptr<AddressJob>& job) {
  AnswersDone done(*job->answers);
  VEL_LOG(L"start get player url");
  VEL_LOG(L"url:%s", job->cdnAddressUrl.c_str());
  std::string text;
  DocumentRoutes routes =
      playerAddressRoutes(job->addressDownloader, job->cdnAddressUrl, job->secondHostAddressUrl, &job->abort);
  if (!fetchPlayerAddressText(routes, text, &job->abort)) {
    VEL_LOG(L"get play uer is error!");
    if (job->abort.load()) return;
    events::reportDownloadAddressFail();
    job->results.addressFailed();
    return;
  }
  job->results.addressText(text);
  if (job->gamesEmpty) _getPackageByOpenID(*job);
  _threadReqOpenid(*job);
  _threadCustomerInfo(*job);
}

void _getPackageByOpenID(AddressJob& job) {
  if (job.openId.size() > 4 && !job.abort.load()) {
    std::string text = fetchDocumentText(job.openIdDownloader, job.openIdConfigUrl, L"get package data by velcurl ",
                                         &job.abort);
    std::vector<GameRecord> games;
    Branding branding;
    readGameList(text, games);
    readBranding(text, branding);
    job.answers->setBranding(branding);
    job.results.campaign(std::move(games), std::move(branding));
  }
  VEL_LOG(L"package is %s", job.packageName.c_str());
}

void _threadReqOpenid(AddressJob& job) {
  if (job.abort.load()) return;
  VEL_LOG(L"%s ", job.channelUrl.c_str());
  std::string text = fetchDocumentText(job.requestDownloader, job.channelUrl, L"error 1111", &job.abort);
  std::wstring channelId;
  switch (readChannelAnswer(text, channelId)) {
    case ChannelAnswer::kNotAnObject:
      VEL_LOG(L"it is not json");
      break;
    case ChannelAnswer::kCodeNotRight:
      VEL_LOG(L"code not right");
      break;
    case ChannelAnswer::kNoChannel:
      break;
    case ChannelAnswer::kStored:
      job.answers->setChannelId(channelId);
      job.results.channelId(channelId);
      break;
  }
}

void _threadCustomerInfo(AddressJob& job) {
  if (job.abort.load()) return;
  VEL_LOG(L"start get curstomer info");
  std::string text = fetchDocumentText(job.requestDownloader, job.customerInfoUrl, L"error 1111", &job.abort);
  CustomerInfo info;
  CustomerInfoResult result = readCustomerInfo(text, job.languageCode, info);
  if (result == CustomerInfoResult::kNotAnObject) VEL_LOG(L"customer usrl is not json");
  if (result == CustomerInfoResult::kRead) job.results.customerInfo(info);
}
