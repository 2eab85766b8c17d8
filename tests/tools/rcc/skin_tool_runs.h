#pragma once
// The two runs of a resource compiler exactly as the Skin Tool makes them for
// one package: the list written outside the source folder, copied into it,
// then packed from there, with the source folder as working folder.

#include <string>

#include "rcc_harness.h"

namespace rcc_test {

struct PackageRuns {
  ProcessResult project;
  ProcessResult binary;
  bool has_list = false;
  bool has_package = false;
  std::string list;     // the list written by the project run
  std::string package;  // the package written by the binary run
};

// Runs `rcc` on `source` for the package `base`, writing into `out`
// (out/base.qrc and out/base.rcc, root "/base"). `root` overrides the root
// argument, given as separate arguments (as an unquoted blank splits it).
// With `windows_exe`, `rcc` is the Wine loader that starts it, and the paths
// are given in their Windows form (Z:\...), as the tool gives them.
PackageRuns RunLikeSkinTool(const std::string& rcc, const fs::path& source, const fs::path& out,
                            const std::string& base, const std::vector<std::string>& root = {},
                            const std::string& windows_exe = {});

}  // namespace rcc_test
