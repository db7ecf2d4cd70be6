#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/platform.h"
#include "platform/scratch_folder.h"
#include "support/support.h"

namespace {

using testing_support::ScratchFolder;

const char kDelim = platform::PathDelimiter();
std::string D(std::string s) {  // "/" in a literal stands for the platform delimiter
  for (char& c : s)
    if (c == '/') c = kDelim;
  return s;
}

TEST(Presence, FilesFoldersAndOddPaths) {
  ScratchFolder dir("presence");
  std::string file = dir.Write("plain.txt", "x");
  std::string odd = dir.Write("a b;\xE4#%&!.txt", "x");
  platform::CreateDirectory(dir / "sub");
  struct Case {
    std::string path;
    bool file, folder, found;
  } cases[] = {
      {file, true, false, true},
      {odd, true, false, true},
      {dir / "sub", false, true, false},
      {dir.path(), false, true, false},
      {dir / "missing.txt", false, false, false},
      {dir / "missing/deeper/x.txt", false, false, false},
      {file + D("/below-a-file"), false, false, false},
      {dir / std::string("nul\0.txt", 8), false, false, false},
      {"", false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(support::FileIsPresent(c.path), c.file);
    EXPECT_EQ(support::FolderIsPresent(c.path), c.folder);
    EXPECT_EQ(support::FindFileIsPresent(c.path), c.found);
  }
}

TEST(Presence, FileHeldExclusivelyElsewhereIsPresentButUnreadable) {
  ScratchFolder dir("held");
  std::string file = dir.Write("held.txt", "data");
  platform::FileHold hold(file, /*exclusive=*/true);
  ASSERT_TRUE(hold.ok());
  EXPECT_TRUE(support::FileIsPresent(file));
  std::string bytes;
  EXPECT_EQ(platform::ReadWholeFile(file, bytes), platform::kErrorSharingViolation);
  try {
    support::LoadFileBytes(file);
    FAIL() << "no exception";
  } catch (const support::EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, 32);
    EXPECT_NE(std::string(e.what()).find(file), std::string::npos);
  }
}

TEST(Paths, AddAndStripBackslash) {
  struct Case {
    std::string in, added, stripped;
  } cases[] = {
      {"", "", ""},
      {D("/data"), D("/data/"), D("/data")},
      {D("/data/"), D("/data/"), D("/data")},
      {D("/data//"), D("/data//"), D("/data/")},
      {"x", kDelim == '\\' ? "x:\\" : "x/", "x"},
#ifdef _WIN32
      {"C", "C:\\", "C"},
      {"c", "c:\\", "c"},
      {"C:", "C:", "C:"},
      {"C:\\data", "C:\\data\\", "C:\\data"},
      {"7", "7\\", "7"},
#else
      {"a:", "a:/", "a:"},  // no drive letters here
#endif
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(support::AddBackslash(c.in), c.added);
    EXPECT_EQ(support::StripBackslash(c.in), c.stripped);
  }
}

TEST(MakeFolderPath, BuildsEveryMissingParentTopDown) {
  ScratchFolder dir("mkdir");
  platform::CreateDirectory(dir / "a");
  EXPECT_TRUE(support::MakeFolderPath(dir / "a/b/c/"));
  EXPECT_TRUE(support::FolderIsPresent(dir / "a/b"));
  EXPECT_TRUE(support::FolderIsPresent(dir / "a/b/c"));
  EXPECT_TRUE(support::MakeFolderPath(dir / "a/b/c"));  // present already
  EXPECT_TRUE(support::MakeFolderPath(dir / "x/y/z"));
  EXPECT_TRUE(support::FolderIsPresent(dir / "x/y/z"));
}

TEST(MakeFolderPath, FailuresAreFalseOrTheInOutError) {
  ScratchFolder dir("mkdir_fail");
  std::string file = dir.Write("file", "x");
  EXPECT_FALSE(support::MakeFolderPath(file + D("/sub/deeper")));
  EXPECT_FALSE(support::FolderIsPresent(file + D("/sub")));
  EXPECT_FALSE(support::MakeFolderPath(dir / std::string("bad\0name/x", 10)));
#ifdef _WIN32
  EXPECT_FALSE(support::MakeFolderPath("Q:\\missing\\drive\\"));
#endif
  // Empty, and a relative name whose parent runs out: the recursion reaches an empty path.
  for (std::string bad : {std::string(), std::string("no_delimiter_zz9")}) {
    try {
      support::MakeFolderPath(bad);
      FAIL() << "no exception for '" << bad << "'";
    } catch (const support::EInOutError& e) {
      EXPECT_STREQ(e.what(), "Verzeichnis kann nicht erstellt werden");
      EXPECT_EQ(e.ErrorCode, 3);
    }
  }
}

TEST(MakeFolderPath, DeepPathDoesNotExhaustTheStack) {
  ScratchFolder dir("deep");
  std::string deep = dir.path();
  for (int i = 0; i < 20000; ++i) deep += D("d/");
  // Far too long for the system: the answer is the system's, but there is one.
  EXPECT_NO_THROW(support::MakeFolderPath(deep));
}

TEST(TempFolders, SubFolderOfTheTempFolderIsCreated) {
  std::string temp = support::TempPath();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), kDelim);
  EXPECT_EQ(support::TempSubFolder(""), temp + D("ZVTempDir/"));
  EXPECT_TRUE(support::FolderIsPresent(temp + "ZVTempDir"));
  std::string sub = "gaeb_sub_" + std::to_string(platform::WallClockMilliseconds());
  std::string made = support::TempSubFolder(sub);
  EXPECT_EQ(made, temp + D("ZVTempDir/") + sub + kDelim);
  EXPECT_TRUE(support::FolderIsPresent(made));
  std::filesystem::remove(std::filesystem::path(made));
}

TEST(LoadLinesWithRetry, SplitsEveryLineEndAndStopsAtNul) {
  ScratchFolder dir("lines");
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"pipe", {"pipe"}},
      {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
      {"a\r\n", {"a"}},
      {"a\n\nb\r\n\r\n", {"a", "", "b", ""}},
      {"\r\n", {""}},
      {std::string("name\0rest\r\nmore", 16), {"name"}},
  };
  for (const auto& c : cases) {
    std::string file = dir.Write("l.txt", c.bytes);
    std::vector<std::string> lines = {"old"};
    support::LoadLinesWithRetry(lines, file);
    EXPECT_EQ(lines, c.lines) << testing::PrintToString(c.bytes);
  }
  std::vector<std::string> untouched = {"kept"};
  support::LoadLinesWithRetry(untouched, dir / "missing.txt");
  EXPECT_EQ(untouched, std::vector<std::string>{"kept"});
}

TEST(LoadLinesWithRetry, WaitsForAFileHeldForTwoSeconds) {
  ScratchFolder dir("retry");
  std::string file = dir.Write("ZVX.TXT", "pipe-name\r\n");
  auto hold = std::make_unique<platform::FileHold>(file, /*exclusive=*/true);
  ASSERT_TRUE(hold->ok());
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::seconds(2));
    hold.reset();
  });
  auto start = std::chrono::steady_clock::now();
  std::vector<std::string> lines;
  EXPECT_NO_THROW(support::LoadLinesWithRetry(lines, file));
  auto waited = std::chrono::steady_clock::now() - start;
  release.join();
  EXPECT_EQ(lines, std::vector<std::string>{"pipe-name"});
  EXPECT_GE(waited, std::chrono::milliseconds(1500));
}

TEST(LoadFileBytes, KeepsEveryByteAndNamesTheMissingFile) {
  ScratchFolder dir("bytes");
  std::string all;
  for (int c = 0; c < 256; ++c) all.push_back(static_cast<char>(c));
  EXPECT_EQ(support::LoadFileBytes(dir.Write("all.bin", all)), all);
  try {
    support::LoadFileBytes(dir / "none.txt");
    FAIL() << "no exception";
  } catch (const support::EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, 2);
  }
  try {
    support::LoadFileBytes(dir / "none/none.txt");
    FAIL() << "no exception";
  } catch (const support::EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, 3);
  }
}

}  // namespace
