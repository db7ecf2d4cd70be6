// The import document: one process-wide JSON tree with an order, its parts and an address,
// written to through class-level operations and released by its serialisation.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "document/json_list.h"

namespace document {

using TSendOptions = uint8_t;
constexpr TSendOptions soSaveFile = 1;    // the save writes the document file
constexpr TSendOptions soSendToHost = 2;  // the save produces the document text

// Sections of the setters.
constexpr uint8_t kSectionAddress = 0;
constexpr uint8_t kSectionOrder = 1;
constexpr uint8_t kSectionPart = 2;

class TJSON {
 public:
  // Builds the skeleton {"Order":[{"Parts":[],"Adress":[{}]}]}.
  TJSON();
  TJSON(const TJSON&) = delete;
  TJSON& operator=(const TJSON&) = delete;
  virtual ~TJSON();

  // The process-wide document, created on first use.
  static TJSON& Document();
  static TZVJSON& RootObject();
  // Appends a new empty part; section 2 writes to it from now on.
  static TZVJSON* AddPart();
  // Section 0 address, 1 order, 2 current part; anything else, or section 2 before the first
  // part, is dropped.
  static void SetText(uint8_t section, const std::string& name, const std::string& value);
  static void SetFlag(uint8_t section, const std::string& name, bool value);
  // Writes the file (soSaveFile and a file name) and/or the text (soSendToHost), then
  // releases the document, also when writing fails.
  static void Serialize(const std::string& fileName, TSendOptions options, std::string& text);
  static void Discard();
  static bool HasDocument();

 private:
  TZVJSON* Section(uint8_t section) const;

  std::unique_ptr<TZVJSON> Root;
  TZVSONList* OrderList = nullptr;
  TZVJSON* OrderObject = nullptr;
  TZVSONList* PartList = nullptr;
  TZVJSON* CurrentPart = nullptr;
  TZVSONList* AddressList = nullptr;
  TZVJSON* AddressObject = nullptr;
};

class TJSONImport : public TJSON {
 public:
  // Both paths get a trailing delimiter (an empty one stays empty).
  TJSONImport(const std::string& dpPath, const std::string& programmUidFolderName);

  void SetDescription(const std::string& text);
  // Raises "DPPath fehlt!" or "ProgrammUIDFolderName fehlt!" when a file is asked for and
  // only one of the paths is set; every failure discards the document on its way out.
  void Save(const std::string& fileName, TSendOptions options, std::string& text);

  // <DPPath>uniimport/files/<ProgrammUIDFolderName>, created; unchanged when a path is empty.
  void ImportFolder(std::string& path) const;
  // "dd.mm.yyyy hh.nn.ss" of now, the suffix, ".json".
  static std::string DateFileName(const std::string& suffix);
  // A name in the import folder that is not taken yet: the date name, else with [1], [2], ...
  void NewImportFileName(std::string& path) const;

  const std::string& DPPath() const { return dpPath_; }
  const std::string& ProgrammUIDFolderName() const { return programmUidFolderName_; }

 private:
  std::string dpPath_;
  std::string programmUidFolderName_;
};

}  // namespace document
