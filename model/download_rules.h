#pragma once
// The download chain's decisions, apart from any transfer: which sizes count as the player
// setup, what a failed download reports, and how WinInet progress becomes a percentage.
#include <cstdint>

namespace download_rules {

// Anything up to this size is an error page, not the player setup.
constexpr int64_t kSmallestSetupBytes = 10485760;  // 10 MiB
// Assumed size of an answer that announces none.
constexpr int64_t kAssumedTotalBytes = 300000000;
constexpr uint32_t kProgressIntervalMilliseconds = 1000;

// True when a finished download of this size is the setup (strictly above 10 MiB).
inline bool isSetupSize(int64_t size) { return size > kSmallestSetupBytes; }

// The partial size a failed download reports: the temporary file's size, else the setup
// file's. A size the setup test would turn away is nothing worth resuming, 0: a finished
// answer of that size cannot grow by a resume (it is answered 416 and starts over).
inline int64_t partialSizeToReport(int64_t temporarySize, int64_t setupSize) {
  int64_t size = temporarySize > 0 ? temporarySize : setupSize;
  return isSetupSize(size) ? size : 0;
}

// The total to show for an answer without a size (-1): 300000000, or received + 1024 once
// that much has arrived.
inline int64_t displayTotal(int64_t received, int64_t total) {
  if (total != -1) return total;
  return received >= kAssumedTotalBytes ? received + 1024 : kAssumedTotalBytes;
}

// The truncated percentage of received in total; 0 when total is not positive.
inline int percentOf(int64_t received, int64_t total) {
  if (total <= 0) return 0;
  return static_cast<int>(static_cast<double>(received) / static_cast<double>(total) * 100.0);
}

// True when a progress post is due: a second since the last one (unsigned tick arithmetic,
// so the 49.7-day wrap of the tick counter does not stop progress).
inline bool progressDue(uint32_t now, uint32_t lastPost) {
  return static_cast<uint32_t>(now - lastPost) >= kProgressIntervalMilliseconds;
}

}  // namespace download_rules
