// The boxes whose buttons reach the service, against the stand-in: the download error box's
// retry resumes the partial file, and the customer document's error text.
#include <gtest/gtest.h>

#include <string>

#include "core/main_thread_dispatcher.h"
#include "identity/config_imp.h"
#include "model/downloader_model.h"
#include "telemetry/vel_reporter.h"
#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"
#include "tests/ui/box_fixture.h"
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

class BoxServiceTest : public boxes::BoxTest {
 protected:
  static void SetUpTestSuite() {
    VelCurlDownloader::globalInit();
    MainThreadDispatcher::createInstance();
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

TEST_F(BoxServiceTest, TheCustomerDocumentsErrorTextReplacesTheBoxesMessage) {
  ASSERT_TRUE(standinServe("/player_files/en/morvane", addressDocument()));
  ASSERT_TRUE(standinServe("/player_files/en/morvaneex", R"({"en":{"installError":"Please try once more"}})"));
  model_->startAddressWorker();
  ASSERT_TRUE(gallery::pump([&] { return !model_->installErrorText().empty(); }, 20000));
  VelDownloaderErrorBox* download = VelDownloaderErrorBox::show(owner_, nullptr);
  ASSERT_NE(nullptr, download);
  EXPECT_EQ(L"Please try once more", download->findControl(L"descriptlabel")->text());
  VelInstallErrorBox* install = VelInstallErrorBox::show(owner_, nullptr);
  ASSERT_NE(nullptr, install);
  EXPECT_EQ(L"Please try once more", install->findControl(L"descriptlabel")->text());
}

}  // namespace
