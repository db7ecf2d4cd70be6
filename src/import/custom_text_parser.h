// The run of one file import: read the file into the import document, then hand it to the host.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "document/json_import.h"

namespace import {

// Caption of every message box the tool shows.
inline constexpr const char* kApplicationTitle = "GAEB Importer";

class TCustomTextParser {
 public:
  TCustomTextParser();
  virtual ~TCustomTextParser();
  TCustomTextParser(const TCustomTextParser&) = delete;
  TCustomTextParser& operator=(const TCustomTextParser&) = delete;

  virtual void Parse(const std::string& FileName, std::vector<std::string>& Lines,
                     const std::string& Kind, uint8_t ParseOption) = 0;
  virtual void Send(std::vector<std::string>& Lines, const std::string& Kind,
                    document::TSendOptions Options);
  virtual int32_t CommandIndex();
  virtual std::string CommandName();
  virtual void Execute(const std::string& FileName, const std::string& Kind,
                       document::TSendOptions Options, uint8_t ParseOption);

  document::TJSONImport& GetImport();
  void ReadSetting(const std::string& Name, std::string& Value);

  std::string DPPath;
  std::string ProgrammUIDFolderName;
  bool Async = true;
  bool KeepResult = false;
  std::string ResultText;
  std::string ReplyText;
  bool Aborted = false;

 protected:
  // Where settings come from and where messages go: the host and a message box, unless a tool
  // that runs without the host says otherwise.
  virtual std::string QuerySetting(const std::string& Name);
  virtual void ShowMessage(const std::string& Text);
  // Hands the finished text to the host.
  virtual void Deliver(const std::string& Text);

 private:
  std::unique_ptr<document::TJSONImport> Import;
};

}  // namespace import
