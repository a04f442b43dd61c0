#pragma once
// The installer's main window: the setup page (licence, install path, Install), the progress
// page of the player download and setup, the game page and the finish page with Start. It
// decides nothing about the install: every command is an input of the model's install flow,
// and the window shows what the flow tells it (ModelObserver), on the window thread. It owns
// the boxes open over it (ui/open_boxes.h). Window thread only, like every toolkit window.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/dispatch_timer.h"
#include "model/model_observer.h"
#include "toolkit/window_impl_base.h"
#include "ui/install_path_rules.h"
#include "ui/open_boxes.h"
#include "ui/progress_text.h"

namespace helper {
class DiskSystem;
}
class DownloaderModel;
struct GameRecord;

class CMainFrame : public toolkit::WindowImplBase, public ModelObserver {
 public:
  // The pages of "maintab".
  enum Page { kSetupPage = 0, kLicencePage = 1, kProgressPage = 2, kGamePage = 3, kFinishPage = 4 };
  static constexpr UINT kClassStyle = 0x80B;  // CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS
  static constexpr UINT kTipMilliseconds = 5000;
  static constexpr UINT kInstallBarMilliseconds = 1500;
  // Below this many free MiB on the install drive Install is refused, unless a player is
  // already installed there.
  static constexpr double kInstallFreeMiB = 4096.0;
  // The timer of the game install wait.
  static constexpr UINT_PTR kGameInstallTimerId = 800;
  static constexpr UINT kGameInstallTimerMilliseconds = 500;

  // The window of the application's one model, which outlives it.
  explicit CMainFrame(DownloaderModel& model);
  ~CMainFrame() override;

  // The main window from its creation until its final message, else null.
  static CMainFrame* current();

  // The refresh after the window was first shown: folder field, logo, setup page state.
  void refreshAfterShow();
  // The folder field and the logo after the player variant changed.
  void refreshVariant();

  void selectPage(int index);
  int currentPage() const { return page_; }
  void showPathUI(bool show);
  void refreshSetupState();
  // Stores a chosen folder in its canonical form and shows it.
  void setInstallPath(const std::wstring& path);
  // A folder the user typed or picked: stored, then the drive advice if it earns one.
  void changePathClac(bool checkSsd, const std::wstring& path);
  bool installErrorBoxShown() const { return boxes_.isOpen(ui::OpenBoxes::kInstallError); }
  const ui::OpenBoxes& openBoxes() const { return boxes_; }
  void nextTip();

  DownloaderModel& model() const { return model_; }
  bool finished() const { return finished_; }
  bool installStarted() const { return installStarted_; }
  int downloadPercent() const { return downloadPercent_; }

  // Seams for the tests: the drives that the path rules ask, and the millisecond clock of
  // the elapsed time that the slow-download box reports.
  void setDiskSystem(const helper::DiskSystem* disks) { disks_ = disks; }
  void setClock(std::function<DWORD()> clock) { clock_ = std::move(clock); }

  // ModelObserver: what the install flow shows, on the window thread.
  void showDownloadProgress(int percent, int received, int total) override;
  void showDownloadPercent(int percent) override;
  void showInstalling() override;
  void showDownloadRetry() override;
  void offerBrowserDownload() override;
  void showInstallFailed() override;
  void showGamePage(const GameRecord& first) override;
  void showGameCounted() override { ++gameIndex_; }
  void showGameDownloadProgress(int64_t current, int64_t total) override;
  void showGameInstallWaiting() override;
  void showFinished() override;
  void leave() override;
  void confirmExit() override;
  void offerSlowDownloadChoice() override;
  void noticeInstalling() override;
  void closeNow() override;

 protected:
  const wchar_t* getWindowClassName() const override { return L"cmainframe"; }
  UINT getClassStyle() const override { return kClassStyle; }
  std::wstring getSkinFile() override { return L"mainframe.xml"; }
  void initWindow() override;
  LRESULT messageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  void onWindowDestroyed() override;
  void onFinalMessage(HWND window) override;
  // The page's main action: Install, the licence's accept, Start.
  toolkit::CControlUI* defaultButton() override;

 private:
  void setFonts();
  void showLogo();
  void reloadTexts();
  void setText(const wchar_t* control, const std::wstring& text);
  void setVisible(const wchar_t* control, bool visible);
  bool validateBeforeInstall();
  void applyPathChange(const std::wstring& chosen, const ui::PathChange& change);
  void adviseAfterSsdDeclined(const std::wstring& chosen);
  void showDownloadPhase(int percent);
  // The setup's bar animation ends; a success fills the bar.
  void endInstallBar(bool filled);
  void setProgress(const wchar_t* control, int value);
  // Opens the browser download address and says so to the analytics service at once: the
  // installer ends right after.
  void openBrowserDownload();
  DWORD now() const;

  void onInstallNow(toolkit::TNotifyUI& msg);
  void onShowPath(toolkit::TNotifyUI& msg);
  void onHidePath(toolkit::TNotifyUI& msg);
  void onPathEdited(toolkit::TNotifyUI& msg);
  void onBrowse(toolkit::TNotifyUI& msg);
  void onOpenLicence(toolkit::TNotifyUI& msg);
  void onOpenCustomerLink(toolkit::TNotifyUI& msg);
  void onOpenHomePage(toolkit::TNotifyUI& msg);
  void onClose(toolkit::TNotifyUI& msg);
  void onTasteNow(toolkit::TNotifyUI& msg);
  void onLicenceOption(toolkit::TNotifyUI& msg);
  void onLanguageComSelected(toolkit::TNotifyUI& msg);

  DownloaderModel& model_;
  // Read by the close actions of boxes that may outlive this window.
  std::shared_ptr<bool> alive_;
  ui::OpenBoxes boxes_;
  bool installStarted_ = false;
  bool finished_ = false;
  int downloadPercent_ = 0;
  DWORD installStartTick_ = 0;
  int64_t downloadedBytes_ = 0;
  std::wstring appName_;
  int gameIndex_ = 0;  // the games the page has announced
  bool gameTimerRunning_ = false;
  std::wstring languageCode_;
  int page_ = kSetupPage;
  // The path row's mode, re-applied by every refresh: the "Setup path" link's row is hidden
  // exactly while the path row shows.
  bool pathRowShown_ = false;
  ui::InstallBarAnimation installBar_;
  DispatchTimer tipsTimer_;
  DispatchTimer installBarTimer_;
  const helper::DiskSystem* disks_;
  std::function<DWORD()> clock_;
};
