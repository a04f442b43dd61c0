// The embedded archives for real: this test program carries the installer's own skin and
// fonts archives as its ZIPRES 129 and 130, and a small non-solid archive to damage.
#include <gtest/gtest.h>

#include <map>

#include "skin/archive.h"
#include "skin/fonts.h"
#include "skin/language_table.h"
#include "skin/skin_files.h"
#include "tests/support/test_support.h"
#include "utility/log.h"

using namespace testing_support;

namespace {

constexpr UINT kSkinArchive = 129, kFontArchive = 130, kSmallArchive = 140, kNamedArchive = 141, kNamelessArchive = 142;

std::string resourceBytes(UINT id) {
  const void* data = nullptr;
  size_t size = 0;
  if (!skin::findResourceBytes(nullptr, id, L"ZIPRES", &data, &size)) return std::string();
  return std::string(static_cast<const char*>(data), size);
}

struct Entry {
  std::wstring path;
  std::string bytes;
};

std::vector<Entry> entriesOf(const std::string& archive, skin::UnpackResult* result) {
  std::vector<Entry> entries;
  *result = skin::unpackArchive(archive.data(), archive.size(),
                                [&](const std::wstring& path, bool isDirectory, const unsigned char* data, size_t size) {
                                  if (!isDirectory) entries.push_back({path, std::string(reinterpret_cast<const char*>(data), size)});
                                  return true;
                                });
  return entries;
}

TEST(SkinArchive, AnIntactArchiveGivesEveryEntryInOrder) {
  skin::UnpackResult result;
  std::vector<Entry> entries = entriesOf(resourceBytes(kSmallArchive), &result);
  EXPECT_EQ(skin::UnpackResult::Complete, result);
  ASSERT_EQ(3u, entries.size());
  std::map<std::wstring, size_t> sizes;
  for (auto& e : entries) sizes[e.path] = e.bytes.size();
  EXPECT_EQ(4096u, sizes[L"sub/b.bin"]) << "stored paths use /";
  EXPECT_EQ(4096u, sizes[L"a.bin"]);
}

TEST(SkinArchive, ADamagedEntryStopsTheWalkAndKeepsEarlierOnes) {
  std::string archive = resourceBytes(kSmallArchive);
  skin::UnpackResult result;
  std::vector<Entry> intact = entriesOf(archive, &result);
  ASSERT_EQ(3u, intact.size());
  // Random content is stored raw in its own stream: 32 header bytes, then each entry's bytes.
  size_t inSecond = 32 + intact[0].bytes.size() + 8 + intact[1].bytes.size() / 2;
  archive[inSecond] = static_cast<char>(archive[inSecond] ^ 0x5A);
  std::vector<Entry> damaged = entriesOf(archive, &result);
  EXPECT_EQ(skin::UnpackResult::Damaged, result);
  ASSERT_EQ(1u, damaged.size());
  EXPECT_EQ(intact[0].path, damaged[0].path);

  skin::SkinFileStore store;
  EXPECT_EQ(1u, store.fillFromArchive(archive.data(), archive.size()));
  EXPECT_NE(nullptr, store.find(intact[0].path));
  EXPECT_EQ(nullptr, store.find(intact[1].path));
}

TEST(SkinArchive, AnArchiveWithoutEntryNamesIsRefused) {
  // One hand-made archive, once with its names property and once without; all else equal.
  skin::UnpackResult result;
  std::vector<Entry> named = entriesOf(resourceBytes(kNamedArchive), &result);
  EXPECT_EQ(skin::UnpackResult::Complete, result);
  ASSERT_EQ(1u, named.size());
  EXPECT_EQ(L"crafted.txt", named[0].path);
  EXPECT_EQ("an entry without a name", named[0].bytes);

  const std::string nameless = resourceBytes(kNamelessArchive);
  ASSERT_FALSE(nameless.empty());
  EXPECT_TRUE(entriesOf(nameless, &result).empty());
  EXPECT_EQ(skin::UnpackResult::NotAnArchive, result);
  skin::SkinFileStore store;
  EXPECT_EQ(0u, store.fillFromArchive(nameless.data(), nameless.size()));
  std::wstring scratch = makeTempDir(L"nameless");
  EXPECT_EQ(0u, skin::unpackFontArchive(nameless.data(), nameless.size(), scratch));
  removeTree(scratch);
}

TEST(SkinArchive, EmptyOrMissingBytesLeaveTheStoreEmpty) {
  skin::SkinFileStore store;
  EXPECT_EQ(0u, store.fillFromArchive(nullptr, 0));
  std::string junk(100, 'x');
  EXPECT_EQ(0u, store.fillFromArchive(junk.data(), junk.size()));
  EXPECT_EQ(0u, store.size());
  const void* data = nullptr;
  size_t size = 0;
  EXPECT_FALSE(skin::findResourceBytes(nullptr, 999, L"ZIPRES", &data, &size));
}

class SkinFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setSkinInstance(nullptr);
    overrideTable_ = skinInstanceFolder() + L"multi_language.tsv";
    overrideFolder_ = skinInstanceFolder() + L"skin\\";
  }
  void TearDown() override {
    DeleteFileW(overrideTable_.c_str());
    removeTree(overrideFolder_);
    setResourceFolder(L"");
  }
  std::wstring overrideTable_, overrideFolder_;
};

TEST_F(SkinFilesTest, TheEmbeddedSkinFillsTheStoreAndTheTable) {
  setCurrentLanguage(L"de_DE", L"en_US");
  setResourceFolder(skinInstanceFolder() + L"skin");
  EXPECT_TRUE(resourceFolder().empty()) << "no skin folder next to the program";
  loadSkinArchive(kSkinArchive, L"multi_language.tsv");
  EXPECT_GT(skin::SkinFileStore::instance().size(), 16u);
  std::string bundle;
  EXPECT_TRUE(getSkinFile(L"language\\downloader_de.xml", &bundle)) << "backslashes find the stored entry";
  EXPECT_NE(std::string::npos, bundle.find("StringBundle"));
  std::string licence;
  EXPECT_TRUE(getSkinFile(L"licence/licence_de.txt", &licence)) << "the licences travel in the skin archive";
  ASSERT_TRUE(lookupText(L"Title_wndTitle").has_value());
  EXPECT_FALSE(lookupText(L"Title_wndTitle")->empty());
  ASSERT_TRUE(lookupText(L"customerLink").has_value());
  EXPECT_EQ(0u, lookupText(L"customerLink")->find(L"http")) << "the configured address replaced the marker";
}

TEST_F(SkinFilesTest, FilesNextToTheProgramOverrideTheEmbeddedOnes) {
  ASSERT_TRUE(writeFile(overrideTable_, "Code\tlanguage_code\ten_US\r\nLanguage\tlanguage_name\tEnglish\r\n"
                                        "Label\tTitle_wndTitle\tFrom disk\r\n"));
  ASSERT_TRUE(CreateDirectoryW(overrideFolder_.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((overrideFolder_ + L"language").c_str(), nullptr));
  ASSERT_TRUE(writeFile(overrideFolder_ + L"language\\downloader_en.xml", "<StringBundle ver=\"100\"/>"));

  setCurrentLanguage(L"en_US", L"en_US");
  setResourceFolder(skinInstanceFolder() + L"skin");
  EXPECT_EQ(overrideFolder_, resourceFolder());
  loadSkinArchive(kSkinArchive, L"multi_language.tsv");
  EXPECT_EQ(L"From disk", lookupText(L"Title_wndTitle").value_or(L""));
  std::string bundle;
  ASSERT_TRUE(getSkinFile(L"language\\downloader_en.xml", &bundle));
  EXPECT_EQ("<StringBundle ver=\"100\"/>", bundle);
  ASSERT_TRUE(getSkinFile(L"language/downloader_de.xml", &bundle)) << "files not on disk still come from the store";
  EXPECT_TRUE(getSkinFile(overrideTable_, &bundle)) << "an absolute path reads from disk";

  // An empty table next to the program means no table, not the embedded one.
  ASSERT_TRUE(writeFile(overrideTable_, ""));
  loadLanguageTable("");
  loadSkinArchive(kSkinArchive, L"multi_language.tsv");
  EXPECT_FALSE(lookupText(L"Title_wndTitle").has_value());
}

std::vector<std::wstring>* g_lines = nullptr;
void captureSink(const char*, int, const wchar_t* text) {
  if (g_lines) g_lines->push_back(text);
}

TEST(Fonts, ArchiveIsUnpackedOverExistingFilesAndTheRecordsFontAdded) {
  std::wstring folder = skin::fontsFolder();
  std::string fonts = resourceBytes(kFontArchive);
  ASSERT_FALSE(fonts.empty());
  CreateDirectoryW(folder.c_str(), nullptr);
  writeFile(folder + L"Roboto-Regular.otf", "stale");
  std::wstring scratch = makeTempDir(L"fonts");
  EXPECT_EQ(7u, skin::unpackFontArchive(fonts.data(), fonts.size(), scratch));
  // A second start keeps what is current and writes again only what differs.
  const std::wstring kept = scratch + L"NotoSans-Regular.otf", damaged = scratch + L"NanumGothic.otf";
  std::string damagedBytes = readFile(damaged);
  const std::string original = damagedBytes;
  damagedBytes[damagedBytes.size() / 2] ^= 0x5A;
  ASSERT_TRUE(writeFile(damaged, damagedBytes));
  HANDLE keptFile = CreateFileW(kept.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, keptFile);
  EXPECT_EQ(7u, skin::unpackFontArchive(fonts.data(), fonts.size(), scratch))
      << "a current font open without write sharing is kept, not rewritten";
  CloseHandle(keptFile);
  EXPECT_EQ(original, readFile(damaged)) << "a changed font is written again";

  std::vector<std::wstring> lines;
  g_lines = &lines;
  LogSink previous = g_logSink;
  g_logSink = &captureSink;
  installFonts(nullptr, languageRecordFor(L"kr"));
  EXPECT_GT(readFile(folder + L"Roboto-Regular.otf").size(), 1000u) << "overwritten";
  for (const wchar_t* name : {L"NanumGothic.otf", L"NotoSans-Regular.otf", L"Roboto-Regular.otf"}) {
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((folder + name).c_str())) << name;
  }
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(0u, lines[0].find(L"load Noto Sans fonts ret:1  error:")) << lines[0];

  // The face can be created and is the one asked for.
  HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Noto Sans");
  ASSERT_NE(nullptr, font);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  EXPECT_STREQ(L"Noto Sans", face);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(font);
  removeInstalledFont(languageRecordFor(L"kr"));

  lines.clear();
  installFonts(nullptr, languageRecordFor(L"th"));
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(0u, lines[0].find(L"load Noto Sans fonts ret:0  error:")) << "Thai adds no font: only logged";
  g_lines = nullptr;
  g_logSink = previous;
  removeTree(scratch);
}

}  // namespace
