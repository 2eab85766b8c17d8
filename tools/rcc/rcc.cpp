#include "rcc.h"

#include <cstdio>
#include <optional>

#include "platform.h"
#include "project_list.h"
#include "resource_collection.h"
#include "resource_list.h"

namespace rcc {
namespace {

constexpr const char* kUsage =
    "Usage: rcc -binary <list.qrc>... -o <file> -no-compress [-root </path>]\n"
    "       rcc -project [-o <file>]\n"
    "       rcc -v | -h\n"
    "Options take one dash or two (-o or --output, -root or --root=</path>).\n";

struct Options {
  std::optional<std::string> output;
  std::optional<std::string> root;
  bool project = false;
  bool binary = false;
  bool no_compress = false;
  bool version = false;
  bool help = false;
  std::vector<std::string> inputs;
};

// Options the reference knows but this compiler does not implement.
bool IsRefused(const std::string& name) {
  static const char* const kRefused[] = {"t",     "temp",   "name",    "compress-algo", "compress",
                                         "threshold", "g", "generator", "pass", "namespace", "verbose",
                                         "list",  "list-mapping", "d", "depfile", "format-version", "help-all"};
  for (const char* r : kRefused) {
    if (name == r) return true;
  }
  return false;
}

bool TakesValue(const std::string& name) {
  static const char* const kWithValue[] = {"o",        "output",    "root", "t",    "temp",
                                           "name",     "compress-algo", "compress", "threshold",
                                           "g",        "generator", "pass", "d",    "depfile", "format-version"};
  for (const char* v : kWithValue) {
    if (name == v) return true;
  }
  return false;
}

// Parses like the reference: "-name" and "--name" are the same long option,
// a value follows as the next argument or after "=", "--" ends the options.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
  bool only_inputs = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (only_inputs || arg.size() < 2 || arg[0] != '-') {
      options.inputs.push_back(arg);
      continue;
    }
    if (arg == "--") {
      only_inputs = true;
      continue;
    }
    std::string name = arg.substr(arg[1] == '-' ? 2 : 1);
    std::optional<std::string> value;
    if (const size_t eq = name.find('='); eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    if (!TakesValue(name) && !IsRefused(name) && name != "project" && name != "binary" &&
        name != "no-compress" && name != "v" && name != "version" && name != "h" && name != "help") {
      error = "rcc: Unknown option '" + name + "'.";
      return false;
    }
    if (TakesValue(name) && !value) {
      if (i + 1 >= args.size()) {
        error = "rcc: Missing value after '" + arg + "'.";
        return false;
      }
      value = args[++i];
    } else if (!TakesValue(name) && value) {
      error = "rcc: Unexpected value after '" + arg.substr(0, arg.find('=')) + "'.";
      return false;
    }
    if (IsRefused(name)) {
      error = "rcc: option '" + arg.substr(0, arg.find('=')) +
              "' is not supported: this rcc writes uncompressed binary resources (-binary -no-compress) "
              "and resource lists (-project) only.";
      return false;
    }
    if (name == "o" || name == "output") options.output = value;
    if (name == "root") options.root = value;
    if (name == "project") options.project = true;
    if (name == "binary") options.binary = true;
    if (name == "no-compress") options.no_compress = true;
    if (name == "v" || name == "version") options.version = true;
    if (name == "h" || name == "help") options.help = true;
  }
  return true;
}

RunResult Failure(std::string message, bool with_usage = false) {
  RunResult r;
  r.exit_code = 1;
  r.err_text = std::move(message) + "\n";
  if (with_usage) r.err_text += kUsage;
  return r;
}

// Writes through `produce` into a temporary file beside `target`, then moves
// it onto the target; on any failure the temporary file is removed and the
// target left as it was.
template <class Produce>
bool WriteOutput(const std::string& target, Produce produce, std::string& messages) {
  const std::string temporary = target + ".part";
  std::FILE* out = OpenFile(temporary, true);
  if (!out) {
    messages += "Unable to open " + target + " for writing: " + LastErrorText() + "\n";
    return false;
  }
  bool ok = produce(out);
  if (std::fclose(out) != 0 && ok) {
    messages += "RCC: Error: writing " + target + " failed: " + LastErrorText() + "\n";
    ok = false;
  }
  std::string error;
  if (ok && !MoveOnto(temporary, target, error)) {
    messages += "Unable to replace " + target + ": " + error + "\n";
    ok = false;
  }
  if (!ok) RemoveFile(temporary);
  return ok;
}

template <class Produce>
bool WriteToStdout(Produce produce) {
  SetStdoutBinary();
  const bool ok = produce(stdout);
  return std::fflush(stdout) == 0 && ok;
}

RunResult RunProject(const std::string& program, const Options& options) {
  for (const std::string& input : options.inputs) {
    if (!QueryPath(input).exists) return Failure(program + ": File does not exist '" + input + "'");
  }
  RunResult result;
  std::vector<std::string> files;
  const std::string also_present = options.output ? PathInsideCurrentFolder(*options.output) : "";
  if (!ListProjectFiles(also_present, files, result.err_text)) {
    result.exit_code = 1;
    return result;
  }
  const std::string text = ProjectListText(files);
  if (!options.output) {
    result.out_text = text;
    return result;
  }
  const bool ok = WriteOutput(
      *options.output, [&](std::FILE* out) { return std::fwrite(text.data(), 1, text.size(), out) == text.size(); },
      result.err_text);
  result.exit_code = ok ? 0 : 1;
  return result;
}

RunResult RunBinary(const std::string& program, const Options& options) {
  if (!options.binary) {
    return Failure("rcc: this rcc writes binary resources only: give -binary (or -project for a list).", true);
  }
  if (!options.no_compress) {
    return Failure("rcc: this rcc does not compress: give -no-compress.", true);
  }
  const std::string root = options.root.value_or("");
  if (options.root && (root.empty() || root[0] != '/')) {
    return Failure(program + ": Root must start with a /", true);
  }
  if (options.inputs.empty()) return Failure(program + ": No input files specified.", true);
  for (const std::string& input : options.inputs) {
    if (!QueryPath(input).exists) return Failure(program + ": File does not exist '" + input + "'");
  }
  RunResult result;
  ResourceCollection collection;
  for (const std::string& input : options.inputs) {
    if (!ReadResourceList(input, root, collection, result.err_text)) {
      result.exit_code = 1;
      return result;
    }
  }
  const auto produce = [&](std::FILE* out) { return collection.Write(out, result.err_text); };
  const bool ok = options.output ? WriteOutput(*options.output, produce, result.err_text) : WriteToStdout(produce);
  result.exit_code = ok ? 0 : 1;
  return result;
}

}  // namespace

RunResult RunRcc(const std::string& program, const std::vector<std::string>& args) {
  Options options;
  std::string error;
  if (!ParseOptions(args, options, error)) return Failure(error, true);
  if (options.help) {
    RunResult r;
    r.out_text = kUsage;
    return r;
  }
  if (options.version) {
    RunResult r;
    r.out_text = "rcc 5.15.8 (stand-in: -binary -no-compress and -project only)\n";
    return r;
  }
  return options.project ? RunProject(program, options) : RunBinary(program, options);
}

}  // namespace rcc
