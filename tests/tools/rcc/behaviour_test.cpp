// What our compiler does on its own terms: sound failure (no output, the
// previous file untouched, no temporary left), the modes it refuses, -v, -h
// and output to stdout.

#include <gtest/gtest.h>

#include "rcc_harness.h"

namespace rcc_test {
namespace {

class StandIn : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(src() / "a.txt", "A");
    WriteFile(src() / "a.qrc", "<RCC><qresource><file>a.txt</file></qresource></RCC>");
  }
  fs::path src() const { return dir_.path() / "src"; }
  ProcessResult Rcc(const std::vector<std::string>& args) { return RunProgram(StandInRcc(), args, src()); }
  TempDir dir_;
};

TEST_F(StandIn, FailureKeepsThePreviousOutputAndLeavesNoTemporary) {
  const fs::path out = dir_.path() / "x.rcc";
  WriteFile(out, "previous");
  const std::string broken_lists[] = {
      "<RCC><qresource><file>missing.txt</file></qresource></RCC>",
      "<RCC><qresource><file>a.txt</file>",
      "<RCC><qresource><file>.</file></qresource></RCC>",  // a folder
      "<RCC><qresource lang=\"de_Latn_CH\"><file>a.txt</file></qresource></RCC>",
  };
  for (const std::string& list : broken_lists) {
    SCOPED_TRACE(list);
    WriteFile(src() / "b.qrc", list);
    const ProcessResult r = Rcc({"-binary", "b.qrc", "-o", out.string(), "-no-compress"});
    EXPECT_NE(r.exit_code, 0);
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(ReadFile(out), "previous");
    EXPECT_FALSE(fs::exists(out.string() + ".part"));
  }
  // An output that cannot be written: its folder is missing.
  const ProcessResult r = Rcc({"-o", (dir_.path() / "none" / "x.qrc").string(), "-project"});
  EXPECT_NE(r.exit_code, 0);
  EXPECT_NE(r.err.find("Unable to open"), std::string::npos) << r.err;
}

TEST_F(StandIn, SuccessReplacesThePreviousOutput) {
  const fs::path out = dir_.path() / "x.rcc";
  WriteFile(out, "previous");
  const ProcessResult r = Rcc({"-binary", "a.qrc", "-o", out.string(), "-no-compress"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(ReadFile(out).substr(0, 4), "qres");
  EXPECT_FALSE(fs::exists(out.string() + ".part"));
}

TEST_F(StandIn, RefusesModesItDoesNotImplement) {
  const std::vector<std::vector<std::string>> cases = {
      {"a.qrc", "-o", "x.cpp"},                          // C++ generator
      {"-binary", "a.qrc", "-o", "x.rcc"},               // compression
      {"-binary", "a.qrc", "-o", "x.rcc", "-compress", "9"},
      {"-list", "a.qrc"},
      {"-binary", "a.qrc", "-no-compress", "-o", "x.rcc", "--format-version", "2"},
      {"-binary=yes", "a.qrc"},
  };
  for (const std::vector<std::string>& args : cases) {
    SCOPED_TRACE(args.back());
    const ProcessResult r = Rcc(args);
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_NE(r.err.find("Usage:"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(src() / "x.rcc"));
    EXPECT_FALSE(fs::exists(src() / "x.cpp"));
  }
}

TEST_F(StandIn, VersionHelpAndStdout) {
  const ProcessResult version = Rcc({"-v"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_EQ(version.out.rfind("rcc 5.15", 0), 0u) << version.out;
  const ProcessResult help = Rcc({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("-binary"), std::string::npos);

  const ProcessResult to_stdout = Rcc({"-binary", "a.qrc", "-no-compress"});
  ASSERT_EQ(to_stdout.exit_code, 0) << to_stdout.err;
  ASSERT_EQ(Rcc({"-binary", "a.qrc", "-no-compress", "-o", "x.rcc"}).exit_code, 0);
  EXPECT_TRUE(to_stdout.out == ReadFile(src() / "x.rcc"));
  const ProcessResult list = Rcc({"-project"});
  EXPECT_EQ(list.out.rfind("<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource>\n", 0), 0u);
}

}  // namespace
}  // namespace rcc_test
