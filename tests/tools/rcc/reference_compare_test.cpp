// Runs our resource compiler and the reference (Qt 5.15's rcc) side by side on
// fixtures made here, and requires the same bytes, exit codes and messages.

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <map>

#include "rcc_harness.h"
#include "resource_collection.h"
#include "skin_tool_runs.h"
#include "unicode.h"

namespace rcc_test {
namespace {

// Messages name the program as it was started; make them comparable.
std::string Normalised(std::string text, const std::string& program) {
  for (size_t at; (at = text.find(program)) != std::string::npos;) text.replace(at, program.size(), "rcc");
  return text;
}

// Our stderr holds the reference's messages; where the reference prints its
// usage to stdout, ours follows the message on stderr.
void ExpectSameMessages(const ProcessResult& ours, const ProcessResult& theirs) {
  const std::string expected = Normalised(theirs.err, ReferenceRcc());
  EXPECT_EQ(Normalised(ours.err, StandInRcc()).substr(0, expected.size()), expected);
}

class ReferenceCompare : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(ReferenceRcc().c_str(), X_OK) != 0) GTEST_SKIP() << "reference rcc not found: " << ReferenceRcc();
    fs::create_directories(source());
    fs::create_directories(theirs_out());
    fs::create_directories(ours_out());
  }

  fs::path source() const { return dir_.path() / "tool folder" / "classic"; }
  fs::path theirs_out() const { return dir_.path() / "reference" / "NewSkin"; }
  fs::path ours_out() const { return dir_.path() / "tool folder" / "NewSkin"; }

  // Both compilers through the Skin Tool's two runs; every observable must agree.
  void ExpectSamePipeline(const std::string& base = "myskin", const std::vector<std::string>& root = {}) {
    const PackageRuns theirs = RunLikeSkinTool(ReferenceRcc(), source(), theirs_out(), base, root);
    const PackageRuns ours = RunLikeSkinTool(StandInRcc(), source(), ours_out(), base, root);
    ASSERT_EQ(ours.project.exit_code, theirs.project.exit_code) << ours.project.err;
    ASSERT_EQ(ours.has_list, theirs.has_list);
    EXPECT_EQ(ours.list, theirs.list);
    EXPECT_EQ(ours.binary.exit_code, theirs.binary.exit_code) << ours.binary.err;
    ExpectSameMessages(ours.binary, theirs.binary);
    ASSERT_EQ(ours.has_package, theirs.has_package);
    EXPECT_TRUE(ours.package == theirs.package) << "packages differ (" << ours.package.size() << " vs "
                                                << theirs.package.size() << " bytes)";
    EXPECT_FALSE(fs::exists(ours_out() / (base + ".rcc.part")));
  }

  // Both compilers on one handwritten list inside the source folder.
  void ExpectSameBinary(const std::string& list_text, const std::vector<std::string>& extra_args = {"-root", "/r"}) {
    WriteFile(source() / "list.qrc", list_text);
    std::vector<std::string> args = {"-binary", "list.qrc", "-no-compress", "-o"};
    const auto run = [&](const std::string& rcc, const fs::path& out) {
      std::vector<std::string> a = args;
      a.push_back(out.string());
      a.insert(a.end(), extra_args.begin(), extra_args.end());
      return RunProgram(rcc, a, source());
    };
    const ProcessResult theirs = run(ReferenceRcc(), theirs_out() / "list.rcc");
    const ProcessResult ours = run(StandInRcc(), ours_out() / "list.rcc");
    EXPECT_EQ(ours.exit_code, theirs.exit_code) << ours.err;
    ExpectSameMessages(ours, theirs);
    ASSERT_EQ(fs::exists(ours_out() / "list.rcc"), fs::exists(theirs_out() / "list.rcc"));
    if (fs::exists(ours_out() / "list.rcc")) {
      EXPECT_TRUE(ReadFile(ours_out() / "list.rcc") == ReadFile(theirs_out() / "list.rcc")) << list_text;
    }
    fs::remove(ours_out() / "list.rcc");
    fs::remove(theirs_out() / "list.rcc");
    fs::remove(source() / "list.qrc");
  }

  TempDir dir_;
};

TEST_F(ReferenceCompare, FolderLayouts) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> make;
  };
  const Case cases[] = {
      {"no files at all", [](const fs::path& s) { fs::create_directories(s / "empty folder"); }},
      {"flat", [](const fs::path& s) {
         WriteFile(s / "b.txt", "hello");
         WriteFile(s / "a.txt", "x");
         WriteFile(s / "color_setting.ini", "[validate]\nskinname=myskin\n");
       }},
      {"nested, empty file, empty folder", [](const fs::path& s) {
         WriteFile(s / "images" / "deep" / "d.bin", std::string("\0\1\2", 3));
         WriteFile(s / "images" / "s.txt", "ss");
         WriteFile(s / "empty.txt", "");
         fs::create_directories(s / "empty folder");
         WriteFile(s / "images.txt", "file beside the folder of the same stem");
       }},
      {"sibling folders with children (walk order)", [](const fs::path& s) {
         for (const char* f : {"d1/x", "d1/s1/x", "d1/s1/t/y", "d2/x", "d2/s2/z", "d2/y", "x"}) WriteFile(s / f, f);
       }},
      {"non-ASCII names", [](const fs::path& s) {
         WriteFile(s / "\xC3\xA9t\xC3\xA9.png", "e");                          // été.png
         WriteFile(s / "\xE6\x97\xA5\xE6\x9C\xAC" / "\xE7\x94\xBB.png", "jp");  // 日本/画.png
         WriteFile(s / "emoji \xF0\x9F\x8E\xA8.txt", "surrogate pair");        // U+1F3A8
         WriteFile(s / "Stra\xC3\x9F" "e.txt", "sharp s");
         WriteFile(s / "\xC7\x84", "DZ caron");  // three case forms of one letter
         WriteFile(s / "\xC7\x85", "Dz caron");
         WriteFile(s / "_under.txt", "");
       }},
      {"hidden entries and links are left out", [](const fs::path& s) {
         WriteFile(s / "shown.txt", "1");
         WriteFile(s / ".hidden", "2");
         WriteFile(s / ".hidden folder" / "inner.txt", "3");
         fs::create_symlink("shown.txt", s / "link.txt");
         fs::create_directory_symlink(".hidden folder", s / "folder link");
       }},
      {"names equal but for case", [](const fs::path& s) {
         for (const char* f : {"aB", "Ab", "b.txt", "B.txt", "a-", "A_"}) WriteFile(s / f, f);
       }},
      {"names equal but for case, more than 16 (unstable sort)", [](const fs::path& s) {
         for (int i = 0; i < 40; ++i) WriteFile(s / ((i % 2 ? "N" : "n") + std::to_string(i / 2 % 9)) , "");
         for (int i = 0; i < 12; ++i) WriteFile(s / ("x" + std::to_string(i)), "");
       }},
      {"names with quotes and >", [](const fs::path& s) {
         for (const char* f : {"q'q", "q\"q", "gt>", "x y.txt"}) WriteFile(s / f, f);
       }},
      {"600 files in one folder", [](const fs::path& s) {
         for (int i = 0; i < 600; ++i) WriteFile(s / ("f" + std::to_string(i * 7919)), std::to_string(i));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(source());
    fs::create_directories(source());
    c.make(source());
    ExpectSamePipeline();
  }
}

// Names whose hash is equal: the tree keeps them in the reference's order,
// including more than the 16 that a simple insertion sort would handle.
TEST_F(ReferenceCompare, NamesWithEqualHash) {
  const std::string alphabet = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_-";
  const uint32_t target = rcc::ResourceNameHash(u"mmmmm");
  int made = 0;
  for (char a : alphabet) {
    for (char b : alphabet) {
      for (char c : alphabet) {
        for (char d : alphabet) {
          const std::u16string prefix = {char16_t(a), char16_t(b), char16_t(c), char16_t(d)};
          const int64_t e = int64_t(target) - int64_t(rcc::ResourceNameHash(prefix)) * 16;
          if (made < 40 && e >= 0 && e < 128 && alphabet.find(char(e)) != std::string::npos) {
            WriteFile(source() / (std::string{a, b, c, d} + char(e)), std::to_string(made++));
          }
        }
      }
    }
  }
  ASSERT_EQ(made, 40);
  ExpectSamePipeline();
}

TEST_F(ReferenceCompare, OutputInsideTheSourceFolderListsItself) {
  WriteFile(source() / "a.txt", "a");
  const ProcessResult theirs = RunProgram(ReferenceRcc(), {"-o", "list.qrc", "-project"}, source());
  const std::string their_list = ReadFile(source() / "list.qrc");
  fs::remove(source() / "list.qrc");
  const ProcessResult ours = RunProgram(StandInRcc(), {"-o", "list.qrc", "-project"}, source());
  EXPECT_EQ(ours.exit_code, theirs.exit_code);
  EXPECT_EQ(ReadFile(source() / "list.qrc"), their_list);
  EXPECT_NE(their_list.find("./list.qrc"), std::string::npos);
}

TEST_F(ReferenceCompare, ListsWithPrefixAliasAndLocale) {
  WriteFile(source() / "a.txt", "A");
  WriteFile(source() / "sub" / "b.txt", "B");
  const char* const lists[] = {
      // prefixes with and without slashes, aliases with folders, locales
      R"(<!DOCTYPE RCC><RCC version="1.0">
<qresource prefix="/pre/fix/"><file alias="al/ias.txt">a.txt</file><file>sub/b.txt</file></qresource>
<qresource prefix="pre" lang="de"><file alias="fix/al/ias.txt">sub/b.txt</file></qresource>
<qresource lang="fr_CA" prefix="/pre/fix"><file alias="al/ias.txt">sub/b.txt</file></qresource>
<qresource lang="agq"><file>a.txt</file></qresource>
<qresource lang="en_AE"><file>a.txt</file></qresource>
<qresource lang="de-CH"><file>a.txt</file></qresource>
<qresource lang="xx_YY"><file alias="unknown language">a.txt</file></qresource>
</RCC>)",
      // ".." and "." in aliases and prefixes, the same name twice
      R"(<RCC><qresource><file alias="../up.txt">a.txt</file><file alias="./x/../y.txt">a.txt</file>
<file alias="../../x/../z">a.txt</file><file alias="/../abs">a.txt</file><file alias="x/..">a.txt</file></qresource>
<qresource prefix="/./p/../q/"><file>./sub/../a.txt</file><file alias="a.txt">sub/b.txt</file></qresource>
<qresource prefix="//p//"><file alias="d//e.txt">a.txt</file><file alias="a.txt">sub/b.txt</file></qresource>
<qresource prefix="/e/"><file alias="">a.txt</file><file alias="f">a.txt</file><file alias="f/g">a.txt</file></qresource></RCC>)",
      // XML forms: declaration, comments, CDATA, entities, attributes in either quotes
      R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE RCC [ <!ELEMENT RCC ANY> ]><!-- c --><RCC version='1.0'>
<qresource prefix='/q&amp;a' lang=""><file><![CDATA[a.txt]]></file><file alias="&#x1F3A8;&lt;&#65;">a&#46;txt</file>
<?pi ignored?><file compress="9" threshold="1" alias='s"q'>sub/b.txt</file><file></file><file/></qresource><qresource/></RCC>
<!-- trailing comment -->)",
      // an empty list and one without resources
      "<RCC></RCC>",
      "<!DOCTYPE RCC><RCC version=\"1.0\"><qresource prefix=\"/x\"></qresource></RCC>",
  };
  for (const char* list : lists) {
    SCOPED_TRACE(list);
    for (const std::vector<std::string>& root :
         std::vector<std::vector<std::string>>{{"-root", "/r"}, {"-root", "/"}, {"-root", "//a//b/"},
                                               {"-root", "/a/../b"}, {"-root", "/.."}, {}}) {
      ExpectSameBinary(list, root);
    }
  }
}

TEST_F(ReferenceCompare, BrokenListsFailAlikeWithoutOutput) {
  WriteFile(source() / "a.txt", "A");
  const char* const lists[] = {
      "<RCC><qresource><file>missing.txt</file></qresource></RCC>",
      "<RCC><qresource><file>a.txt</file></qresource>",
      "",
      "<RCC><qresource><fil>a.txt</fil></qresource></RCC>",
      "<FOO><qresource><file>a.txt</file></qresource></FOO>",
      "<RCC>text<qresource><file>a.txt</file></qresource></RCC>",
      "<RCC>\n<qresource>\n<file>./a&b.txt</file>\n</qresource>\n</RCC>\n",
      "<RCC><qresource><file>./lt<x</file></qresource></RCC>",
      "<RCC><qresource><file> a.txt </file></qresource></RCC>",
      "<RCC><qresource><file>a.txt</qresource></RCC>",
  };
  for (const char* list : lists) {
    SCOPED_TRACE(list);
    ExpectSameBinary(list);
  }
}

TEST_F(ReferenceCompare, XmlSpecialCharactersInFileNames) {
  // The reference writes names into its list unescaped; a list naming "a&b"
  // then fails to parse in the package run, and one naming "lt<x" names a
  // file that does not exist. Both runs must end the same way.
  for (const char* name : {"a&b.txt", "lt<x"}) {
    SCOPED_TRACE(name);
    fs::remove_all(source());
    WriteFile(source() / "fine.txt", "1");
    WriteFile(source() / name, "2");
    ExpectSamePipeline();
  }
}

TEST_F(ReferenceCompare, RootArguments) {
  WriteFile(source() / "a.txt", "A");
  // A skin name with a blank reaches the compiler as two arguments.
  ExpectSamePipeline("my skin", {"/my", "skin"});
  ExpectSamePipeline("skin", {"skin"});
  ExpectSamePipeline("skin", {""});
}

TEST_F(ReferenceCompare, CommandLineErrors) {
  WriteFile(source() / "a.qrc", "<RCC><qresource><file>a.qrc</file></qresource></RCC>");
  const std::vector<std::vector<std::string>> cases = {
      {"-binary", "missing.qrc", "-o", "x.rcc", "-no-compress"},
      {"-binary", "a.qrc", "-o", (dir_.path() / "no such folder" / "x.rcc").string(), "-no-compress"},
      {"-binary", "-no-compress", "-o", "x.rcc"},
      {"-bogus"},
      {"-binary", "a.qrc", "-o"},
      {"-binary", "a.qrc", "-o../x.rcc", "-no-compress"},
  };
  for (const std::vector<std::string>& args : cases) {
    SCOPED_TRACE(args.front() + " " + args.back());
    const ProcessResult theirs = RunProgram(ReferenceRcc(), args, source());
    const ProcessResult ours = RunProgram(StandInRcc(), args, source());
    EXPECT_EQ(ours.exit_code, theirs.exit_code);
    EXPECT_NE(ours.exit_code, 0);
    ExpectSameMessages(ours, theirs);
    EXPECT_FALSE(fs::exists(source() / "x.rcc"));
  }
}

TEST_F(ReferenceCompare, OptionSpellings) {
  WriteFile(source() / "a.txt", "A");
  WriteFile(source() / "a.qrc", "<RCC><qresource><file>a.txt</file></qresource></RCC>");
  const std::vector<std::vector<std::string>> spellings = {
      {"--binary", "a.qrc", "--output", "OUT", "--no-compress", "--root=/x"},
      {"-binary", "a.qrc", "-o=OUT", "-no-compress", "-root=/x"},
      {"a.qrc", "-binary", "-no-compress", "--output=OUT", "-root", "/x", "--", "a.qrc"},
  };
  for (std::vector<std::string> args : spellings) {
    const auto run = [&](const std::string& rcc, const fs::path& out) {
      std::vector<std::string> a = args;
      for (std::string& s : a) {
        if (s.ends_with("OUT")) s.replace(s.size() - 3, 3, out.string());
      }
      return RunProgram(rcc, a, source());
    };
    const ProcessResult theirs = run(ReferenceRcc(), theirs_out() / "o.rcc");
    const ProcessResult ours = run(StandInRcc(), ours_out() / "o.rcc");
    EXPECT_EQ(ours.exit_code, theirs.exit_code) << ours.err;
    EXPECT_TRUE(ReadFile(ours_out() / "o.rcc") == ReadFile(theirs_out() / "o.rcc"));
  }
}

}  // namespace
}  // namespace rcc_test

namespace rcc_test {
namespace {

TEST_F(ReferenceCompare, BigData_2000SmallFiles) {
  MakeManySmallFiles(source(), 2000);
  ExpectSamePipeline();
}

TEST_F(ReferenceCompare, BigData_50MBFile) {
  MakeBigFile(source() / "images" / "big.bin", 50u << 20);
  WriteFile(source() / "images" / "small.png", "small");
  ExpectSamePipeline();
}

}  // namespace
}  // namespace rcc_test
