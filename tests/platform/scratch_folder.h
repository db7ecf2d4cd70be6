// A fresh folder below the temp folder for one test, removed afterwards. Under Wine every test
// shares the prefix's temp folder, so the name carries the clock and a counter.
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/platform.h"

namespace testing_support {

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& tag) {
    static std::atomic<int> counter{0};
    path_ = platform::GetTempPath() + "gaeb_" + tag + "_" +
            std::to_string(platform::WallClockMilliseconds()) + "_" +
            std::to_string(counter++);
    platform::CreateDirectory(path_);
    path_ += platform::PathDelimiter();
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(path_), ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder, ending in the path delimiter.
  const std::string& path() const { return path_; }
  // A path inside the folder; "/" in `relative` stands for the platform's delimiter.
  std::string operator/(std::string relative) const {
    for (char& c : relative)
      if (c == '/') c = platform::PathDelimiter();
    return path_ + relative;
  }
  std::string Write(const std::string& relative, const std::string& bytes) const {
    std::string file = *this / relative;
    platform::WriteWholeFileExclusive(file, bytes);
    return file;
  }

 private:
  std::string path_;
};

}  // namespace testing_support
