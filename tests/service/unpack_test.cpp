// CRC-32 of files and unpacking of zip archives: contents, folders, permission bits, and
// archives that must be refused without anything being written.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>

#include "service/filecrc.h"
#include "service/zipunpack.h"
#include "servicefixture.h"
#include "support/testsupport.h"
#include "support/zipbuilder.h"

namespace zoqa::test {
namespace {

namespace fs = std::filesystem;

int FileCount(const std::string& folder) {
  int n = 0;
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator();
       ++it) {
    ++n;
  }
  return n;
}

unsigned Mode(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0;
}

TEST(FileCrcTest, MatchesZlibOverWholeFileAndIsZeroWhenUnreadable) {
  TempDir dir;
  WriteFileBytes(dir.File("check"), "123456789");
  EXPECT_EQ(FileCrc32(dir.File("check")), 0xCBF43926u);  // the standard check value
  WriteFileBytes(dir.File("empty"), "");
  EXPECT_EQ(FileCrc32(dir.File("empty")), 0u);
  EXPECT_EQ(FileCrc32(dir.File("missing")), 0u);
  EXPECT_EQ(FileCrc32(dir.Path()), 0u);  // a folder cannot be read as a file

  std::string big(300000, '\0');  // spans several read blocks
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 1000);
  WriteFileBytes(dir.File("big"), big);
  uLong expected =
      crc32(0L, reinterpret_cast<const Bytef*>(big.data()), static_cast<uInt>(big.size()));
  EXPECT_EQ(FileCrc32(dir.File("big")), static_cast<std::uint32_t>(expected));
}

class UnpackTest : public ::testing::Test {
 protected:
  std::string Archive(const TZipBuilder& zip) {
    zip.WriteTo(work.File("a.zip"));
    return work.File("a.zip");
  }
  TUnpackResult Unpack(const TZipBuilder& zip) { return UnpackZip(Archive(zip), target()); }
  std::string target() const { return work.File("target"); }
  std::string In(const std::string& name) const { return target() + "/" + name; }

  TempDir work;
};

TEST_F(UnpackTest, WritesFilesAndFoldersWithTheirPermissions) {
  TZipBuilder zip;
  zip.File("readme.txt", "hello")
      .Folder("empty")
      .File("bin/tool", "#!/bin/sh\n", 0755)
      .File("bin/deep/data.bin", std::string(100000, 'x'), 0640, false)
      .File("win\\path.txt", "backslashes", TZipBuilder::kNoUnixMode)
      .File("./dot/./x.txt", "dots");
  TUnpackResult r = Unpack(zip);
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_EQ(ReadFileBytes(In("readme.txt")), "hello");
  EXPECT_TRUE(fs::is_directory(In("empty")));
  EXPECT_EQ(ReadFileBytes(In("bin/deep/data.bin")), std::string(100000, 'x'));
  EXPECT_EQ(ReadFileBytes(In("win/path.txt")), "backslashes");
  EXPECT_EQ(ReadFileBytes(In("dot/x.txt")), "dots");
  EXPECT_EQ(Mode(In("bin/tool")), 0755u);
  EXPECT_TRUE(IsExecutable(In("bin/tool")));
  EXPECT_EQ(Mode(In("bin/deep/data.bin")), 0640u);
  EXPECT_EQ(Mode(In("win/path.txt")), 0644u);
  EXPECT_EQ(r.Files, (std::vector<std::string>{"readme.txt", "bin/tool", "bin/deep/data.bin",
                                               "win/path.txt", "dot/x.txt"}));
  // No temporary files are left beside the results.
  EXPECT_EQ(FileCount(target()), 10);
}

TEST_F(UnpackTest, ReplacesExistingFilesByRenameAndKeepsAnExecutableExecutable) {
  fs::create_directories(target());
  WriteFileBytes(In("prog"), "old program");
  fs::permissions(In("prog"), fs::perms(0755));
  WriteFileBytes(In("notes.txt"), "old notes");
  // A running program keeps its old file open; replacing must not change what it reads.
  std::ifstream running(In("prog"), std::ios::binary);

  TZipBuilder zip;
  zip.File("prog", "new program", TZipBuilder::kNoUnixMode).File("notes.txt", "new notes", 0600);
  TUnpackResult r = Unpack(zip);
  ASSERT_TRUE(r.Ok) << r.Error;
  EXPECT_EQ(ReadFileBytes(In("prog")), "new program");
  EXPECT_EQ(Mode(In("prog")), 0755u);  // no stored bits: the replaced file's mode
  EXPECT_EQ(ReadFileBytes(In("notes.txt")), "new notes");
  EXPECT_EQ(Mode(In("notes.txt")), 0600u);
  std::string old((std::istreambuf_iterator<char>(running)), std::istreambuf_iterator<char>());
  EXPECT_EQ(old, "old program");
}

TEST_F(UnpackTest, RefusesWholeArchivesWithEntriesLeavingTheFolder) {
  TempDir outside;
  const std::string absolute = outside.File("abs.txt");
  struct Case {
    std::string name;
    std::string expected;
  } cases[] = {{"../evil.txt", "climbs out"},
               {"sub/../../evil.txt", "climbs out"},
               {"..\\evil.txt", "climbs out"},
               {absolute, "absolute"},
               {"C:/evil.txt", "absolute"}};
  for (const Case& c : cases) {
    TZipBuilder zip;
    zip.File("first.txt", "good").Folder("folder").File(c.name, "bad").File("last.txt", "good");
    TUnpackResult r = Unpack(zip);
    EXPECT_FALSE(r.Ok) << c.name;
    EXPECT_NE(r.Error.find(c.expected), std::string::npos) << c.name << ": " << r.Error;
    EXPECT_TRUE(r.Files.empty());
    EXPECT_FALSE(fs::exists(target())) << c.name << ": something was written";
  }
  EXPECT_FALSE(fs::exists(work.File("evil.txt")));
  EXPECT_FALSE(fs::exists(absolute));
}

TEST_F(UnpackTest, RefusesLinksConflictsAndLinkedFoldersLeadingOut) {
  TZipBuilder link;
  link.File("a.txt", "a").Special("link", "/etc/passwd", S_IFLNK | 0777);
  TUnpackResult r = Unpack(link);
  EXPECT_FALSE(r.Ok);
  EXPECT_FALSE(fs::exists(In("a.txt")));

  TZipBuilder conflict;  // "d" is a file and the folder of "d/f"
  conflict.File("d", "file").File("d/f", "inside");
  r = Unpack(conflict);
  EXPECT_FALSE(r.Ok);
  EXPECT_NE(r.Error.find("both a file and a folder"), std::string::npos) << r.Error;

  // A folder link already in the target that leads elsewhere is not written through.
  TempDir outside;
  fs::create_directories(target());
  fs::create_directory_symlink(outside.Path(), In("out"));
  TZipBuilder through;
  through.File("out/evil.txt", "bad");
  r = Unpack(through);
  EXPECT_FALSE(r.Ok);
  EXPECT_FALSE(fs::exists(outside.File("evil.txt")));
}

TEST_F(UnpackTest, BrokenArchivesFailClearlyAndReplaceNothing) {
  fs::create_directories(target());
  WriteFileBytes(In("keep.txt"), "original");
  TZipBuilder zip;
  zip.File("keep.txt", "replacement", 0644, false).File("other.txt", std::string(5000, 'o'));
  const std::string good = zip.Bytes();

  WriteFileBytes(work.File("text.zip"), "this is not an archive at all");
  TUnpackResult r = UnpackZip(work.File("text.zip"), target());
  EXPECT_FALSE(r.Ok);
  EXPECT_NE(r.Error.find("not a zip"), std::string::npos) << r.Error;

  WriteFileBytes(work.File("cut.zip"), good.substr(0, good.size() / 2));
  r = UnpackZip(work.File("cut.zip"), target());
  EXPECT_FALSE(r.Ok);
  EXPECT_FALSE(r.Error.empty());

  // A changed byte inside the stored (uncompressed) entry fails its CRC.
  std::string corrupt = good;
  std::size_t at = corrupt.find("replacement");
  ASSERT_NE(at, std::string::npos);
  corrupt[at] = 'R';
  WriteFileBytes(work.File("crc.zip"), corrupt);
  r = UnpackZip(work.File("crc.zip"), target());
  EXPECT_FALSE(r.Ok);
  EXPECT_NE(r.Error.find("keep.txt"), std::string::npos) << r.Error;

  EXPECT_FALSE(UnpackZip(work.File("missing.zip"), target()).Ok);
  EXPECT_EQ(ReadFileBytes(In("keep.txt")), "original");
  EXPECT_EQ(FileCount(target()), 1);  // no temporary or partial files
}

}  // namespace
}  // namespace zoqa::test
