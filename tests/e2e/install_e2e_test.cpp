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

  // The player the setup laid out is on the disk, and was not before the run.
  const std::wstring player = verdict.installFolder + L"ovplayer.exe";
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(player.c_str())) << utility::toUtf8(player);
  for (const auto& existing : before) {
    EXPECT_NE(0, _wcsicmp((drive + existing.first).c_str(), player.c_str())) << "there before the run";
  }
}
