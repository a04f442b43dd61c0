#include "model/service_documents.h"

#include <rapidjson/document.h>
#include <rapidjson/encodedstream.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

#include <utility>

#include "identity/identity.h"
#include "utility/encoding.h"
#include "utility/log.h"

namespace {

using rapidjson::SizeType;
using rapidjson::Value;

// The service's documents nest three levels at most (root, "result", a game). Anything far
// deeper is refused while it is read: the reader is iterative, but much of RapidJSON's DOM
// code (copies, comparisons, writers, destruction with a freeing allocator) recurses once per
// level, so no DOM this code builds may be deep.
constexpr int kMaxDepth = 64;

// Passes the reader's events on to the document and stops the parse at the first container
// that would open deeper than kMaxDepth.
class DepthLimitedBuilder {
 public:
  explicit DepthLimitedBuilder(rapidjson::Document& document) : document_(document) {}

  bool Null() { return document_.Null(); }
  bool Bool(bool b) { return document_.Bool(b); }
  bool Int(int i) { return document_.Int(i); }
  bool Uint(unsigned i) { return document_.Uint(i); }
  bool Int64(int64_t i) { return document_.Int64(i); }
  bool Uint64(uint64_t i) { return document_.Uint64(i); }
  bool Double(double d) { return document_.Double(d); }
  bool RawNumber(const char* str, SizeType length, bool copy) { return document_.RawNumber(str, length, copy); }
  bool String(const char* str, SizeType length, bool copy) { return document_.String(str, length, copy); }
  bool Key(const char* str, SizeType length, bool copy) { return document_.Key(str, length, copy); }
  bool StartObject() { return open() && document_.StartObject(); }
  bool EndObject(SizeType count) {
    --depth_;
    return document_.EndObject(count);
  }
  bool StartArray() { return open() && document_.StartArray(); }
  bool EndArray(SizeType count) {
    --depth_;
    return document_.EndArray(count);
  }

 private:
  bool open() { return ++depth_ <= kMaxDepth; }

  rapidjson::Document& document_;
  int depth_ = 0;
};

// Sees the first event only; reading on without building anything, iteratively, so
// neither size nor nesting of the text can hurt.
struct RootKind : rapidjson::BaseReaderHandler<rapidjson::UTF8<>, RootKind> {
  bool seen = false;
  bool object = false;
  bool Default() {
    seen = true;
    return true;
  }
  bool StartObject() {
    if (!seen) object = true;
    seen = true;
    return true;
  }
};

// Parses text without recursion into document; true only for a whole, well-formed document
// whose root is an object.
bool parseObject(const std::string& text, rapidjson::Document& document) {
  bool parsed = false;
  auto generate = [&text, &parsed](rapidjson::Document& target) {
    rapidjson::MemoryStream memory(text.data(), text.size());
    rapidjson::EncodedInputStream<rapidjson::UTF8<>, rapidjson::MemoryStream> input(memory);
    DepthLimitedBuilder builder(target);
    rapidjson::Reader reader;
    parsed = !reader.Parse<rapidjson::kParseIterativeFlag>(input, builder).IsError();
    return parsed;
  };
  document.Populate(generate);
  return parsed && document.IsObject();
}

const Value* member(const Value& object, const char* name) {
  auto found = object.FindMember(name);
  return found == object.MemberEnd() ? nullptr : &found->value;
}

std::string bytesOf(const Value& text) { return std::string(text.GetString(), text.GetStringLength()); }

// The readers of one typed key: each leaves out untouched unless the key has its type.
void readText(const Value& object, const char* name, std::wstring& out) {
  const Value* value = member(object, name);
  if (value && value->IsString()) out = utility::fromUtf8(bytesOf(*value));
}

void readAnsiText(const Value& object, const char* name, std::wstring& out) {
  const Value* value = member(object, name);
  if (value && value->IsString()) out = utility::fromAnsi(bytesOf(*value));
}

// A string flag: true only for the text "1".
void readOneFlag(const Value& object, const char* name, bool& out) {
  const Value* value = member(object, name);
  if (value && value->IsString()) out = bytesOf(*value) == "1";
}

// An integer flag: non-zero is true.
void readIntFlag(const Value& object, const char* name, bool& out) {
  const Value* value = member(object, name);
  if (value && value->IsInt()) out = value->GetInt() != 0;
}

void readAddressSet(const Value& object, PlayerAddressSet& set) {
  readText(object, "ver", set.version);
  readText(object, "url", set.url);
  readText(object, "url_spare", set.spareUrl);
  readText(object, "md5", set.md5);
}

GameRecord readGame(const Value& object) {
  GameRecord game;
  readText(object, "app_download_url", game.downloadUrl);
  readText(object, "app_package_name", game.packageName);
  readText(object, "gamename", game.displayName);
  readText(object, "app_icon", game.icon);
  std::wstring expansion;
  readText(object, "app_obb", expansion);
  if (!expansion.empty()) game.expansionFile = std::move(expansion);
  readText(object, "game_slt_url", game.selectionImage);
  readAnsiText(object, "resolution", game.resolution);
  readAnsiText(object, "gameid", game.gameId);
  // Both reach the player's console program on its command line.
  if (!game.packageName.empty() && !isPackageName(game.packageName)) {
    VEL_LOG(L"game package dropped: [%s]", game.packageName.c_str());
    game.packageName.clear();
  }
  if (!game.resolution.empty() && !isResolution(game.resolution)) {
    VEL_LOG(L"game resolution dropped: [%s]", game.resolution.c_str());
    game.resolution.clear();
  }
  readOneFlag(object, "xapk", game.isXapk);
  readOneFlag(object, "from_appstore", game.fromAppStore);
  return game;
}

// Each reader works on copies and hands them over with non-throwing moves at the end, so a
// failed allocation half way leaves the caller's values as they were; nothing is thrown out.
template <typename Result, typename Body>
Result guarded(Result failure, Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return failure;
  }
}

}  // namespace

bool isJsonObjectText(const std::string& text) {
  rapidjson::Reader reader;
  rapidjson::StringStream stream(text.c_str());
  RootKind kind;
  rapidjson::ParseResult result = reader.Parse<rapidjson::kParseIterativeFlag>(stream, kind);
  // A NUL inside the text ends the stream early: the rest must not count as read.
  return result && kind.object && stream.Tell() == text.size();
}

const char* playerAddressKey(PlayerVariant variant) {
  switch (variant) {
    case PlayerVariant::V40:
      return "mnq4";
    case PlayerVariant::V64:
      return "mnq64";
    case PlayerVariant::V9:
      return "mnq9";
    case PlayerVariant::V30:
      break;
  }
  return "mnq";
}

bool readPlayerAddresses(const std::string& text, PlayerVariant variant, PlayerAddressSet& current,
                         PlayerAddressSet& player4) {
  return guarded(false, [&] {
    rapidjson::Document document;
    if (!parseObject(text, document)) return false;
    PlayerAddressSet newCurrent = current;
    PlayerAddressSet newPlayer4 = player4;
    const Value* set4 = member(document, playerAddressKey(PlayerVariant::V40));
    if (set4 && set4->IsObject()) readAddressSet(*set4, newPlayer4);
    const Value* chosen = member(document, playerAddressKey(variant));
    if (chosen && chosen->IsObject()) {
      if (variant == PlayerVariant::V40) {
        newCurrent = newPlayer4;
      } else {
        readAddressSet(*chosen, newCurrent);
      }
    }
    if (newCurrent.spareUrl.empty()) newCurrent.spareUrl = newCurrent.url;
    current = std::move(newCurrent);
    player4 = std::move(newPlayer4);
    return true;
  });
}

CustomerInfoResult readCustomerInfo(const std::string& text, const std::wstring& languageCode, CustomerInfo& out) {
  return guarded(CustomerInfoResult::kNotAnObject, [&] {
    rapidjson::Document document;
    if (!parseObject(text, document)) return CustomerInfoResult::kNotAnObject;
    const std::string name = languageCode.empty() ? std::string("en") : utility::toUtf8(languageCode);
    const Value* language = member(document, name.c_str());
    if (!language || !language->IsObject()) return CustomerInfoResult::kNoLanguageMember;
    CustomerInfo info = out;
    readText(*language, "installError", info.installError);
    readText(*language, "customerLink", info.customerLink);
    out = std::move(info);
    return CustomerInfoResult::kRead;
  });
}

ChannelAnswer readChannelAnswer(const std::string& text, std::wstring& channelId) {
  return guarded(ChannelAnswer::kNotAnObject, [&] {
    rapidjson::Document document;
    if (!parseObject(text, document)) return ChannelAnswer::kNotAnObject;
    const Value* code = member(document, "code");
    if (!code || !code->IsInt() || code->GetInt() != 200) return ChannelAnswer::kCodeNotRight;
    const Value* data = member(document, "data");
    if (!data || !data->IsInt() || data->GetInt() <= 0) return ChannelAnswer::kNoChannel;
    channelId = std::to_wstring(data->GetInt());
    return ChannelAnswer::kStored;
  });
}

bool readGameList(const std::string& text, std::vector<GameRecord>& games) {
  return guarded(false, [&] {
    rapidjson::Document document;
    if (!parseObject(text, document)) return false;
    const Value* result = member(document, "result");
    if (!result || !result->IsArray()) return false;
    std::vector<GameRecord> found;
    for (const Value& element : result->GetArray()) {
      if (!element.IsObject()) continue;
      GameRecord game = readGame(element);
      if (!game.downloadUrl.empty() || !game.gameId.empty() || !game.packageName.empty()) {
        found.push_back(std::move(game));
      }
    }
    games.reserve(games.size() + found.size());
    for (GameRecord& game : found) games.push_back(std::move(game));
    return true;
  });
}

bool readBranding(const std::string& text, Branding& branding) {
  return guarded(false, [&] {
    rapidjson::Document document;
    if (!parseObject(text, document)) return false;
    Branding read = branding;
    readText(document, "launch_h", read.launchLandscape);
    readText(document, "launch_V", read.launchPortrait);
    readText(document, "title", read.title);
    readText(document, "runapp", read.runApp);
    readText(document, "qqlink", read.qqLink);
    readText(document, "shortcutname", read.shortcutName);
    readText(document, "shortcuturl", read.shortcutUrl);
    readText(document, "heapsize", read.heapSize);
    readIntFlag(document, "ad", read.ad);
    readIntFlag(document, "cleanmodel", read.cleanModel);
    readIntFlag(document, "runappstore", read.runAppStore);
    const Value* root = member(document, "root");
    if (root && root->IsBool()) read.root = root->GetBool() ? Branding::Root::kTrue : Branding::Root::kFalse;
    branding = std::move(read);
    return true;
  });
}
