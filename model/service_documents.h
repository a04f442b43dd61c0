#pragma once
// Readers of the service's four JSON documents: text in, plain values out. No network, no
// model, no threads. Common rules: a value is taken only when it has the expected JSON type
// (string, integer fitting a signed 32-bit value, boolean, object, array); a missing or
// mistyped key leaves the destination as it was; texts are UTF-8 and stored as UTF-16
// (the game list's "resolution" and "gameid" come from the ANSI code page); a document
// counts only when its root is an object. Documents are parsed without recursion, so no
// nesting depth can overflow a worker's stack; one nested deeper than 64 levels (the service's
// own nest three) is refused as invalid while it is read, so no deep tree is ever built.
// A reader either stores everything it read or leaves its destinations as they were, and
// throws nothing.
#include <string>
#include <vector>

#include "identity/config_imp.h"
#include "identity/game_record.h"

// One player variant's setup addresses.
struct PlayerAddressSet {
  std::wstring version;
  std::wstring url;
  std::wstring spareUrl;
  std::wstring md5;
};

// True when the text is a complete JSON document whose root is an object (read without
// building anything, so neither size nor nesting can hurt).
bool isJsonObjectText(const std::string& text);

// The sub-object of the address document that serves a variant: "mnq4", "mnq64", "mnq9", "mnq".
const char* playerAddressKey(PlayerVariant variant);

// Reads the address document into current (the variant's sub-object, when it is an object)
// and player4 ("mnq4", when it is an object). With the 4.0 variant, current is copied from
// player4. When the result is true and current's spare address is empty, it becomes the
// main address. False when the root is not an object: nothing is changed then.
bool readPlayerAddresses(const std::string& text, PlayerVariant variant, PlayerAddressSet& current,
                         PlayerAddressSet& player4);

// The customer information for one language (its member must be an object; an empty code
// names the member "en").
struct CustomerInfo {
  std::wstring installError;
  std::wstring customerLink;
};
enum class CustomerInfoResult { kNotAnObject, kNoLanguageMember, kRead };
CustomerInfoResult readCustomerInfo(const std::string& text, const std::wstring& languageCode, CustomerInfo& out);

// The machine channel id answer.
enum class ChannelAnswer { kNotAnObject, kCodeNotRight, kNoChannel, kStored };
ChannelAnswer readChannelAnswer(const std::string& text, std::wstring& channelId);

// Appends the records of "result" that have a download address, a game id or a package
// name. False when the root is not an object or "result" is not an array.
bool readGameList(const std::string& text, std::vector<GameRecord>& games);

// The campaign's branding of the player; defaults are the values before any document.
struct Branding {
  enum class Root { kNotGiven, kTrue, kFalse };
  std::wstring launchLandscape;  // "launch_h"
  std::wstring launchPortrait;   // "launch_V"
  std::wstring title;
  std::wstring runApp;
  std::wstring qqLink;
  std::wstring shortcutName;
  std::wstring shortcutUrl;
  std::wstring heapSize;
  bool ad = true;
  bool cleanModel = false;
  bool runAppStore = true;
  Root root = Root::kNotGiven;
};
bool readBranding(const std::string& text, Branding& branding);
