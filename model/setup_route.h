#pragma once
// One way of bringing the player setup to its file: a stack and an address. fetch applies
// the route's own acceptance rule; the setup check comes after it, the same for every route.
#include <string>

#include "model/route_list.h"
#include "telemetry/route_facts.h"

class SetupRoute {
 public:
  virtual ~SetupRoute() = default;
  // In the attempt's log line.
  virtual const wchar_t* name() const = 0;
  virtual RouteFacts facts() const = 0;
  // Brings the setup to path, continuing what is there when resume; accepted when the file
  // is at path and passed the route's rule.
  virtual RouteOutcome fetch(const std::wstring& path, bool resume) = 0;
  // The route's own line once it has counted as failed, the setup check included.
  virtual void logFailure(const RouteOutcome& outcome) const {}
};
