#include <string>
#include <utility>
#include <vector>

#include "launcher/main_form.h"
#include "platform/platform.h"

int main() {
  std::vector<std::string> args = platform::ProcessArguments();
  platform::UseLargePageHeap(launcher::FirstDroppedFile(args.size() > 4 ? args[4] : std::string()));
  return launcher::RunApplication(std::move(args));
}
