// rtf2txt [FILE]: RTF bytes from the file or standard input, flattened text on standard output.
#include <cstdio>
#include <exception>
#include <iostream>
#include <iterator>
#include <string>

#include "platform/platform.h"
#include "richtext/rtf_plain.h"
#include "support/support.h"

namespace {

const char kUsage[] =
    "Usage: rtf2txt [FILE]\n"
    "Reads an RTF text from FILE (or standard input) and writes its plain text to standard\n"
    "output, in the system ANSI code page, lines ending in CR LF. Text without \"{\\rtf1\" is\n"
    "written unchanged; RTF that cannot be read comes back as its own text.\n";

}  // namespace

int main(int argc, char** argv) {
  platform::SetBinaryStdio();
  std::string input;
  if (argc > 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (argc == 2) {
    const std::string argument = argv[1];
    if (argument == "--help" || argument == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    platform::UseLargePageHeap(argument);
    try {
      input = support::LoadFileBytes(argument);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "rtf2txt: %s: %s\n", argument.c_str(), e.what());
      return 1;
    }
  } else {
    platform::UseLargePageHeap();
    input.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
  }
  const std::string text = richtext::RtfToPlainText(input);
  std::fwrite(text.data(), 1, text.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
