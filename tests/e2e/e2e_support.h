#pragma once
// The end-to-end harness: runs the real installer executable under Wine against the
// stand-in service and judges it from outside, through what a user or the machine would see
// (windows, pixels, files, the requests and events at the stand-in), never through hooks
// inside the program.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/support/standin_http.h"
#include "tests/support/test_support.h"
#include "utility/com_apartment.h"

namespace e2e {

using testing_support::RecordedRequest;

// A variable of this process's environment; empty when unset or too long.
std::wstring environment(const wchar_t* name);
// The installer under test: $VEL_E2E_INSTALLER when set, else the one built beside the tests.
std::wstring installerExe();

// Copies the installer into folder under a campaign copy's file name (".exe" added), the
// way a campaign hands it out: "<variant>_<region>_<openid>_<ad id>" or with a game
// "<variant>_<region>_<package>_<openid>_<ad id>". Returns the copy's path, empty on failure.
std::wstring copyAsCampaign(const std::wstring& folder, const std::wstring& campaignName);

// Arms a fault at the stand-in ("path=...&fault=...&..." as /_control/arm takes it).
bool armFault(const std::string& query);
// The stand-in's origin, "http://127.0.0.1:<port>".
std::string standinOrigin();
// Serves text at path with "URL" replaced by the stand-in's origin.
bool serveDocument(const std::string& path, std::string text);
// The lines of a text file (UTF-8), without their ends; none when it is absent.
std::vector<std::string> readLines(const std::wstring& path);

// Serves the complete set of service documents (tests/e2e/campaign.tsv) for openId.
bool serveCampaignDocuments(const std::string& openId);
// Serves the stand-in setup at both package addresses of a variant ("VelPlayer9.0.exe"),
// padded past the 10 MiB a downloaded setup must exceed and signed (bin/codesign): 11 MiB and
// a little, or 20 MiB and a little for size 20 MiB. The padding follows the program, which
// Windows does not read, so it still runs as the stand-in setup.
bool servePaddedSetup(const std::string& packageFile, int64_t size = 11 * 1024 * 1024);
// The bytes servePaddedSetup serves for size.
std::string paddedSetupBytes(int64_t size = 11 * 1024 * 1024);
// Writes the stand-in setup's control file (see tests/support/standin_setup.cpp) and points
// VEL_STANDIN_SETUP_INI at it, which the installer's children inherit.
// extraSettings: more "key=value" lines of the control file ("code=5", "delay_ms=20000").
bool configureStandinSetup(const std::wstring& controlFile, const std::wstring& recordFile,
                           const std::wstring& result = L"success",
                           const std::vector<std::wstring>& extraSettings = {});
// Points the installer at an install folder the way an installed player does: the
// InstallDir value of the player's key under HKEY_CURRENT_USER (variant 9, outside China).
// Without it the installer picks the drive with the most free space, under Wine the host's
// root (Z:), which every test session on the machine shares. Empty folder: the value is
// removed.
bool pointInstallFolder(const std::wstring& folder);
// Arms a fault at the stand-in for the next count requests to path (a query text such as
// "fault=close_after&bytes=100", see tests/standin/service.py).
bool armFault(const std::string& path, const std::string& fault, int count = 1);

// Where the controls are, in client coordinates of their windows: the main window's from
// mainframe.xml, the fixed boxes' from their layouts. The boxes are skinned top-level windows
// without a frame, so their client area is the whole layout. The generic box's buttons are
// as wide as their texts; they are found on its button row (messageBoxButtons).
namespace at {
// Main window ("cmainframe", 640 x 400).
constexpr POINT kInstall = {320, 220};
constexpr POINT kInstallWithPathRow = {320, 254};  // when the path row shows
constexpr POINT kSetupPath = {320, 264};           // userdefinitionBtn
constexpr POINT kClose = {622, 19};
constexpr POINT kStart = {320, 309};               // tastenowbtn on the finish page
// Exit confirmation ("box", downloaderbox.xml, 436 x 236): two 100 px buttons, 16 apart,
// centred on the row 28 px above the bottom.
constexpr POINT kExitYes = {160, 192};
constexpr POINT kExitNo = {276, 192};
// Download and install error boxes ("downloadErrorBox", "VelInstallErrorBox", 456 x 296):
// two 150 px buttons, 16 apart, above the 44 px contact row.
constexpr POINT kErrorBoxLeft = {145, 236};
constexpr POINT kErrorBoxRight = {311, 236};
// Generic box ("MessageBoxWindow", 400 x 200): the centre line of "bottombar", a 30 px row
// 20 px above the bottom.
constexpr int kMessageBoxButtonRow = 165;
}  // namespace at

// The top-level windows of a process with a window class (visible ones only when visible).
std::vector<HWND> windowsOfClass(DWORD processId, const wchar_t* className, bool visibleOnly = true);
// Waits for a visible window of the class; null when none came in time.
HWND waitForWindowOfClass(DWORD processId, const wchar_t* className, DWORD timeoutMilliseconds);
// The centres of a generic box's buttons, left to right, found on its button row of a
// screenshot as runs of pixels that are not the box's white; client coordinates. Waits up
// to 5 s for the box's first paint; empty when no button showed.
std::vector<POINT> messageBoxButtons(HWND box);

// Processes of this Wine session whose image file name is name (case-insensitive).
std::vector<DWORD> processesNamed(const std::wstring& imageName);
// Every process of the session whose image lies under one of folders, and every descendant
// of this process; the harness itself and Wine's own programs (under the Windows folder)
// excluded.
std::vector<DWORD> processesToEnd(const std::vector<std::wstring>& folders);
// Terminates them and waits for each a little; returns how many were ended.
size_t endProcesses(const std::vector<DWORD>& ids);

// The installer's top-level window: class "cmainframe", owned by processId (0: any process).
HWND findMainWindow(DWORD processId, DWORD timeoutMilliseconds);
// The top-level windows of a process, visible or not.
std::vector<HWND> topLevelWindows(DWORD processId);
// A click at a client point, posted as a user's mouse would send it: a move, the left
// button down, then up. False when the window refused a message (gone).
bool clickAt(HWND window, POINT client);
// A key pressed and released, posted as the keyboard would send it to the focused window.
bool pressKey(HWND window, WPARAM virtualKey);

// The centre of the first or the last button of a generic box (messageBoxButtons); {-1, -1}
// when the box showed none.
POINT boxButton(HWND box, bool first);


// A window's picture taken from outside the process: PrintWindow, and where that draws
// nothing (another process's window under Wine) the window's rectangle of the screen.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> bgra;          // top-down rows
  bool fromScreen = false;            // PrintWindow drew nothing; the screen's pixels
  uint32_t rgb(int x, int y) const;   // 0xRRGGBB; 0xFFFFFFFF outside
  bool empty() const { return width == 0 || height == 0; }
};
Screenshot captureWindow(HWND window);
// Saved as a PNG at path; false on failure.
bool writePng(const Screenshot& shot, const std::wstring& path);
// Saved as a PNG under the build tree's e2e screenshot folder; returns the file's path
// (as Wine sees it), empty on failure.
std::wstring saveScreenshot(const Screenshot& shot, const std::wstring& fileName);
std::wstring screenshotDir();

// A window of another process as a screen reader reads it: its accessibility object
// (AccessibleObjectFromWindow, OBJID_CLIENT), its name and its children.
struct AccessibleChild {
  std::wstring name;
  long role = 0;   // ROLE_SYSTEM_*
  long state = 0;  // STATE_SYSTEM_*
  std::wstring defaultAction;
  RECT location{};  // screen coordinates
};
struct AccessibleTree {
  bool reached = false;
  std::wstring name;
  std::vector<AccessibleChild> children;
  // The first child of the role whose name contains part; null when there is none.
  const AccessibleChild* find(long role, const std::wstring& part = std::wstring()) const;
  // "name [role state]" per child, for failure messages.
  std::string describe() const;
};
// The caller's thread must be in a COM apartment (utility::ComApartment).
AccessibleTree readAccessibleTree(HWND window);
// Runs a child's default action through the accessibility object, as a screen reader does.
bool doAccessibleDefaultAction(HWND window, long childId);

// The files under root (relative paths, folders end in "\"), with their sizes.
std::map<std::wstring, uint64_t> listFiles(const std::wstring& root);
// What appeared between two listings.
std::vector<std::wstring> addedFiles(const std::map<std::wstring, uint64_t>& before,
                                     const std::map<std::wstring, uint64_t>& after);
// The Wine prefix's C: drive root, e.g. "C:\".
std::wstring systemDriveRoot();

// The events that reached the stand-in, in arrival order: the "eventKey" of every event of
// every accepted batch at the collection service, and the event names at the analytics one.
std::vector<std::string> collectedEventKeys();
std::vector<std::string> analyticsEventNames();
// The collection service's events with their properties (string and number members as
// text), in arrival order; batch is the index in standinCollected().
struct CollectedEvent {
  size_t batch = 0;
  std::string key;
  std::map<std::string, std::string> properties;
};
std::vector<CollectedEvent> collectedEvents();
// The property of the first accepted event key, empty when there is none.
std::string collectedProperty(const std::string& key, const std::string& property);
// The analytics events (name and "event_label") that reached the stand-in.
struct AnalyticsEvent {
  std::string name;
  std::string label;
};
std::vector<AnalyticsEvent> analyticsEvents();
// The requests the stand-in saw for path, in order.
std::vector<RecordedRequest> requestsTo(const std::string& path);
// A WinInet request of the installer (its fixed user agent); curl sends none.
bool fromWinInet(const RecordedRequest& request);
// True when want appears in have in the same order (other items may come between).
bool inOrder(const std::vector<std::string>& have, const std::vector<std::string>& want);

// One step of a flow table (tests/e2e/flow_steps.tsv, whose format it describes): a click
// at a client point of the installer's main window, then a condition to wait for.
struct FlowStep {
  std::string name;
  bool click = false;
  POINT point = {0, 0};
  std::string wait;
  DWORD seconds = 30;
};
std::wstring flowStepsTable();  // the table of the normal install flow
// A step made in code: click (when given) and wait as a table's line would say.
FlowStep flowStep(const std::string& name, const POINT* click, const std::string& wait, DWORD seconds);
// The events of a normal successful run, in their order.
const std::vector<std::string>& normalRunEvents();
std::vector<FlowStep> readFlowSteps(const std::wstring& table);
// Clicks and waits as the step says, for installer; setupRecord is where the stand-in setup
// records its command line. False with the reason when the step did not hold in time.
bool runFlowStep(const FlowStep& step, testing_support::ChildProcess& installer, const std::wstring& setupRecord,
                 std::string* why);

// What a finished install left, read from the stand-ins: the setup's recorded command line,
// the install folder it names, the branding files there, and the events at the collection.
struct InstallVerdict {
  std::string setupCommandLine;  // empty: the setup did not run
  std::wstring installFolder;
  int brandingFiles = 0;         // of the three: two launch images and the campaign icon
  std::vector<std::string> events;
  bool installed() const;        // the setup ran silently, all branding files, the events in order
  std::string line() const;      // the one-line verdict
};
InstallVerdict judgeInstall(const std::wstring& setupRecord);

// The fixture of a flow: a folder of its own, a reset stand-in serving the documents and
// the padded setup for the campaign VelPlayer9_ens_<kOpenId>_e2e, the stand-in setup's
// control file, the install folder "player\" in the test's folder, and at the end every process it started or that came from its folders ended
// (also when the test failed) and the folder removed.
class InstallerFlow : public ::testing::Test {
 protected:
  static const char kOpenId[];
  void SetUp() override;
  void TearDown() override;

  // The campaign copy in the test's folder.
  std::wstring campaignCopy(const std::wstring& name = L"VelPlayer9_ens_10203_e2e");
  // Starts exe (with arguments) and keeps it, to be ended at tear-down; nullptr on failure.
  testing_support::ChildProcess* start(const std::wstring& exe, const std::wstring& arguments = L"");
  // Folders whose processes tear-down ends too (the install folder, say).
  void watchFolder(const std::wstring& folder) { watched_.push_back(folder); }
  // Takes and saves a screenshot named "<test>_<step>.png"; false when none could be taken.
  bool shoot(HWND window, const std::wstring& step);
  // Records folder as the installed player's folder (the registry value an earlier install
  // left, which the installer proposes), so that the install lands in the test's own folder;
  // the values are removed at tear-down.
  bool useInstallFolder(const std::wstring& folder);
  // Makes the player and the console the stand-in setup lays out in folder record their
  // command lines ("<program>.calls"), and returns the record of each.
  struct PlayerCalls {
    std::wstring player;
    std::wstring console;
  };
  PlayerCalls recordPlayerCalls(const std::wstring& folder);
  // The desktop folder of this session's user.
  static std::wstring desktopDir();

  // Starts the campaign copy and waits for its main window to show; nullptr when it did not.
  testing_support::ChildProcess* launch(HWND* mainWindow);
  // Clicks Install (again every few seconds, as a user would) until the setup's first
  // request reached the stand-in.
  bool pressInstall(testing_support::ChildProcess& installer, std::string* why);
  // Waits for the setup to record its command line; false also when the folder it was
  // given is not the test's install folder.
  bool waitForSetup(DWORD timeoutMilliseconds);
  // The package address of the address document's main and spare route.
  static const char kMainPackage[];
  static const char kSparePackage[];

  std::wstring installFolder_;  // the test's own install folder, inside dir_; watched

  std::wstring dir_;           // the test's own folder, ending in "\"
  std::wstring setupRecord_;   // where the stand-in setup records its command line

 private:
  // The installer runs only setups signed under a trusted root: the stand-ins' authority.
  std::unique_ptr<testing_support::TrustedCodeSigningAuthority> codeSigning_;
  std::vector<std::unique_ptr<testing_support::ChildProcess>> started_;
  std::vector<std::wstring> watched_;
  std::map<std::wstring, uint64_t> desktopBefore_;  // what the tear-down leaves on the desktop
  bool installFolderSet_ = false;
};

}  // namespace e2e
