#pragma once
// The address worker: fetches the player address document, then the campaign's
// configuration, the machine channel id and the customer information, and hands each
// result to the window thread. It works on copies and on objects it co-owns, so a worker
// left running at exit touches nothing that is gone.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/document_answers.h"
#include "model/service_documents.h"
#include "utility/http_downloader.h"

// Results, each called on the address worker; the model posts them to the window thread.
struct AddressResults {
  std::function<void(const std::string& text)> addressText;  // the address document's text
  std::function<void()> addressFailed;                       // every attempt failed
  std::function<void(std::vector<GameRecord> games, Branding branding)> campaign;
  std::function<void(const std::wstring& channelId)> channelId;
  std::function<void(const CustomerInfo& info)> customerInfo;
};

struct AddressJob {
  // What the worker reads, copied on the window thread before it starts.
  std::wstring cdnAddressUrl;
  std::wstring secondHostAddressUrl;
  std::wstring openId;
  std::wstring packageName;
  std::wstring openIdConfigUrl;
  std::wstring channelUrl;  // with the machine id
  std::wstring customerInfoUrl;
  std::wstring languageCode;  // the customer document's member
  bool gamesEmpty = true;
  AddressResults results;
  // The branding and the channel id as they arrive, for the setup run; done when the
  // worker ends, on every path.
  std::shared_ptr<DocumentAnswers> answers = std::make_shared<DocumentAnswers>();

  // Shared with the model, which cancels them at shutdown.
  utility::CHttpDownloader addressDownloader;
  utility::CHttpDownloader requestDownloader;
  utility::CHttpDownloader openIdDownloader;
  std::atomic<bool> abort{false};

  void cancel();
};

// The worker's body.
void _threadGetPlayerUrl(const std::shared_ptr<AddressJob>& job);
void _getPackageByOpenID(AddressJob& job);
void _threadReqOpenid(AddressJob& job);
void _threadCustomerInfo(AddressJob& job);
