#include "rcc_harness.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace rcc_test {

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "rcc-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void WriteFile(const fs::path& path, const std::string& bytes, int64_t modified_ms) {
  fs::create_directories(path.parent_path());
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
  }
  timespec times[2];
  times[0].tv_sec = times[1].tv_sec = modified_ms / 1000;
  times[0].tv_nsec = times[1].tv_nsec = (modified_ms % 1000) * 1000000;
  if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) throw std::runtime_error("utimensat failed");
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

int64_t ModifiedMs(const fs::path& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) throw std::runtime_error("cannot stat " + path.string());
  return int64_t(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
}

void MakeManySmallFiles(const fs::path& root, int count) {
  std::mt19937 rng(2000);
  for (int i = 0; i < count; ++i) {
    const fs::path folder = root / ("group" + std::to_string(i % 7)) / ("set" + std::to_string(i % 3));
    std::string bytes(rng() % 300, '\0');
    for (char& c : bytes) c = char(rng());
    WriteFile(folder / ("image_" + std::to_string(i) + ".png"), bytes, kFixtureTimeMs + i);
  }
}

void MakeBigFile(const fs::path& path, size_t bytes) {
  std::string data(bytes, '\0');
  std::mt19937_64 rng(50);
  for (size_t i = 0; i + 8 <= bytes; i += 8) {
    const uint64_t v = rng();
    for (int k = 0; k < 8; ++k) data[i + k] = char(v >> (8 * k));
  }
  WriteFile(path, data);
}

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& args, const fs::path& cwd) {
  TempDir capture;
  const fs::path out_path = capture.path() / "out";
  const fs::path err_path = capture.path() / "err";
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(cwd.c_str()) != 0) _exit(126);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ProcessResult result;
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadFile(out_path);
  result.err = ReadFile(err_path);
  return result;
}

std::string StandInRcc() { return RCC_STANDIN_PATH; }
std::string ReferenceRcc() { return RCC_REFERENCE_PATH; }

}  // namespace rcc_test
