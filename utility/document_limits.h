#pragma once
// Bounds of a service document request, the same on the WinInet and the curl route.

namespace utility {

// The whole request, from connecting to its last byte: a server that trickles its answer
// ends as a failed request, and the next route runs.
constexpr unsigned long kDocumentDeadlineMs = 8000;

}  // namespace utility
