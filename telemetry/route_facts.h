#pragma once
// What the download events and the cancel text say about the setup download's route: which
// address it used and which stack did the work. The defaults are what they say before any
// route has run: the main address ("aws") on WinInet ("IE").
struct RouteFacts {
  bool spare = false;   // the spare (resource-host) address
  bool wininet = true;  // WinInet, not curl
};
