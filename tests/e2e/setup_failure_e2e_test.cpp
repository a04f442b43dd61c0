// The player setup failing, through the real installer: a setup that reports an error code
// over the window endpoint, and one that outlives the setup wait limit (10 s in the test
// tree, see cmake/build_config.cmake). Both bring the install error box, and the event
// "install_fail" says why.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/e2e/e2e_support.h"

using namespace e2e;
using namespace testing_support;

class SetupFailureFlow : public InstallerFlow {
 protected:
  // Install pressed, the setup ran, the install error box came; nullptr when not.
  HWND runToInstallErrorBox(ChildProcess** started, HWND* mainWindow, DWORD boxTimeoutMilliseconds) {
    ChildProcess* installer = launch(mainWindow);
    *started = installer;
    if (!installer) {
      ADD_FAILURE() << "no main window";
      return nullptr;
    }
    std::string why;
    if (!pressInstall(*installer, &why)) {
      ADD_FAILURE() << why;
      return nullptr;
    }
    if (!waitForSetup(120000)) {
      ADD_FAILURE() << "the setup did not run";
      return nullptr;
    }
    HWND box = waitForWindowOfClass(installer->processId(), L"VelInstallErrorBox", boxTimeoutMilliseconds);
    if (!box) {
      ADD_FAILURE() << "no install error box";
      return nullptr;
    }
    pumpFor(500);
    shoot(box, L"install_error_box");
    shoot(*mainWindow, L"main");
    return box;
  }

  static void expectNoSuccess() {
    std::vector<std::string> keys = collectedEventKeys();
    EXPECT_EQ(keys.end(), std::find(keys.begin(), keys.end(), "install_success"));
    EXPECT_EQ(keys.end(), std::find(keys.begin(), keys.end(), "downloader_full_duration"));
  }
};

TEST_F(SetupFailureFlow, AnErrorCodeFromTheSetupShowsTheBoxAndIsReported) {
  ASSERT_TRUE(configureStandinSetup(dir_ + L"standin_setup.ini", setupRecord_, L"fail", {L"code=5"}));
  ChildProcess* installer = nullptr;
  HWND window = nullptr;
  HWND box = runToInstallErrorBox(&installer, &window, 60000);
  ASSERT_NE(nullptr, box);
  // The setup ended after its report; the finish page must not replace the error.
  pumpFor(2000);
  EXPECT_TRUE(IsWindowVisible(box));
  // The box's left button ends the installer.
  ASSERT_TRUE(clickAt(box, at::kErrorBoxLeft));
  ASSERT_NE(-1, installer->waitForExit(20000)) << "the installer did not end";
  EXPECT_TRUE(inOrder(collectedEventKeys(),
                      {"run_downloader", "start_downloader", "download_success", "download_duration", "install_fail"}));
  EXPECT_EQ("errorcode_5", collectedProperty("install_fail", "failure_reason"));
  expectNoSuccess();
}

TEST_F(SetupFailureFlow, ASetupOutlivingTheWaitLimitIsATimeout) {
  // Silent for longer than the limit; it is ended at tear-down.
  ASSERT_TRUE(configureStandinSetup(dir_ + L"standin_setup.ini", setupRecord_, L"none", {L"delay_ms=60000"}));
  ChildProcess* installer = nullptr;
  HWND window = nullptr;
  HWND box = runToInstallErrorBox(&installer, &window, 40000);
  ASSERT_NE(nullptr, box);
  // The setup is still running: the installer stopped waiting, it did not end the setup.
  EXPECT_FALSE(processesNamed(L"VelPlayer.exe").empty());
  // The right button closes the box and ends the installer too.
  ASSERT_TRUE(clickAt(box, at::kErrorBoxRight));
  ASSERT_NE(-1, installer->waitForExit(20000)) << "the installer did not end";
  EXPECT_TRUE(inOrder(collectedEventKeys(), {"run_downloader", "start_downloader", "download_success", "install_fail"}));
  EXPECT_EQ("timeout", collectedProperty("install_fail", "failure_reason"));
  expectNoSuccess();
}
