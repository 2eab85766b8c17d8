#pragma once
// Shared by the resource compiler's native tests and its benchmark: temporary
// folders, fixture files with fixed modification times, and running a
// compiler as a child process in a given working folder.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace rcc_test {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with its content.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// The fixed modification time given to fixture files: both compilers store it.
constexpr int64_t kFixtureTimeMs = 1600000000123;

// Writes `bytes` to `path` (creating its folders) and sets its modification time.
void WriteFile(const fs::path& path, const std::string& bytes, int64_t modified_ms = kFixtureTimeMs);
std::string ReadFile(const fs::path& path);
int64_t ModifiedMs(const fs::path& path);

// `count` small files in a few levels of folders under `root`, with varied
// names and sizes.
void MakeManySmallFiles(const fs::path& root, int count);
// One file of `bytes` pseudo-random bytes.
void MakeBigFile(const fs::path& path, size_t bytes);

struct ProcessResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `args` in the working folder `cwd` and waits for it.
ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args, const fs::path& cwd);

// The two compilers: ours (native build) and the reference.
std::string StandInRcc();
std::string ReferenceRcc();

}  // namespace rcc_test
