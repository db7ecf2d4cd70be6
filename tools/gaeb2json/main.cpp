// gaeb2json: runs the importer on one file without the host and prints the document the host
// would receive.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "import/gaeb_parser.h"
#include "platform/platform.h"
#include "support/support.h"

namespace {

const char kUsage[] =
    "usage: gaeb2json FILE [--taxh TEXT] [--decimal-separator C] [--utf8]\n"
    "  Imports FILE (GAEB 90 or tagged GAEB text) as the GAEB Importer does and writes the\n"
    "  import document, exactly as the host would receive it, to standard output.\n"
    "  --taxh TEXT             answer to the TAXH setting (default: empty, as without host)\n"
    "  --decimal-separator C   decimal separator instead of the system's\n"
    "  --utf8                  write UTF-8 instead of the ANSI bytes\n"
    "exit status: 0 imported, 1 a message was shown, 2 missing file or bad options\n";


struct Options {
  std::string file;
  std::string taxh;
  bool utf8 = false;
};

// The importer with the host replaced: settings from the command line, messages on standard
// error, the document kept instead of sent.
class TOfflineGAEBParser : public import::TGAEBParser {
 public:
  explicit TOfflineGAEBParser(const Options& options) : options_(options) {}
  bool MessageShown = false;
  bool Delivered = false;
  std::string Document;

  void Report(const std::string& text) {
    std::string line = std::string(import::kApplicationTitle) + ": " + text + "\n";
    if (options_.utf8) line = support::AnsiToUtf8(line);
    std::fwrite(line.data(), 1, line.size(), stderr);
    MessageShown = true;
  }

 protected:
  std::string QuerySetting(const std::string& Name) override {
    return Name == "TAXH" ? options_.taxh : std::string();
  }
  void ShowMessage(const std::string& Text) override { Report(Text); }
  void Deliver(const std::string& Text) override {
    Document = Text;
    Delivered = true;
  }

 private:
  const Options& options_;
};

int BadUsage(const std::string& why) {
  std::fprintf(stderr, "gaeb2json: %s\n%s", why.c_str(), kUsage);
  return 2;
}

}  // namespace

int main() {
  platform::SetBinaryStdio();
  const std::vector<std::string> args = platform::ProcessArguments();
  Options options;
  bool haveFile = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (a == "--utf8") {
      options.utf8 = true;
    } else if (a == "--taxh" || a == "--decimal-separator") {
      if (i + 1 >= args.size()) return BadUsage(a + " needs a value");
      const std::string& value = args[++i];
      if (a == "--taxh") {
        options.taxh = value;
      } else {
        if (value.size() != 1) return BadUsage("--decimal-separator takes one character");
        platform::OverrideDecimalSeparator(value[0]);
      }
    } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
      return BadUsage("unknown option " + a);
    } else if (haveFile) {
      return BadUsage("only one file can be converted");
    } else {
      options.file = a;
      haveFile = true;
    }
  }
  if (!haveFile) return BadUsage("no file given");
  if (!support::FileIsPresent(options.file)) {
    std::fprintf(stderr, "gaeb2json: no such file: %s\n", options.file.c_str());
    return 2;
  }
  platform::UseLargePageHeap(options.file);

  TOfflineGAEBParser parser(options);
  try {
    parser.Execute(options.file, "GAEB", document::soSendToHost, 1);
  } catch (const std::exception& e) {
    parser.Report(e.what());
  }
  if (parser.Delivered) {
    const std::string out = options.utf8 ? support::AnsiToUtf8(parser.Document) : parser.Document;
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
  }
  return parser.MessageShown ? 1 : 0;
}
