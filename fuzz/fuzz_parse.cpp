// The GAEB importer end to end on arbitrary file contents: settings and delivery through the
// in-process service, so every input runs Parse, the emission, the serialisation and the send.
// Built twice: FUZZ_TAGGED=0 makes every input a GAEB 90 file, 1 a tagged one.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "document/json_import.h"
#include "fake_host.h"
#include "import/gaeb_parser.h"
#include "json_check.h"

namespace {

std::string g_file;

// The importer as the host runs it, with its message box kept instead of shown.
class Parser : public import::TGAEBParser {
 public:
  std::vector<std::string> messages;

 protected:
  void ShowMessage(const std::string& Text) override { messages.push_back(Text); }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  auto dir = std::filesystem::temp_directory_path() / ("gaeb-fuzz-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  setenv("TMPDIR", dir.c_str(), 1);
  g_file = (dir / "input.d83").string();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string body(reinterpret_cast<const char*>(data), size);
#if FUZZ_TAGGED
  body = "#begin[GAEB]\r\n" + body;
#else
  body = "\r\n" + body;  // an empty first line: never a marker, always GAEB 90
#endif
  {
    std::ofstream out(g_file, std::ios::binary | std::ios::trunc);
    out.write(body.data(), static_cast<std::streamsize>(body.size()));
  }

  robust::FakeHost host;
  host.settings = {{"TAXH", "19"}, {"DEFAULTFONT", "Arial\r\n10"}};
  {
    Parser parser;
    parser.Execute(g_file, "GAEB", document::soSendToHost, 1);
    if (parser.FormatKind != (FUZZ_TAGGED ? 1 : 0)) std::abort();
    for (const auto& m : parser.messages) {
      if (m.empty()) std::abort();  // a failure without its text
    }
  }
  if (document::TJSON::HasDocument()) std::abort();  // the send released it
  const auto sent = host.Outdata();
  if (sent.size() != 1) std::abort();
  const std::string& json = sent[0];
  if (!fuzzcheck::IsJson(json)) std::abort();
  if (json.rfind("{\"Order\":[{", 0) != 0) std::abort();
  const std::string tail = "\"Description\":\"GAEB\"}";
  if (json.size() < tail.size() || json.compare(json.size() - tail.size(), tail.size(), tail) != 0)
    std::abort();
  return 0;
}
