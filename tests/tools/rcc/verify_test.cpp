// Reads back the packages our compiler writes with Qt's own resource loader
// (QResource::registerResource): every file of the source folder must come
// back under the root, with its bytes and its modification time.

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QResource>
#include <QString>
#include <gtest/gtest.h>


#include "rcc_harness.h"
#include "skin_tool_runs.h"

namespace rcc_test {
namespace {

QString Q(const std::string& utf8) { return QString::fromUtf8(utf8.data(), int(utf8.size())); }

// Packs `source` as the Skin Tool does and checks every file through Qt.
void PackAndReadBack(const fs::path& source, const fs::path& out, const std::string& base) {
  const PackageRuns runs = RunLikeSkinTool(StandInRcc(), source, out, base);
  ASSERT_TRUE(runs.has_package) << runs.project.err << runs.binary.err;
  const QString package = Q((out / (base + ".rcc")).string());
  ASSERT_TRUE(QResource::registerResource(package));
  int checked = 0;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(source)) {
    if (!e.is_regular_file()) continue;
    const std::string relative = fs::relative(e.path(), source).generic_string();
    const QString name = Q(":/" + base + "/" + relative);
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << relative;
    const QByteArray bytes = file.readAll();
    const std::string expected = ReadFile(e.path());
    EXPECT_TRUE(bytes.size() == int(expected.size()) && std::equal(expected.begin(), expected.end(), bytes.begin()))
        << relative;
    EXPECT_EQ(QResource(name).lastModified().toMSecsSinceEpoch(), ModifiedMs(e.path())) << relative;
    ++checked;
  }
  EXPECT_GT(checked, 0);
  EXPECT_TRUE(QResource::unregisterResource(package));
}

class ReadBack : public ::testing::Test {
 protected:
  fs::path source() const { return dir_.path() / "classic"; }
  fs::path out() const { return dir_.path() / "NewSkin"; }
  void SetUp() override { fs::create_directories(out()); }
  TempDir dir_;
};

TEST_F(ReadBack, EveryFileOfASkinFolder) {
  WriteFile(source() / "color_setting.ini", "[validate]\nskinname=myskin\n", kFixtureTimeMs + 7);
  WriteFile(source() / "images" / "pavo9_title.png", std::string("\x89PNG\r\n\x1a\n", 8));
  WriteFile(source() / "images" / "deep" / "empty.png", "");
  WriteFile(source() / "images" / "\xC3\xA9t\xC3\xA9 \xF0\x9F\x8E\xA8.png", "non-ASCII name");
  for (int i = 0; i < 40; ++i) WriteFile(source() / "many" / ("f" + std::to_string(i)), std::string(i, 'a' + i % 26));
  PackAndReadBack(source(), out(), "myskin");
}

TEST_F(ReadBack, BigData_2000SmallFiles) {
  MakeManySmallFiles(source(), 2000);
  PackAndReadBack(source(), out(), "public");
}

TEST_F(ReadBack, BigData_50MBFile) {
  MakeBigFile(source() / "big.bin", 50u << 20);
  PackAndReadBack(source(), out(), "myskin");
}

}  // namespace
}  // namespace rcc_test
