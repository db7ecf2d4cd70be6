// The hidden main window: it defers the import until the message loop runs, then closes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace launcher {

inline constexpr uint32_t kStartMessage = platform::kWmUser + 1;  // 1025

// The order state from argument 1: a decimal integer within 32 bits (anything else is 0),
// cut to its low 8 bits.
uint8_t OrderState(const std::string& text);

// The file to import from argument 4: the first of the files joined by "<br>", unchanged.
std::string FirstDroppedFile(const std::string& files);

class TMain {
 public:
  explicit TMain(std::vector<std::string> arguments);
  // Runs the message loop until the window closes; the exit code.
  int Run();

 private:
  void FormCreate();
  void WindowMessage(uint32_t message);
  void StartImport();
  std::string Argument(size_t index) const;

  std::vector<std::string> Arguments;
  platform::MessageWindow Window;
};

// The whole process, given its arguments: title, hidden window, loop; exit code 0.
int RunApplication(std::vector<std::string> arguments);

}  // namespace launcher
