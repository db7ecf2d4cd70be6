#include "import_run.h"

#include "document/json_import.h"
#include "import/gaeb_parser.h"

namespace robust {
namespace {

class CollectingParser : public import::TGAEBParser {
 public:
  explicit CollectingParser(std::vector<std::string>& messages) : messages_(messages) {}

 protected:
  void ShowMessage(const std::string& Text) override { messages_.push_back(Text); }

 private:
  std::vector<std::string>& messages_;
};

}  // namespace

ImportOutcome RunImport(const std::string& fileName, FakeHost& host) {
  ImportOutcome outcome;
  {
    CollectingParser parser(outcome.messages);
    parser.Execute(fileName, "GAEB", document::soSendToHost, 1);
  }
  outcome.requests = host.requests;
  outcome.opens = host.opens;
  for (const Request& r : host.requests) {
    if (r.command() == "OUTDATA") {
      outcome.sent = true;
      outcome.document = r.data();
    }
  }
  return outcome;
}

ImportOutcome RunImport(const std::string& fileName) {
  FakeHost host;
  host.settings = {{"TAXH", "19"}, {"DEFAULTFONT", "Arial"}};
  return RunImport(fileName, host);
}

int PartCount(const std::string& document) {
  const std::string key = "\"Parts\":[";
  size_t at = document.find(key);
  if (at == std::string::npos) return 0;
  // Parts hold flat objects of strings: count the objects up to the array's end, skipping
  // string contents (which may hold braces).
  int count = 0;
  bool inString = false;
  for (size_t i = at + key.size(); i < document.size(); ++i) {
    char c = document[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '{') {
      ++count;
    } else if (c == ']') {
      break;
    }
  }
  return count;
}

}  // namespace robust
