// Echoes standard input to standard output and its arguments, one per line, to standard error.
#include <cstdio>
#include <string>

#include "platform/platform.h"

int main() {
  platform::SetBinaryStdio();
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) std::fwrite(buffer, 1, n, stdout);
  std::vector<std::string> args = platform::ProcessArguments();
  for (size_t i = 1; i < args.size(); ++i) std::fprintf(stderr, "[%s]\n", args[i].c_str());
  return 3;
}
