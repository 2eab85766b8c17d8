#pragma once
// The resource compiler's command line: options parsed as the reference rcc
// parses them, the two supported modes (-project and -binary -no-compress),
// and the output written to a temporary file beside the target that replaces
// the target only when everything succeeded.

#include <string>
#include <vector>

namespace rcc {

struct RunResult {
  int exit_code = 0;
  std::string out_text;  // for stdout (version, help, a list written to stdout)
  std::string err_text;  // for stderr
};

// Runs with `args` (without the program name); `program` is how messages name
// the program, as argv[0]. A binary collection without -o goes to stdout.
RunResult RunRcc(const std::string& program, const std::vector<std::string>& args);

}  // namespace rcc
