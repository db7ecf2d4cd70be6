#include "launcher/main_form.h"
#include "platform/platform.h"

int main() {
  platform::UseLargePageHeap();
  return launcher::RunApplication();
}
