#include "ui/main_frame.h"

#include <shlobj.h>

#include <memory>
#include <vector>

#include "core/main_thread_dispatcher.h"
#include "identity/config_imp.h"
#include "model/downloader_model.h"
#include "ui/game_progress_text.h"
#include "skin/language_table.h"
#include "telemetry/event_catalogue.h"
#include "skin/skin_files.h"
#include "toolkit/combo.h"
#include "toolkit/edit.h"
#include "toolkit/option.h"
#include "toolkit/progress.h"
#include "toolkit/tab_layout.h"
#include "ui/customer_link.h"
#include "ui/downloader_box.h"
#include "ui/error_boxes.h"
#include "ui/install_path_rules.h"
#include "ui/message_box.h"
#include "ui/text_format.h"
#include "utility/disk.h"
#include "utility/encoding.h"
#include "utility/log.h"
#include "utility/ufile.h"

namespace {

CMainFrame* g_current = nullptr;

std::wstring text(const char* key) { return lookupTextOrKey(key); }
std::wstring text(const wchar_t* key) { return lookupTextOrKey(utility::toUtf8(key).c_str()); }

constexpr int kFontSizes[10] = {12, 12, 14, 16, 18, 20, 22, 24, 28, 32};
constexpr int kThaiFontSizes[10] = {13, 13, 15, 17, 19, 21, 23, 25, 29, 33};

const wchar_t kErrorEditImage[] = L"file='error_edit_bg.png' source='0,0,10,10' corner='4,4,4,4'";
const wchar_t* const kEditImages[3] = {L"file='browse_button.png' source='0,0,28,28' corner='4,4,4,4'",
                                       L"file='browse_button.png' source='28,0,56,28' corner='4,4,4,4'",
                                       L"file='browse_button.png' source='56,0,84,28' corner='4,4,4,4'"};

// The folder browser starts on drive C.
int CALLBACK browseCallback(HWND dialog, UINT message, LPARAM, LPARAM) {
  if (message == BFFM_INITIALIZED) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(L"C:"));
  return 0;
}

// The licence of the UI language, packed in the skin archive; empty when there is none.
std::wstring licenceText(const std::wstring& shortCode) {
  std::string bytes;
  if (!getSkinFile(L"licence/licence_" + shortCode + L".txt", &bytes)) return L"";
  return utility::fromUtf8(bytes);
}

}  // namespace

CMainFrame* CMainFrame::current() { return g_current; }

CMainFrame::CMainFrame(DownloaderModel& model)
    : model_(model), alive_(std::make_shared<bool>(true)), disks_(&helper::systemDisks()) {
  g_current = this;
  addNotify(L"click", L"installnowbtn", &CMainFrame::onInstallNow);
  addNotify(L"click", L"userdefinitionBtn", &CMainFrame::onShowPath);
  addNotify(L"click", L"backBtn", &CMainFrame::onHidePath);
  addNotify(L"killfocus", L"pathedit", &CMainFrame::onPathEdited);
  addNotify(L"click", L"browsebtn", &CMainFrame::onBrowse);
  addNotify(L"click", L"protocollinkbtn", &CMainFrame::onOpenLicence);
  addNotify(L"click", L"confirmprotocolbtn", &CMainFrame::onOpenLicence);
  addNotify(L"click", L"joinfacebookBtn", &CMainFrame::onOpenCustomerLink);
  addNotify(L"click", L"closebtn", &CMainFrame::onClose);
  addNotify(L"click", L"homepageBtn", &CMainFrame::onOpenHomePage);
  addNotify(L"click", L"tastenowbtn", &CMainFrame::onTasteNow);
  addNotify(L"selectchanged", L"acceptprotocolopt", &CMainFrame::onLicenceOption);
  addNotify(L"itemselect", L"languageCombo", &CMainFrame::onLanguageComSelected);
}

CMainFrame::~CMainFrame() {
  *alive_ = false;
  if (g_current == this) g_current = nullptr;
}

DWORD CMainFrame::now() const { return clock_ ? clock_() : GetTickCount(); }

void CMainFrame::setText(const wchar_t* control, const std::wstring& value) {
  if (toolkit::CControlUI* found = findControl(control)) found->setText(value);
}

void CMainFrame::setVisible(const wchar_t* control, bool visible) {
  if (toolkit::CControlUI* found = findControl(control)) found->setVisible(visible);
}

void CMainFrame::setFonts() {
  const std::wstring& face = model_.languageRecord().fontFace;
  const int* sizes = model_.localeName() == L"th_TH" ? kThaiFontSizes : kFontSizes;
  setDefaultFont(face, sizes[0]);
  for (int id = 0; id < 9; ++id) addFont(id, face, sizes[id + 1]);
}

void CMainFrame::initWindow() {
  boxes_.attach(hwnd());
  setFonts();
  refreshSetupState();
  SetWindowTextW(hwnd(), text("Title_wndTitle").c_str());
  setText(L"pathedit", model_.installPath());
  model_.setObserver(this);
  languageCode_ = model_.uiLanguageCode();
  showLogo();
  if (toolkit::CControlUI* home = findControl(L"homepageBtn")) {
    home->setTextColor(0xFFFFFFFF);
    home->setText(ConfigImp::instance().homePage());
  }
  setText(L"protocollinkbtn", ui::formatText(L"<u>%s</u>", {text("protocol_accept_btn")}));
}

void CMainFrame::refreshAfterShow() {
  setText(L"pathedit", model_.installPath());
  showLogo();
  refreshSetupState();
}

void CMainFrame::refreshVariant() { refreshAfterShow(); }

void CMainFrame::showLogo() {
  const bool nine = ConfigImp::instance().is9();
  setVisible(L"logoControl9", nine);
  setVisible(L"logoControl", !nine);
}

void CMainFrame::refreshSetupState() {
  const std::wstring& installPath = model_.installPath();
  const bool valid = helper::isValidInstallPath(installPath, *disks_);
  toolkit::CControlUI* edit = findControl(L"pathedit");
  if (edit && edit->getText() != installPath) edit->setText(installPath);
  setVisible(L"errorpathnoticeui", !valid);
  auto* licence = findControl<toolkit::COptionUI>(L"acceptprotocolopt");
  if (toolkit::CControlUI* install = findControl(L"installnowbtn")) {
    install->setEnabled(valid && licence && licence->isSelected());
  }
  showPathUI(pathRowShown_);
  if (auto* pathEdit = toolkit::controlAs<toolkit::CEditUI>(edit)) {
    pathEdit->setNormalImage(valid ? kEditImages[0] : kErrorEditImage);
    pathEdit->setHotImage(valid ? kEditImages[1] : kErrorEditImage);
    pathEdit->setFocusedImage(valid ? kEditImages[2] : kErrorEditImage);
  }
}

void CMainFrame::showPathUI(bool show) {
  pathRowShown_ = show;
  setVisible(L"userdefinitionsui", show);
  setVisible(L"userdefinitionLayout", !show);
  setVisible(L"backLayout", show);
  setText(L"installnowbtn", text(show ? "Button_install_now" : "Button_install_fast"));
}

void CMainFrame::selectPage(int index) {
  if (auto* layout = findControl<toolkit::CTabLayoutUI>(L"maintab")) layout->selectItem(index);
  page_ = index;
  showPathUI(pathRowShown_);
  focusDefaultButton();
}

toolkit::CControlUI* CMainFrame::defaultButton() {
  switch (page_) {
    case kSetupPage:
      return findControl(L"installnowbtn");
    case kLicencePage:
      return findControl(L"confirmprotocolbtn");
    case kFinishPage:
      return findControl(L"tastenowbtn");
    default:
      return nullptr;
  }
}

// ---- Install path -------------------------------------------------------------------------

void CMainFrame::setInstallPath(const std::wstring& path) {
  if (path == model_.installPath()) return;
  const std::wstring q = ui::installFolderFor(path, ui::productFolders(ConfigImp::instance()), *disks_);
  model_.setInstallPath(q);
  setText(L"pathedit", q);
  refreshSetupState();
}

void CMainFrame::changePathClac(bool checkSsd, const std::wstring& path) {
  const ui::InstallPathState state{model_.installPath(), model_.recommendedInstallPath(), model_.recommendedIsSsd()};
  const ui::ProductFolders folders = ui::productFolders(ConfigImp::instance());
  applyPathChange(path, ui::planPathChange(path, checkSsd, state, folders, *disks_));
}

void CMainFrame::adviseAfterSsdDeclined(const std::wstring& path) {
  const ui::InstallPathState state{model_.installPath(), model_.recommendedInstallPath(), model_.recommendedIsSsd()};
  applyPathChange(path, ui::planAfterSsdDeclined(path, state, ui::productFolders(ConfigImp::instance()), *disks_));
}

void CMainFrame::applyPathChange(const std::wstring& chosen, const ui::PathChange& change) {
  if (change.unchanged) return;
  model_.setInstallPath(change.installPath);
  setText(L"pathedit", change.installPath);
  refreshSetupState();
  if (change.sameDrive) {
    VEL_LOG(L"same best path");
    return;
  }
  std::weak_ptr<bool> alive = alive_;
  const std::wstring proposed = change.proposedPath;
  msg::ButtonSpec accept{text("path_ok"), [this, alive, proposed] {
                           if (!alive.expired()) setInstallPath(proposed);
                         },
                         true};
  if (change.advice == ui::PathAdvice::Ssd) {
    const std::wstring message =
        ui::formatText(text("path_ssd"), {change.chosenDrive, change.proposedDrive}, ui::kAdviceMessageLimit);
    msg::ButtonSpec decline{text("path_not"), [this, alive, chosen] {
                              if (!alive.expired()) adviseAfterSsdDeclined(chosen);
                            },
                            false};
    msg::showAdviceBox(hwnd(), text("path_noice"), message, accept, decline);
  } else if (change.advice == ui::PathAdvice::Space) {
    VEL_LOG(L"left 17G");
    const std::wstring message = ui::formatText(text("path_more"), {change.proposedDrive}, ui::kAdviceMessageLimit);
    msg::showAdviceBox(hwnd(), text("path_noice"), message, accept, msg::ButtonSpec{text("path_not"), nullptr, false});
  }
}

void CMainFrame::onPathEdited(toolkit::TNotifyUI& msg) {
  if (msg.sender) changePathClac(true, msg.sender->getText());
}

void CMainFrame::onBrowse(toolkit::TNotifyUI&) {
  const std::wstring title = text("Label_choice_path");
  BROWSEINFOW info{};
  info.hwndOwner = hwnd();
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
  info.lpfn = browseCallback;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
  if (!item) return;
  wchar_t chosen[MAX_PATH + 1] = {};
  const bool converted = SHGetPathFromIDListW(item, chosen) != FALSE;
  CoTaskMemFree(item);
  if (converted) changePathClac(true, chosen);
}

void CMainFrame::onShowPath(toolkit::TNotifyUI&) { showPathUI(true); }

void CMainFrame::onHidePath(toolkit::TNotifyUI&) { showPathUI(false); }

void CMainFrame::onLicenceOption(toolkit::TNotifyUI&) { refreshSetupState(); }

// ---- Install --------------------------------------------------------------------------------

bool CMainFrame::validateBeforeInstall() {
  toolkit::CControlUI* option = findControl(L"acceptprotocolopt");
  auto* licence = toolkit::controlAs<toolkit::COptionUI>(option);
  const std::wstring& installPath = model_.installPath();
  std::wstring message;
  if (!licence || !licence->isSelected()) {
    message = text("MsgBox_accept_protocol");
  } else if (!helper::isValidInstallPath(installPath, *disks_)) {
    message = text("MsgBox_error_path");
  } else if (helper::freeSpaceMB(installPath.substr(0, 3), *disks_) < kInstallFreeMiB &&
             !utility::ufile::exists(installPath + L"\\ovplayer.exe")) {
    message = text("MsgBox_disk_notEnough");
  }
  if (message.empty()) return true;
  msg::showErrorBox(hwnd(), text("MsgBox_error"), message);
  return false;
}

void CMainFrame::onInstallNow(toolkit::TNotifyUI&) {
  if (!validateBeforeInstall()) return;
  installStarted_ = true;
  selectPage(kProgressPage);
  setVisible(L"languageCombo", false);
  installStartTick_ = now();
  // 0 means "nothing started" to the slow-download box.
  if (installStartTick_ == 0) installStartTick_ = 1;
  model_.install();
  events::reportStartDownloader();
  if (ConfigImp::instance().is9()) {
    tipsTimer_.start(kTipMilliseconds, makeRunable([this] { nextTip(); }));
    nextTip();
  }
}

void CMainFrame::nextTip() { setText(L"tipInstallLabel", text(ui::processTips().next())); }

// ---- What the install flow shows ------------------------------------------------------------

void CMainFrame::showDownloadProgress(int percent, int downloaded, int total) {
  setVisible(L"downloadProgressLabel", true);
  downloadedBytes_ = downloaded;
  if (percent == -1) {
    setText(L"loadingprogresslabel", text("Label_getversion_info"));
    setText(L"downloadProgressLabel", L"");
    return;
  }
  if (downloaded == 0 || total == 0) return;
  setText(L"downloadProgressLabel",
          ui::progressAmountsText(static_cast<uint32_t>(downloaded), total < 0 ? -1 : static_cast<uint32_t>(total)));
  showDownloadPhase(percent);
}

void CMainFrame::showDownloadPercent(int percent) {
  setVisible(L"downloadProgressLabel", false);
  showDownloadPhase(percent);
}

void CMainFrame::showDownloadPhase(int percent) {
  setText(L"loadingprogresslabel", ui::downloadPhaseText(text("Label_downloading"), percent, languageCode_));
  setProgress(L"installprogressbar", ui::downloadBarValue(percent, languageCode_));
  downloadPercent_ = ui::downloadPercentAfter(percent);
}

void CMainFrame::setProgress(const wchar_t* control, int value) {
  if (auto* bar = findControl<toolkit::CProgressUI>(control)) bar->setValue(value);
}

void CMainFrame::showInstalling() {
  setText(L"loadingprogresslabel", text("Label_installing_waiting"));
  setVisible(L"downloadProgressLabel", false);
  installBarTimer_.stop();
  downloadPercent_ = 100;
  // The download is whole even when its last progress was not posted (a fast download
  // reports once a second at most): its full share until the setup's animation takes over.
  setProgress(L"installprogressbar", ui::downloadBarValue(100, languageCode_));
  installBar_.restart();
  installBarTimer_.start(kInstallBarMilliseconds, makeRunable([this] { setProgress(L"installprogressbar", installBar_.tick()); }));
}

void CMainFrame::endInstallBar(bool filled) {
  installBarTimer_.stop();
  if (filled) setProgress(L"installprogressbar", 100);
}

void CMainFrame::showFinished() {
  endInstallBar(true);
  selectPage(kFinishPage);
  finished_ = true;
}

void CMainFrame::showGamePage(const GameRecord& first) {
  endInstallBar(true);
  selectPage(kGamePage);
  setText(L"apkinstallprogresslabel", ui::gameCaption(text("progress_downloading_label"), first.displayName));
  appName_ = first.displayName;
  gameIndex_ = 0;
}

void CMainFrame::showGameDownloadProgress(int64_t current, int64_t total) {
  const int count = static_cast<int>(model_.games().size());
  setText(L"apkinstallprogresslabel",
          ui::gameDownloadLabel(text("progress_downloading_label2"), appName_, gameIndex_, count, current, total));
  setProgress(L"apkinstallprogressbar", ui::gameDownloadBarValue(ui::gameDownloadPercent(current, total)));
}

void CMainFrame::showGameInstallWaiting() {
  setText(L"apkinstallprogresslabel", ui::gameCaption(text("Label_installingapp_waiting"), appName_));
  gameTimerRunning_ = setTimer(kGameInstallTimerId, kGameInstallTimerMilliseconds);
}

void CMainFrame::offerBrowserDownload() {
  std::weak_ptr<bool> alive = alive_;
  msg::ButtonSpec yes{text("Yes"), [this, alive] {
                        if (alive.expired()) {
                          PostQuitMessage(0);
                          return;
                        }
                        showWindow(false, false);
                        openBrowserDownload();
                        PostQuitMessage(0);
                      },
                      true};
  msg::ButtonSpec no{text("No"), [] { PostQuitMessage(0); }, false};
  msg::showTwoButtonBox(hwnd(), text("MSGBox_noice"), text("download_error_tip2"), yes, no);
}

void CMainFrame::openBrowserDownload() {
  msg::openAddress(ConfigImp::instance().browserDownloadUrl());
  events::sendBrowserDownloadNow(model_.analytics());
}

void CMainFrame::showDownloadRetry() { VelDownloaderErrorBox::show(hwnd(), model_, nullptr, downloadPercent_); }

void CMainFrame::showInstallFailed() {
  endInstallBar(false);
  VelInstallErrorBox::show(hwnd(), model_, nullptr);
}

void CMainFrame::leave() {
  endInstallBar(true);
  showWindow(false, false);
  PostQuitMessage(0);
}

// ---- Closing and the end --------------------------------------------------------------------

void CMainFrame::onClose(toolkit::TNotifyUI&) { model_.requestClose(); }

void CMainFrame::closeNow() {
  showWindow(false, false);
  close(IDOK);
  PostQuitMessage(0);
}

void CMainFrame::noticeInstalling() {
  msg::showOneButtonBox(hwnd(), text("MSGBox_noice"), text("installing_exit_tip"),
                        msg::ButtonSpec{text("sure"), nullptr, true});
}

void CMainFrame::confirmExit() { DownloaderBox::show(hwnd(), model_, downloadPercent_); }

void CMainFrame::offerSlowDownloadChoice() {
  std::weak_ptr<bool> alive = alive_;
  auto leave = [this, alive](bool browser) {
    if (alive.expired()) {
      PostQuitMessage(0);
      return;
    }
    // The download runs on while the box is open: what it says is read when the user answers.
    const int seconds = static_cast<int>((now() - installStartTick_) / 1000);
    const std::wstring cancel = events::cancelText(downloadPercent_, seconds, model_.routeFacts());
    // Out of sight first: telemetry may take seconds and never holds what the user sees.
    showWindow(false, false);
    if (browser) openBrowserDownload();
    events::reportCancelDuringDownload(cancel);
    PostQuitMessage(0);
  };
  msg::showTwoButtonBox(hwnd(), text("MSGBox_noice"), text("download_slowtip"),
                        msg::ButtonSpec{text("download_close"), [leave] { leave(false); }, false},
                        msg::ButtonSpec{text("downloadBybrowser"), [leave] { leave(true); }, true});
}

void CMainFrame::onTasteNow(toolkit::TNotifyUI&) { model_.startPlayer(); }

LRESULT CMainFrame::messageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  // The system's close (Alt+F4, the taskbar) asks the same questions as the close button.
  if (message == WM_TIMER && wParam == kGameInstallTimerId) {
    const ui::GameInstallCounter::Tick tick = ui::processGameInstallCounter().tick();
    setProgress(L"apkinstallprogressbar", tick.value);
    if (tick.stopTimer) {
      killTimer(kGameInstallTimerId);
      gameTimerRunning_ = false;
    }
    handled = true;
    return 0;
  }
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
    toolkit::TNotifyUI msg;
    msg.type = L"click";
    msg.sender = findControl(L"closebtn");
    onClose(msg);
    handled = true;
    return 0;
  }
  return WindowImplBase::messageHandler(message, wParam, lParam, handled);
}

void CMainFrame::onWindowDestroyed() {
  if (gameTimerRunning_) killTimer(kGameInstallTimerId);
  gameTimerRunning_ = false;
  tipsTimer_.stop();
  installBarTimer_.stop();
  // The model outlives the window (the application tears it down after the reporter has
  // stopped); from now on it has no window to tell. Its boxes have gone before it.
  model_.setObserver(nullptr);
  boxes_.detach();
}

void CMainFrame::onFinalMessage(HWND window) {
  tipsTimer_.stop();
  WindowImplBase::onFinalMessage(window);
  PostQuitMessage(0);
}

// ---- Links and language ---------------------------------------------------------------------

void CMainFrame::onOpenLicence(toolkit::TNotifyUI&) { msg::openAddress(ConfigImp::instance().licencePageUrl()); }

void CMainFrame::onOpenCustomerLink(toolkit::TNotifyUI&) { msg::openCustomerLink(model_.customerLink()); }

void CMainFrame::onOpenHomePage(toolkit::TNotifyUI&) {
  msg::openAddress(ConfigImp::instance().homePage());
  events::sendHomePageClicked(model_.analytics());
}

void CMainFrame::onLanguageComSelected(toolkit::TNotifyUI& msg) {
  auto* combo = toolkit::controlAs<toolkit::CComboUI>(msg.sender);
  const toolkit::ComboItem* item = combo ? combo->getItemAt(combo->getCurSel()) : nullptr;
  if (!item) return;
  languageCode_ = item->userData;
  model_.setLanguage(languageCode_);
  const std::wstring bundleFile = ConfigImp::instance().languageBundleFile();
  for (int attempt = 0; attempt < 3; ++attempt) {
    VEL_LOG(L"load language %s", bundleFile.c_str());
    std::string bytes;
    if (!::getSkinFile(bundleFile, &bytes)) {
      VEL_LOG(L"get resource error. %d", static_cast<int>(GetLastError()));
    } else if (model_.loadLanguage(utility::fromUtf8(bytes))) {
      break;
    }
    Sleep(0);
  }
  SetWindowTextW(hwnd(), text("Title_wndTitle").c_str());
  setText(L"titlename", text("titlename"));
  setText(L"protocoledit", licenceText(model_.languageRecord().shortCode));
  setText(L"confirmprotocolbtn", text("accept_protocol"));
  reloadTexts();
}

void CMainFrame::reloadTexts() {
  struct Row {
    const wchar_t* control;
    const char* key;
  };
  static const Row kRows[] = {
      {L"progress_install_label", "progress_install_label"},
      {L"progress_finish_label", "progress_finish_label"},
      {L"loadingprogresslabel", "progress_downloading_label"},
      {L"pathErrorLabel", "Label_path_error"},
      {L"LicenseAgreementText", "protocol_accept"},
      {L"protocollinkbtn", "protocol_accept_btn"},
      {L"tastenowbtn", "Button_start_player"},
      {L"confirmprotocolbtn", "sure"},
      {L"installnowbtn", "Button_install_fast"},
      {L"userdefinitionBtn", "Button_install_define"},
      {L"backBtn", "Button_install_back"},
      {L"browsebtn", "browser"},
  };
  for (const Row& row : kRows) setText(row.control, text(row.key));
  if (toolkit::CControlUI* home = findControl(L"homepageBtn")) {
    home->setTextColor(0xFFFFFFFF);
    home->setText(ConfigImp::instance().homePage());
  }
}
