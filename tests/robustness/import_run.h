// One import as the host runs it, in-process: the real importer with its service calls going to
// the fake host, its message boxes collected instead of shown.
#pragma once

#include <string>
#include <vector>

#include "fake_host.h"

namespace robust {

struct ImportOutcome {
  std::vector<std::string> messages;  // texts of the message boxes, in order
  std::vector<Request> requests;      // every request the service saw
  std::string document;               // DATA of the OUTDATA request; empty when none came
  bool sent = false;                  // an OUTDATA request came
  int opens = 0;                      // pipe opens (0: the importer did not run)
};

// Imports the file; TAXH answers 19, DEFAULTFONT "Arial".
ImportOutcome RunImport(const std::string& fileName);
// The same through a host the caller set up.
ImportOutcome RunImport(const std::string& fileName, FakeHost& host);

// The number of "Parts" entries of a document (objects opened after "Parts":[).
int PartCount(const std::string& document);

}  // namespace robust
