// The Windows build of the compiler, run under Wine with the Skin Tool's two
// command lines and the source folder as working folder, must write the same
// list and package as the native build. Wine passes the arguments on as one
// command line, quoted where they hold blanks, which rcc.exe's wmain splits
// again; the folders here hold blanks and non-ASCII letters to exercise that.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "rcc_harness.h"
#include "skin_tool_runs.h"

namespace rcc_test {
namespace {

constexpr const char* kWine = "/usr/lib/wine/wine64";

std::string WindowsRcc() {
  const char* from_env = std::getenv("RD_WIN64_RCC");
  return from_env && *from_env ? from_env : RD_DEFAULT_WIN64_RCC;
}

TEST(WindowsBuildUnderWine, WritesTheSameBytesAsTheNativeBuild) {
  if (!std::getenv("WINEPREFIX")) GTEST_SKIP() << "not inside scripts/with-wine.sh (WINEPREFIX unset)";
  if (access(WindowsRcc().c_str(), R_OK) != 0) {
    GTEST_SKIP() << "no win64 rcc.exe at " << WindowsRcc() << " (build win64 first, or set RD_WIN64_RCC)";
  }
  TempDir dir;
  const fs::path source = dir.path() / "Skin Tool \xC3\xA9" / "public";
  WriteFile(source / "preview" / "preview_myskin.png", "png bytes", kFixtureTimeMs + 1);
  WriteFile(source / "images" / "skin_menu_\xE6\x97\xA5.png", "menu", kFixtureTimeMs + 999);
  WriteFile(source / "images" / "a b.png", std::string(100000, 'x'));
  WriteFile(source / "empty.txt", "");
  WriteFile(source / ".hidden", "left out");
  const fs::path native_out = dir.path() / "native";
  const fs::path wine_out = dir.path() / "Skin Tool \xC3\xA9" / "NewSkin";
  fs::create_directories(native_out);
  fs::create_directories(wine_out);

  const PackageRuns native = RunLikeSkinTool(StandInRcc(), source, native_out, "public");
  const PackageRuns wine = RunLikeSkinTool(kWine, source, wine_out, "public", {}, WindowsRcc());
  ASSERT_TRUE(native.has_package) << native.binary.err;
  EXPECT_EQ(wine.project.exit_code, 0) << wine.project.err;
  ASSERT_TRUE(wine.has_list) << wine.project.err;
  EXPECT_EQ(wine.list, native.list);
  EXPECT_EQ(wine.binary.exit_code, 0) << wine.binary.err;
  ASSERT_TRUE(wine.has_package) << wine.binary.err;
  EXPECT_TRUE(wine.package == native.package);
}

}  // namespace
}  // namespace rcc_test
