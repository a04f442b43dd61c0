#pragma once
// Turns the compiler's pretty function text into the qualified name the log shows,
// such as "utility::ufile::moveFile" or "DownloaderModel::_threadDownloadPlayer".
#include <string>

namespace common {

std::string qualifiedFunctionName(const char* prettyFunction);

// The name of one call site, made once (the log macro keeps it in a function-local static).
const char* internFunctionName(const char* prettyFunction);

}  // namespace common
