#include "launcher/main_form.h"

#include <exception>
#include <memory>
#include <utility>

#include "import/gaeb_parser.h"
#include "support/support.h"

namespace launcher {
namespace {

// What the application does with an exception that no one else caught.
void ShowException(const std::exception& e) {
  platform::MessageBox(e.what(), import::kApplicationTitle);
}

}  // namespace

uint8_t OrderState(const std::string& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return 0;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    value = value * 10 + (text[i] - '0');
    if (value > 2147483648LL) return 0;
  }
  if (negative) value = -value;
  if (value > 2147483647LL) return 0;
  return static_cast<uint8_t>(static_cast<uint64_t>(value) & 0xFF);
}

std::string FirstDroppedFile(const std::string& files) {
  std::string text = files;
  support::ReplaceAllText(text, "<br>", "\r\n");
  const std::vector<std::string> lines = support::SplitLines(text);
  return lines.empty() ? std::string() : lines.front();
}

TMain::TMain(std::vector<std::string> arguments)
    : Arguments(std::move(arguments)),
      Window([this](uint32_t message, uintptr_t, intptr_t) { WindowMessage(message); }) {
  FormCreate();
}

void TMain::FormCreate() { Window.Post(kStartMessage, 0, 0); }

int TMain::Run() { return Window.Run(); }

std::string TMain::Argument(size_t index) const {
  return index < Arguments.size() ? Arguments[index] : std::string();
}

void TMain::WindowMessage(uint32_t message) {
  if (message != kStartMessage) return;
  try {
    StartImport();
  } catch (const std::exception& e) {
    ShowException(e);
  }
}

void TMain::StartImport() {
  // The close is posted whatever happens below; it is handled once this handler has returned.
  struct CloseOnExit {
    platform::MessageWindow& window;
    ~CloseOnExit() { window.Post(platform::kWmClose, 0, 0); }
  } close{Window};

  const uint8_t state = OrderState(Argument(1));
  if (state != 2 && state != 6) {
    platform::MessageBox("Auftrag muss auf \"Bearbeiten\" stehen!", import::kApplicationTitle);
    return;
  }
  const std::string fileName = FirstDroppedFile(Argument(4));
  auto parser = std::make_unique<import::TGAEBParser>();
  parser->Execute(fileName, "GAEB", document::soSendToHost, 1);
}

int RunApplication(std::vector<std::string> arguments) {
  try {
    TMain main(std::move(arguments));
    return main.Run();
  } catch (const std::exception& e) {
    ShowException(e);
    return 0;
  }
}

}  // namespace launcher
