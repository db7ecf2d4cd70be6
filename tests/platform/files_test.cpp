#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/platform.h"
#include "platform/scratch_folder.h"

namespace {

using testing_support::ScratchFolder;

TEST(Files, AttributesAndTheirErrorCodes) {
  ScratchFolder dir("attr");
  std::string file = dir.Write("f.txt", "x");
  uint32_t a = platform::GetFileAttributes(file);
  ASSERT_NE(a, platform::kInvalidFileAttributes);
  EXPECT_EQ(a & platform::kAttributeDirectory, 0u);
  EXPECT_NE(platform::GetFileAttributes(dir.path()) & platform::kAttributeDirectory, 0u);
  struct Case {
    std::string path;
    uint32_t error;
  } missing[] = {
      {dir / "none.txt", platform::kErrorFileNotFound},
      {dir / "none/none.txt", platform::kErrorPathNotFound},
      {dir / std::string("a\0b", 3), platform::kErrorInvalidName},
  };
  for (const auto& c : missing) {
    EXPECT_EQ(platform::GetFileAttributes(c.path), platform::kInvalidFileAttributes);
    EXPECT_EQ(platform::LastError(), c.error) << testing::PrintToString(c.path);
  }
}

TEST(Files, FindFirstWithAndWithoutWildcards) {
  ScratchFolder dir("find");
  dir.Write("one.txt", "1");
  platform::CreateDirectory(dir / "sub");
  bool isDirectory = true;
  EXPECT_TRUE(platform::FindFirst(dir / "one.txt", &isDirectory));
  EXPECT_FALSE(isDirectory);
  EXPECT_TRUE(platform::FindFirst(dir / "*.txt", &isDirectory));
  EXPECT_FALSE(isDirectory);
  EXPECT_TRUE(platform::FindFirst(dir / "sub", &isDirectory));
  EXPECT_TRUE(isDirectory);
  EXPECT_FALSE(platform::FindFirst(dir / "*.none", &isDirectory));
  EXPECT_FALSE(platform::FindFirst(dir / "none/*.txt", &isDirectory));
}

// Who holds the file, and what another open then gets: the Windows share rules, on POSIX by flock.
TEST(Files, SharingFollowsTheHolder) {
  ScratchFolder dir("share");
  std::string file = dir.Write("held.txt", "original");
  struct Row {
    bool holdExclusive;
    uint32_t read, write;
    bool secondShared, secondExclusive;
  } rows[] = {
      {true, 32, 32, false, false},
      {false, 0, 32, true, false},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.holdExclusive ? "exclusive holder" : "holder denying write");
    platform::FileHold hold(file, r.holdExclusive);
    ASSERT_TRUE(hold.ok());
    std::string bytes;
    EXPECT_EQ(platform::ReadWholeFile(file, bytes), r.read);
    if (r.read == 0) {
      EXPECT_EQ(bytes, "original");
    }
    EXPECT_EQ(platform::WriteWholeFileExclusive(file, "replaced"), r.write);
    EXPECT_EQ(platform::FileHold(file, false).ok(), r.secondShared);
    EXPECT_EQ(platform::FileHold(file, true).ok(), r.secondExclusive);
  }
  // A refused write has not cut the file, and without a holder everything goes.
  std::string bytes;
  EXPECT_EQ(platform::ReadWholeFile(file, bytes), 0u);
  EXPECT_EQ(bytes, "original");
  EXPECT_EQ(platform::WriteWholeFileExclusive(file, "new"), 0u);
  EXPECT_EQ(platform::ReadWholeFile(file, bytes), 0u);
  EXPECT_EQ(bytes, "new");
}

TEST(Files, ReadAndWriteErrors) {
  ScratchFolder dir("rw");
  std::string bytes = "kept";
  EXPECT_EQ(platform::ReadWholeFile(dir / "none.txt", bytes), platform::kErrorFileNotFound);
  EXPECT_EQ(platform::ReadWholeFile(dir / "none/x.txt", bytes), platform::kErrorPathNotFound);
  EXPECT_EQ(platform::ReadWholeFile(dir.path(), bytes), platform::kErrorAccessDenied);
  EXPECT_EQ(bytes, "kept");
  EXPECT_EQ(platform::WriteWholeFileExclusive(dir / "none/x.txt", "x"),
            platform::kErrorPathNotFound);
  platform::CreateDirectory(dir / "sub");
  EXPECT_EQ(platform::WriteWholeFileExclusive(dir / "sub", "x"), platform::kErrorAccessDenied);
}

TEST(Files, CreateDirectoryReportsWhyItFailed) {
  ScratchFolder dir("mk");
  EXPECT_TRUE(platform::CreateDirectory(dir / "new"));
  EXPECT_FALSE(platform::CreateDirectory(dir / "new"));
  EXPECT_EQ(platform::LastError(), 183u);  // already exists
  EXPECT_FALSE(platform::CreateDirectory(dir / "none/new"));
  EXPECT_EQ(platform::LastError(), platform::kErrorPathNotFound);
}

TEST(Files, TempPathEndsWithTheDelimiter) {
  std::string temp = platform::GetTempPath();
  ASSERT_FALSE(temp.empty());
  EXPECT_EQ(temp.back(), platform::PathDelimiter());
#ifndef _WIN32
  std::string saved = platform::GetEnv("TMPDIR");
  ::setenv("TMPDIR", "/some/where", 1);
  EXPECT_EQ(platform::GetTempPath(), "/some/where/");
  ::setenv("TMPDIR", "", 1);
  EXPECT_EQ(platform::GetTempPath(), "/tmp/");
  ::setenv("TMPDIR", saved.c_str(), 1);
#endif
}

TEST(Files, LocalDateTimeIsPlausible) {
  platform::LocalDateTime t = platform::Now();
  EXPECT_GE(t.year, 2024);
  EXPECT_TRUE(t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31);
  EXPECT_TRUE(t.hour < 24 && t.minute < 60 && t.second < 61 && t.millisecond < 1000);
}

}  // namespace
