// Process entry: prepares COM, Winsock, the data folder, the log and the window-thread
// dispatcher, runs the application object and the message loop, then shuts down in order.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

#include <string>

#include "app/download_impl.h"
#include "core/main_thread_dispatcher.h"
#include "model/downloader_model.h"
#include "skin/fonts.h"
#include "toolkit/toolkit.h"
#include "utility/dll_search.h"
#include "utility/log.h"
#include "utility/log_writer.h"
#include "utility/ufile.h"

namespace {

void runMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // The skinned windows' keyboard navigation sees each message first.
    if (toolkit::preTranslateMessage(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
  // Before anything can load a DLL: none may come from the executable's folder.
  utility::restrictDllSearchToSystem();
  if (FAILED(CoInitialize(nullptr))) {
    MessageBoxW(nullptr, L"error", L"error1", MB_OK);
    return 0;
  }
  WSADATA winsock;
  WSAStartup(MAKEWORD(2, 2), &winsock);

  const std::wstring dataDir = utility::ufile::appDataDir() + L"\\veldownloader_en\\";
  utility::ufile::makeDir(dataDir);

  g_logSink = &logToFile;
  MainThreadDispatcher::createInstance();
  openLogFile(dataDir + L"downloader.log");
  VEL_LOG(L"\r\n\r\n start run");

  {
    DownloadImpl application;
    if (application.entrance(instance, commandLine)) runMessageLoop();
    if (DownloaderModel* model = application.model()) removeInstalledFont(model->languageRecord());
    application.shutdown();
  }

  // The last lines reach the file within one pass of the writer (500 ms); wait for them, a
  // second at most.
  if (common::LogWriter* writer = common::LogWriter::instance()) writer->waitUntilWritten(1000);
  CoUninitialize();
  // Ends every thread still running (a worker left past its stop limit) before anything of
  // the process is torn down, so none of them can meet a destroyed object.
  ExitProcess(0);
}
