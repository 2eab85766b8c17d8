#include "skin_tool_runs.h"

namespace rcc_test {

namespace {

// Wine's drive Z: is the Unix root.
std::string WindowsPath(const fs::path& path) {
  std::string s = "Z:" + path.string();
  for (char& c : s) {
    if (c == '/') c = '\\';
  }
  return s;
}

}  // namespace

PackageRuns RunLikeSkinTool(const std::string& rcc, const fs::path& source, const fs::path& out,
                            const std::string& base, const std::vector<std::string>& root,
                            const std::string& windows_exe) {
  const auto arg = [&](const fs::path& p) { return windows_exe.empty() ? p.string() : WindowsPath(p); };
  const auto run = [&](std::vector<std::string> args) {
    if (!windows_exe.empty()) args.insert(args.begin(), windows_exe);
    return RunProgram(rcc, args, source);
  };
  PackageRuns runs;
  const fs::path list = out / (base + ".qrc");
  const fs::path package = out / (base + ".rcc");
  const fs::path copied = source / (base + ".qrc");
  fs::remove(list);
  fs::remove(package);
  runs.project = run({"-o", arg(list), "-project"});
  runs.has_list = fs::exists(list);
  if (!runs.has_list) return runs;
  runs.list = ReadFile(list);
  fs::copy_file(list, copied, fs::copy_options::overwrite_existing);
  std::vector<std::string> args = {"-binary", arg(copied), "-o", arg(package), "-no-compress", "-root"};
  if (root.empty()) {
    args.push_back("/" + base);
  } else {
    args.insert(args.end(), root.begin(), root.end());
  }
  runs.binary = run(args);
  runs.has_package = fs::exists(package);
  if (runs.has_package) runs.package = ReadFile(package);
  fs::remove(copied);
  return runs;
}

}  // namespace rcc_test
