#include "import/custom_text_parser.h"

#include "exchange/exchange_calls.h"
#include "platform/platform.h"

namespace import {

TCustomTextParser::TCustomTextParser() = default;
TCustomTextParser::~TCustomTextParser() = default;

int32_t TCustomTextParser::CommandIndex() { return 11; }
std::string TCustomTextParser::CommandName() { return "OUTDATA"; }

document::TJSONImport& TCustomTextParser::GetImport() {
  if (!Import) Import = std::make_unique<document::TJSONImport>(DPPath, ProgrammUIDFolderName);
  return *Import;
}

void TCustomTextParser::ReadSetting(const std::string& Name, std::string& Value) {
  Value = QuerySetting(Name);
}

std::string TCustomTextParser::QuerySetting(const std::string& Name) {
  std::string value;
  exchange::ReadIPCValueSync(Name, false, std::string(), value);
  return value;
}

void TCustomTextParser::ShowMessage(const std::string& Text) {
  platform::MessageBox(Text, kApplicationTitle);
}

void TCustomTextParser::Execute(const std::string& FileName, const std::string& Kind,
                                document::TSendOptions Options, uint8_t ParseOption) {
  Aborted = false;
  struct ResetOnExit {
    bool& aborted;
    ~ResetOnExit() { aborted = false; }
  } reset{Aborted};
  std::vector<std::string> Lines;
  Parse(FileName, Lines, Kind, ParseOption);
  if (!Aborted) Send(Lines, Kind, Options);
  if (Aborted) document::TJSON::Discard();
}

void TCustomTextParser::Send(std::vector<std::string>& /*Lines*/, const std::string& /*Kind*/,
                             document::TSendOptions Options) {
  ReplyText.clear();
  std::string text;
  GetImport().Save(std::string(), Options, text);
  if (KeepResult) ResultText = text;
  if (Options & document::soSendToHost) Deliver(text);
}

void TCustomTextParser::Deliver(const std::string& Text) {
  const std::string command = CommandName();
  if (Async) {
    exchange::WriteIPCValueASync(Text, CommandIndex(), false, command);
  } else {
    std::string reply;
    exchange::WriteIPCValueSync(Text, CommandIndex(), false, command, reply);
    ReplyText = reply;
  }
}

}  // namespace import
