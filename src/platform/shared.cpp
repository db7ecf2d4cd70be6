// The parts of the seam that are the same on every system.
#include <atomic>

#include "platform/platform.h"
#include "platform/system_separator.h"

namespace platform {

namespace {
std::atomic<char> overriddenSeparator{0};
}  // namespace

char DecimalSeparator() {
  char forced = overriddenSeparator.load();
  return forced ? forced : SystemDecimalSeparator();
}

void OverrideDecimalSeparator(char separator) { overriddenSeparator.store(separator); }

std::u16string AnsiToWide(std::string_view ansi) {
  std::u16string out;
  MultiByteToWide(kCodePageAnsi, ansi, out);
  return out;
}

std::string WideToAnsi(std::u16string_view text) {
  std::string out;
  WideToMultiByte(kCodePageAnsi, text, out);
  return out;
}

}  // namespace platform
