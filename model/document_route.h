#pragma once
// One way of fetching a service document into memory: a stack and an address, with the
// route's own rule for which text counts.
#include <string>

#include "model/route_list.h"

class DocumentRoute {
 public:
  virtual ~DocumentRoute() = default;
  // In the attempt's log line.
  virtual const wchar_t* name() const = 0;
  // text: the document when accepted, else empty.
  virtual RouteOutcome fetch(std::string& text) = 0;
};
