// Native entry point of the resource compiler.
#include <cstdio>
#include <string>
#include <vector>

#include "rcc.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const rcc::RunResult result = rcc::RunRcc(argc > 0 ? argv[0] : "rcc", args);
  std::fwrite(result.out_text.data(), 1, result.out_text.size(), stdout);
  std::fwrite(result.err_text.data(), 1, result.err_text.size(), stderr);
  return result.exit_code;
}
