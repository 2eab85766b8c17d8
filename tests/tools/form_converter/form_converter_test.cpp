// Runs the built converter as the build does.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct ConverterRun {
  int exit_code;
  std::string errors;
};

ConverterRun Convert(const fs::path& input, const fs::path& output) {
  const fs::path errors = output.string() + ".err";
  const std::string command =
      std::string(RD_FORM_CONVERTER) + " '" + input.string() + "' '" + output.string() + "' 2>'" + errors.string() + "'";
  const int status = std::system(command.c_str());
  std::ifstream in(errors);
  std::stringstream text;
  text << in.rdbuf();
  return {WEXITSTATUS(status), text.str()};
}

class FormConverter : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("form_converter_test_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return dir_ / name;
  }
  fs::path dir_;
};

TEST_F(FormConverter, WritesTheBinaryImageOfAForm) {
  const fs::path input = Write("ok.txt", "object F: TF\r\n  Tag = 3\r\nend\r\n");
  const ConverterRun run = Convert(input, dir_ / "ok.bin");
  EXPECT_EQ(run.exit_code, 0) << run.errors;
  std::ifstream out(dir_ / "ok.bin", std::ios::binary);
  std::string signature(4, '\0');
  out.read(signature.data(), 4);
  EXPECT_EQ(signature, "TPF0");
}

TEST_F(FormConverter, ABadFormFailsNamingItsFileAndLeavesNoOutput) {
  struct Case {
    const char* name;
    const char* text;  // nullptr: the input does not exist
  };
  const Case cases[] = {
      {"no_object.txt", "Tag = 3\r\n"},
      {"unterminated.txt", "object F: TF\r\n  Caption = 'open\r\nend\r\n"},
      {"missing.txt", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path input = c.text ? Write(c.name, c.text) : dir_ / c.name;
    const fs::path output = dir_ / (std::string(c.name) + ".bin");
    const ConverterRun run = Convert(input, output);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.errors.rfind(input.string() + ": ", 0), 0u) << run.errors;
    EXPECT_FALSE(fs::exists(output));
  }
}

}  // namespace
