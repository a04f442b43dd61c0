#include "tests/support/standin_http.h"

#include <rapidjson/document.h>

#include <cstring>

#include "tests/support/test_support.h"
#include "utility/encoding.h"

namespace testing_support {

std::string generatedBytes(int64_t start, size_t length) {
  std::string out(length, '\0');
  for (size_t i = 0; i < length; ++i) {
    uint32_t k = static_cast<uint32_t>((start + static_cast<int64_t>(i)) % 65521);
    out[i] = static_cast<char>((k * 7 + k / 256) & 0xFF);
  }
  return out;
}

const std::string* RecordedRequest::header(const std::string& name) const {
  for (const auto& entry : headers) {
    if (_stricmp(entry.first.c_str(), name.c_str()) == 0) return &entry.second;
  }
  return nullptr;
}

namespace {

// A control endpoint's JSON answer; false when it did not answer 200 with valid JSON.
bool controlDocument(const wchar_t* path, rapidjson::Document* document) {
  int status = 0;
  std::string body;
  if (!standinGet(path, &status, &body) || status != 200) return false;
  document->Parse(body.c_str(), body.size());
  return !document->HasParseError();
}

}  // namespace

bool resetStandin() {
  int status = 0;
  return standinGet(L"/_control/reset", &status, nullptr) && status == 200;
}

std::vector<RecordedRequest> standinRequests() {
  std::vector<RecordedRequest> out;
  rapidjson::Document document;
  if (!controlDocument(L"/_control/requests", &document) || !document.IsArray()) return out;
  for (const auto& item : document.GetArray()) {
    RecordedRequest request;
    request.method = item["method"].GetString();
    request.path = item["path"].GetString();
    request.query = item["query"].GetString();
    request.body = item["body"].GetString();
    for (const auto& header : item["headers"].GetArray()) {
      request.headers.emplace_back(header[0].GetString(), header[1].GetString());
    }
    out.push_back(std::move(request));
  }
  return out;
}

std::vector<CollectedBatch> standinCollected() {
  std::vector<CollectedBatch> out;
  rapidjson::Document document;
  if (!controlDocument(L"/_control/collected", &document) || !document.IsArray()) return out;
  for (const auto& item : document.GetArray()) {
    auto field = [&](const char* name) {
      return item.HasMember(name) && item[name].IsString() ? std::string(item[name].GetString()) : std::string();
    };
    out.push_back({field("timestamp"), field("signature"), field("verdict"), field("body")});
  }
  return out;
}

int standinTlsPort() {
  rapidjson::Document document;
  if (!controlDocument(L"/_control/tls", &document) || !document.IsObject() || !document.HasMember("port")) return 0;
  return document["port"].GetInt();
}

std::string narrow(const std::wstring& text) { return utility::toAnsi(text); }

}  // namespace testing_support
