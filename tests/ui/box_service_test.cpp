// The boxes whose buttons reach the service, against the stand-in: the download error box's
// retry resumes the partial file, the customer document's error text in the install box, and the exit
// confirmation's events before the message loop ends.
#include <gtest/gtest.h>

#include <string>

#include "core/main_thread_dispatcher.h"
#include "identity/config_imp.h"
#include "model/downloader_model.h"
#include "telemetry/vel_reporter.h"
#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"
#include "tests/ui/box_fixture.h"
#include "ui/downloader_box.h"
#include "ui/error_boxes.h"
#include "utility/vel_curl_downloader.h"

using namespace testing_support;

namespace {

constexpr int64_t kSetupBytes = 12 * 1024 * 1024;

std::string addressDocument() {
  const std::string url = "http://127.0.0.1:" + std::to_string(standinPort()) + "/gen/" + std::to_string(kSetupBytes);
  return R"({"mnq9":{"ver":"9.1.2","url":")" + url + R"(","url_spare":")" + url + R"(","md5":"abc"}})";
}

std::vector<RecordedRequest> requestsTo(const std::string& path) {
  std::vector<RecordedRequest> found;
  for (const RecordedRequest& r : standinRequests()) {
    if (r.path == path) found.push_back(r);
  }
  return found;
}

std::string allCollected() {
  std::string all;
  for (const CollectedBatch& batch : standinCollected()) all += batch.body;
  return all;
}

// Pumps like the message loop until WM_QUIT is taken out of the queue; false at the limit.
bool pumpUntilQuit(DWORD milliseconds) {
  const DWORD started = GetTickCount();
  while (GetTickCount() - started < milliseconds) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return true;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return false;
}

class BoxServiceTest : public boxes::BoxTest {
 protected:
  static void SetUpTestSuite() {
    VelCurlDownloader::globalInit();
    MainThreadDispatcher::createInstance();
    // Its periodic pass is 20 s away: a batch sooner than that came from a wake-up.
    VelReporter::instance().start(L"12345", L"device", L"en");
  }
  static void TearDownTestSuite() { VelCurlDownloader::globalCleanup(5000); }
  void SetUp() override {
    ASSERT_TRUE(resetStandin());
    dir_ = makeTempDir(L"boxsvc");
    ConfigImp::instance().resetForTest();
    DownloaderModel::destroyInstance();
    model_ = DownloaderModel::instance();
    model_->initFrom(L"C:\\downloads\\VelPlayer9_ens_12345_x.exe", nullptr);
    model_->setInstallPath(dir_ + L"player\\");
    BoxTest::SetUp();
  }
  void TearDown() override {
    BoxTest::TearDown();
    DownloaderModel::destroyInstance();
    ConfigImp::instance().resetForTest();
    removeTree(dir_);
  }

  std::wstring dir_;
  DownloaderModel* model_ = nullptr;
};

TEST_F(BoxServiceTest, RetryResumesThePartialFile) {
  const int64_t have = 3 * 1024 * 1024 + 17;
  model_->applyPlayerAddressText(addressDocument());
  ASSERT_TRUE(CreateDirectoryW((dir_ + L"player").c_str(), nullptr));
  ASSERT_TRUE(writeFile(model_->setupFilePath() + L".tmp", generatedBytes(0, have)));
  bool succeeded = false;
  ModelCallbacks callbacks;
  callbacks.downloadSucceeded = [&] { succeeded = true; };
  model_->setCallbacks(callbacks);

  VelDownloaderErrorBox* box = VelDownloaderErrorBox::show(owner_, nullptr);
  ASSERT_NE(nullptr, box);
  ASSERT_TRUE(boxes::clickAndWaitGone(box->hwnd(), L"btnLeft"));
  const std::string path = "/gen/" + std::to_string(kSetupBytes);
  ASSERT_TRUE(gallery::pump([&] { return !requestsTo(path).empty(); }, 15000));
  const std::string* range = requestsTo(path)[0].header("Range");
  ASSERT_NE(nullptr, range);
  EXPECT_EQ("bytes=" + std::to_string(have) + "-", *range);
  ASSERT_TRUE(gallery::pump([&] { return succeeded; }, 60000));
  EXPECT_EQ(generatedBytes(0, kSetupBytes), readFile(model_->setupFilePath()));
}

TEST_F(BoxServiceTest, TheCustomerDocumentsErrorTextReplacesTheInstallBoxsMessageOnly) {
  ASSERT_TRUE(standinServe("/player_files/en/morvane", addressDocument()));
  ASSERT_TRUE(standinServe("/player_files/en/morvaneex", R"({"en":{"installError":"Please try once more"}})"));
  model_->startAddressWorker();
  ASSERT_TRUE(gallery::pump([&] { return !model_->installErrorText().empty(); }, 20000));
  VelDownloaderErrorBox* download = VelDownloaderErrorBox::show(owner_, nullptr);
  ASSERT_NE(nullptr, download);
  // A failed download is told as such, not with the setup's error text.
  EXPECT_EQ(L"@downloading_error_tip", download->findControl(L"descriptlabel")->text());
  VelInstallErrorBox* install = VelInstallErrorBox::show(owner_, nullptr);
  ASSERT_NE(nullptr, install);
  EXPECT_EQ(L"Please try once more", install->findControl(L"descriptlabel")->text());
}

TEST_F(BoxServiceTest, YesSendsUserCancelFirstThenTheCancelBatchAtOnceThenEndsTheLoop) {
  DownloaderBox* box = DownloaderBox::show(owner_, 10);
  ASSERT_NE(nullptr, box);
  gallery::pumpFor(30);
  const DWORD clicked = GetTickCount();
  gallery::click(box->hwnd(), gallery::centreOf(box->findControl(L"btnLeft")));
  ASSERT_TRUE(pumpUntilQuit(4000));
  // Nothing pumped or waited for since the action returned: the event was sent within it.
  bool userCancel = false;
  for (const RecordedRequest& r : requestsTo("/mp/collect")) {
    userCancel = userCancel || (r.body.find("\"name\":\"userCancel\"") != std::string::npos &&
                                r.body.find("\"event_label\":\"12345\"") != std::string::npos);
  }
  EXPECT_TRUE(userCancel);
  ASSERT_TRUE(gallery::pump([] { return allCollected().find("\"cancel_download\"") != std::string::npos; }, 6000))
      << "the batch waited for the reporter's periodic pass";
  EXPECT_LT(GetTickCount() - clicked, 8000u);
  const std::string events = allCollected();
  EXPECT_NE(std::string::npos, events.find("\"ext_field\": \"notDownload\"", events.find("\"cancel_download\"")));
  EXPECT_FALSE(IsWindowVisible(owner_)) << "the owner was shown again";
  EXPECT_EQ(nullptr, DownloaderBox::current());
}

}  // namespace
