#include "document/json_import.h"

#include <cstdio>
#include <stdexcept>

#include "document/json_const.h"
#include "document/json_writer.h"
#include "platform/platform.h"
#include "support/support.h"

namespace document {
namespace {

// The one document of the process; created by the first write, released by Serialize.
std::unique_ptr<TJSON>& TheDocument() {
  static std::unique_ptr<TJSON> document;
  return document;
}

std::u16string Key(const char* name) { return platform::AnsiToWide(name); }

}  // namespace

TJSON::TJSON() : Root(std::make_unique<TZVJSON>(true)) {
  auto orderList = std::make_unique<TZVSONList>();
  auto orderObject = std::make_unique<TZVJSON>(true);
  auto partList = std::make_unique<TZVSONList>();
  auto addressList = std::make_unique<TZVSONList>();
  auto addressObject = std::make_unique<TZVJSON>(true);
  OrderList = orderList.get();
  OrderObject = orderObject.get();
  PartList = partList.get();
  AddressList = addressList.get();
  AddressObject = addressObject.get();

  Root->AddMember(Key(UJSONConst::Structure::Order), std::move(orderList));
  OrderList->AddElement(std::move(orderObject));
  OrderObject->AddMember(Key(UJSONConst::Structure::Parts), std::move(partList));
  OrderObject->AddMember(Key(UJSONConst::Structure::Adress), std::move(addressList));
  AddressList->AddElement(std::move(addressObject));
}

TJSON::~TJSON() = default;

TJSON& TJSON::Document() {
  std::unique_ptr<TJSON>& document = TheDocument();
  if (!document) document = std::make_unique<TJSON>();
  return *document;
}

TZVJSON& TJSON::RootObject() { return *Document().Root; }

TZVJSON* TJSON::AddPart() {
  TJSON& document = Document();
  auto part = std::make_unique<TZVJSON>(true);
  document.CurrentPart = part.get();
  document.PartList->AddElement(std::move(part));
  return document.CurrentPart;
}

TZVJSON* TJSON::Section(uint8_t section) const {
  switch (section) {
    case kSectionAddress: return AddressObject;
    case kSectionOrder: return OrderObject;
    case kSectionPart: return CurrentPart;
    default: return nullptr;
  }
}

void TJSON::SetText(uint8_t section, const std::string& name, const std::string& value) {
  if (TZVJSON* target = Document().Section(section)) target->AssignStringByName(name, value);
}

void TJSON::SetFlag(uint8_t section, const std::string& name, bool value) {
  if (TZVJSON* target = Document().Section(section)) target->AssignBooleanByName(name, value);
}

void TJSON::Serialize(const std::string& fileName, TSendOptions options, std::string& text) {
  text.clear();
  std::unique_ptr<TJSON>& document = TheDocument();
  if (!document) return;
  // Released on every way out, also when the file step raises.
  std::unique_ptr<TJSON> released = std::move(document);
  const TZVJSON* root = released->Root.get();
  std::string written;
  if (!fileName.empty() && (options & soSaveFile)) {
    written = WriteText(root);
    TZVJSONStreamer::WriteTextToFile(written, fileName);
  }
  if (options & soSendToHost) text = written.empty() ? WriteText(root) : std::move(written);
}

void TJSON::Discard() { TheDocument().reset(); }

bool TJSON::HasDocument() { return TheDocument() != nullptr; }

// ---- TJSONImport ---------------------------------------------------------------------------

TJSONImport::TJSONImport(const std::string& dpPath, const std::string& programmUidFolderName)
    : dpPath_(support::AddBackslash(dpPath)),
      programmUidFolderName_(support::AddBackslash(programmUidFolderName)) {}

void TJSONImport::SetDescription(const std::string& text) {
  RootObject().AssignStringByName(UJSONConst::Import::Description, text);
}

void TJSONImport::Save(const std::string& fileName, TSendOptions options, std::string& text) {
  try {
    if ((options & soSaveFile) && (!dpPath_.empty() || !programmUidFolderName_.empty())) {
      if (dpPath_.empty()) throw std::runtime_error("DPPath fehlt!");
      if (programmUidFolderName_.empty()) throw std::runtime_error("ProgrammUIDFolderName fehlt!");
    }
    std::string name = fileName;
    if (name.empty() && (options & soSaveFile)) NewImportFileName(name);
    Serialize(name, options, text);
  } catch (...) {
    Discard();
    throw;
  }
}

void TJSONImport::ImportFolder(std::string& path) const {
  if (dpPath_.empty() || programmUidFolderName_.empty()) return;
  const char d = platform::PathDelimiter();
  std::string folder = support::AddBackslash(dpPath_);
  folder.append("uniimport").append(1, d).append("files").append(1, d);
  folder.append(programmUidFolderName_);
  support::MakeFolderPath(folder);
  path = std::move(folder);
}

std::string TJSONImport::DateFileName(const std::string& suffix) {
  const platform::LocalDateTime now = platform::Now();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%02d.%02d.%04d %02d.%02d.%02d", now.day, now.month,
                now.year, now.hour, now.minute, now.second);
  std::string name(stamp);
  name.append(suffix).append(".json");
  return name;
}

void TJSONImport::NewImportFileName(std::string& path) const {
  std::string folder;
  ImportFolder(folder);
  std::string name = DateFileName("");
  for (int n = 1; support::FileIsPresent(folder + name); ++n) {
    std::string suffix = "[";
    suffix.append(std::to_string(n)).append("]");
    name = DateFileName(suffix);
  }
  path = folder;
  path.append(name);
}

}  // namespace document
