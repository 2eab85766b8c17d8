// Whole runs of our resource compiler against the reference (Qt 5.15's rcc)
// on the large cases: 2000 small files, and one 50 MB file. Each run is a
// process start, the list or package written, and the exit; best of several.

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/harness.h"
#include "tests/tools/rcc/rcc_harness.h"

namespace {

using rcc_test::fs::path;

void Check(const rcc_test::ProcessResult& result, const std::string& rcc) {
  if (result.exit_code != 0) throw std::runtime_error(rcc + " failed: " + result.err);
}

// As the Skin Tool runs it: the list is written outside the source folder,
// then packed from a copy inside it.
void Measure(const std::string& label, const path& source, const path& out) {
  const std::string list = (out / "bench.qrc").string();
  const std::string copied = (source / "bench.qrc").string();
  const std::string package = (out / "bench.rcc").string();
  const auto project = [&](const std::string& rcc) {
    return [&, rcc] {
      Check(rcc_test::RunProgram(rcc, {"-o", list, "-project"}, source), rcc);
    };
  };
  const auto binary = [&](const std::string& rcc) {
    return [&, rcc] {
      const std::vector<std::string> args = {"-binary", copied, "-o", package, "-no-compress", "-root", "/bench"};
      Check(rcc_test::RunProgram(rcc, args, source), rcc);
    };
  };
  // A listing run is short and dominated by process start: more repeats.
  constexpr int kListingRepeats = 15;
  const double reference_project = bench::BestSeconds(project(rcc_test::ReferenceRcc()), kListingRepeats);
  const double ours_project = bench::BestSeconds(project(rcc_test::StandInRcc()), kListingRepeats);
  rcc_test::fs::copy_file(list, copied);
  const double reference_binary = bench::BestSeconds(binary(rcc_test::ReferenceRcc()));
  const double ours_binary = bench::BestSeconds(binary(rcc_test::StandInRcc()));
  bench::PrintRow(label + ": -project, Qt rcc", reference_project, reference_project);
  bench::PrintRow(label + ": -project, ours", ours_project, reference_project);
  bench::PrintRow(label + ": -binary, Qt rcc", reference_binary, reference_binary);
  bench::PrintRow(label + ": -binary, ours", ours_binary, reference_binary);
}

}  // namespace

int main() try {
  bench::PrintHeader("rcc stand-in vs Qt 5.15 rcc (whole process runs; ratio = ours / Qt)");
  {
    rcc_test::TempDir dir;
    rcc_test::MakeManySmallFiles(dir.path() / "src", 2000);
    Measure("2000 small files", dir.path() / "src", dir.path());
  }
  {
    rcc_test::TempDir dir;
    rcc_test::MakeBigFile(dir.path() / "src" / "big.bin", 50u << 20);
    Measure("one 50 MB file", dir.path() / "src", dir.path());
  }
  return 0;
} catch (const std::exception& e) {
  std::fprintf(stderr, "%s\n", e.what());
  return 1;
}
