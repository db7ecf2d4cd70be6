#include <gtest/gtest.h>

#include <chrono>

#include "platform/platform.h"
#include "platform/scratch_folder.h"
#include "support/support.h"

namespace {

// The service-location file stays locked past the ten seconds of retries: the hundredth
// failure reaches the caller, and lines stay as they were.
TEST(LoadLinesWithRetry, GivesUpAfterAHundredTries) {
  testing_support::ScratchFolder dir("timeout");
  std::string file = dir.Write("ZVX.TXT", "pipe\r\n");
  platform::FileHold hold(file, /*exclusive=*/true);
  ASSERT_TRUE(hold.ok());
  std::vector<std::string> lines = {"old"};
  auto start = std::chrono::steady_clock::now();
  try {
    support::LoadLinesWithRetry(lines, file);
    FAIL() << "no exception";
  } catch (const support::EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, 32);
  }
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(9900));
  EXPECT_EQ(lines, std::vector<std::string>{"old"});
}

}  // namespace
