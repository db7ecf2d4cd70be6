#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/platform.h"

namespace {

// Registered twice: under LC_ALL=de_DE.UTF-8 and, with GAEB_TEST_LOCALE=C, under LC_ALL=C.
TEST(Locale, DecimalSeparatorAndCodePagesFollowTheSystem) {
  bool cLocale = platform::GetEnv("GAEB_TEST_LOCALE") == "C";
  EXPECT_EQ(platform::DecimalSeparator(), cLocale ? '.' : ',');
  EXPECT_EQ(platform::AnsiCodePage(), 1252u);
#ifdef _WIN32
  EXPECT_EQ(platform::OemCodePage(), cLocale ? 437u : 850u);
#else
  EXPECT_EQ(platform::OemCodePage(), 850u);  // a German system, whatever the locale
#endif
  EXPECT_EQ(platform::MacCodePage(), 10000u);
  platform::OverrideDecimalSeparator('#');
  EXPECT_EQ(platform::DecimalSeparator(), '#');
  platform::OverrideDecimalSeparator(0);
  EXPECT_EQ(platform::DecimalSeparator(), cLocale ? '.' : ',');
}

TEST(MessageWindow, HandlesPostedMessagesInOrderUntilClose) {
  std::vector<uint32_t> seen;
  platform::MessageWindow* self = nullptr;
  platform::MessageWindow window([&](uint32_t message, uintptr_t wParam, intptr_t lParam) {
    seen.push_back(message);
    if (message == platform::kWmUser + 1) {
      EXPECT_EQ(wParam, 7u);
      EXPECT_EQ(lParam, -3);
      self->Post(platform::kWmClose);
    }
  });
  self = &window;
  ASSERT_TRUE(window.Post(platform::kWmUser + 1, 7, -3));
  ASSERT_TRUE(window.Post(platform::kWmUser + 2));
  EXPECT_EQ(window.Run(), 0);
  EXPECT_EQ(seen, (std::vector<uint32_t>{platform::kWmUser + 1, platform::kWmUser + 2,
                                         platform::kWmClose}));
  EXPECT_FALSE(window.Post(platform::kWmUser + 1));
}

TEST(MessageWindow, AnExceptionInTheHandlerLeavesRun) {
  platform::MessageWindow window([](uint32_t message, uintptr_t, intptr_t) {
    if (message == platform::kWmUser + 1) throw std::runtime_error("Fehler im Handler");
  });
  window.Post(platform::kWmUser + 1);
  try {
    window.Run();
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Fehler im Handler");
  }
}

TEST(MessageBox, GoesToStandardErrorAsCaptionAndText) {
  testing::internal::CaptureStderr();
  platform::MessageBox("Auftrag muss auf \"Bearbeiten\" stehen!", "GAEB Importer");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "GAEB Importer: Auftrag muss auf \"Bearbeiten\" stehen!\n");
}

std::string ChildPath() {
  std::string path = GAEB_ECHO_CHILD;
#ifdef _WIN32
  if (!path.empty() && path[0] == '/') {  // a Unix path seen from Wine: drive Z is the root
    for (char& c : path)
      if (c == '/') c = '\\';
    path = "Z:" + path;
  }
#endif
  return path;
}

TEST(Processes, ArgumentsAndStreamsArriveUnchanged) {
  std::vector<std::string> args = {"2", "a b", "", "quote\"inside", "back\\slash\\",
                                   "C:\\x y\\<br>D:\\z", "tail\\\\\"q"};
  std::string input;
  for (int i = 0; i < 70000; ++i) input.push_back(static_cast<char>(i * 7));
  platform::ProcessResult r = platform::RunProcess(ChildPath(), args, input);
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_EQ(r.out, input);
  std::string expected;
  for (const auto& a : args) expected += "[" + a + "]\n";
#ifdef _WIN32
  std::string err;  // the child's stderr is in text mode on Windows
  for (size_t i = 0; i < r.err.size(); ++i)
    if (!(r.err[i] == '\r' && i + 1 < r.err.size() && r.err[i + 1] == '\n')) err += r.err[i];
  r.err = err;
#endif
  EXPECT_EQ(r.err, expected);
}

TEST(Processes, OwnArgumentsStartWithTheProgram) {
  std::vector<std::string> args = platform::ProcessArguments();
  ASSERT_FALSE(args.empty());
  EXPECT_NE(args[0].find("platform_tests"), std::string::npos);
  EXPECT_EQ(platform::RunProcess("no-such-program-zz9", {}).exitCode, -1);
}

}  // namespace
