#pragma once
// Routes tried in order until one is accepted: the shape shared by the setup download and
// the service documents. Each failed attempt is logged with its place in the list, the
// route's name and the stack's error codes when it gave any; a stop request ends the list
// before the next route starts.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "utility/http_downloader.h"
#include "utility/log.h"

// What one attempt came to: accepted by its route's rule or not, and the stack's two error
// codes (9999 and 0 where the stack gave none).
struct RouteOutcome {
  bool accepted = false;
  int firstCode = utility::CHttpDownloader::kNoFirstCode;
  int secondCode = 0;
};

// attempt(route) runs one route and returns its outcome. The index of the accepted route,
// or -1 when none was.
template <typename Route, typename Attempt>
int tryRoutesInOrder(const wchar_t* listName, const std::vector<std::unique_ptr<Route>>& routes,
                     const std::atomic<bool>* stop, Attempt&& attempt) {
  const int count = static_cast<int>(routes.size());
  for (int i = 0; i < count; ++i) {
    if (stop && stop->load()) return -1;
    Route& route = *routes[static_cast<size_t>(i)];
    const RouteOutcome outcome = attempt(route);
    if (outcome.accepted) return i;
    if (outcome.firstCode == utility::CHttpDownloader::kNoFirstCode && outcome.secondCode == 0) {
      VEL_LOG(L"%s route %d of %d failed (%s)", listName, i + 1, count, route.name());
    } else {
      VEL_LOG(L"%s route %d of %d failed (%s), error:%d %d", listName, i + 1, count, route.name(), outcome.firstCode,
              outcome.secondCode);
    }
  }
  return -1;
}
