// The normal install clicked through as a user does it, by the steps of flow_steps.tsv (the
// table scripts/demo --auto runs too), judged by what the stand-ins and the disk show.
#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"
#include "utility/encoding.h"

using namespace e2e;
using namespace testing_support;

class InstallFlow : public InstallerFlow {};

TEST_F(InstallFlow, ANormalInstallClickedThroughInstallsBrandsAndReports) {
  const std::wstring drive = systemDriveRoot();
  const auto before = listFiles(drive);
  ChildProcess* installer = start(campaignCopy());
  ASSERT_NE(nullptr, installer);
  for (const FlowStep& step : readFlowSteps(flowStepsTable())) {
    std::string why;
    bool held = runFlowStep(step, *installer, setupRecord_, &why);
    shoot(findMainWindow(installer->processId(), 0), utility::fromUtf8(step.name));
    ASSERT_TRUE(held) << step.name << ": " << why;
  }
  InstallVerdict verdict = judgeInstall(setupRecord_);
  watchFolder(verdict.installFolder);
  EXPECT_TRUE(verdict.installed()) << verdict.line();
  EXPECT_NE(std::string::npos, verdict.setupCommandLine.find("-openid=" + std::string(kOpenId)));

  // The player the setup laid out is new on the disk.
  bool player = false;
  for (const std::wstring& added : addedFiles(before, listFiles(drive))) {
    player = player || _wcsicmp((drive + added).c_str(), (verdict.installFolder + L"ovplayer.exe").c_str()) == 0;
  }
  EXPECT_TRUE(player);
}
