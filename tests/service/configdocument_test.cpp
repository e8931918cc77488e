// The configuration document: which element counts, element texts, the version and CRC
// readings, and what a document asks for, with the updater program replaced by a fake.
#include "service/configdocument.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "service/desutil.h"
#include "support/testsupport.h"
#include "util/codepage.h"

namespace zoqa {
namespace {

using namespace std::string_literals;

// The root's name, or "(none)" when the text holds no complete top-level element.
std::string RootOf(const std::string& xml) {
  TConfigDocument doc;
  return doc.Parse(xml) ? doc.Root().name() : "(none)";
}

TEST(ConfigDocumentParse, OnlyTheFirstCompleteTopLevelElementCounts) {
  EXPECT_EQ(RootOf("<anyname><system/></anyname>"), "anyname");
  EXPECT_EQ(RootOf("<?xml version=\"1.0\"?>\n<a/><b/>"), "a");
  // Whatever follows the first element, well-formed or not, is ignored.
  EXPECT_EQ(RootOf("<a><x>1</x></a></stray>"), "a");
  EXPECT_EQ(RootOf("<a></a><b attr=>"), "a");
  EXPECT_EQ(RootOf("<a></a><b><c>"), "a");
  EXPECT_EQ(RootOf("<a></a><"), "a");
  EXPECT_EQ(RootOf("<a></a><!-- x < y"), "a");
  EXPECT_EQ(RootOf("<a/>garbage & more"), "a");
  // A first element that is cut off or broken inside gives nothing.
  EXPECT_EQ(RootOf("<a><system><zqmailurl>http://x</zqmailurl></system>"), "(none)");
  EXPECT_EQ(RootOf("<a><b>x</c></a>"), "(none)");
  EXPECT_EQ(RootOf("<a><b x=></b></a><c/>"), "(none)");
  EXPECT_EQ(RootOf(""), "(none)");
  EXPECT_EQ(RootOf("just text"), "(none)");
  EXPECT_EQ(RootOf("<!-- only a comment -->"), "(none)");
  EXPECT_EQ(RootOf("\0<a/>"s), "(none)");
}

TEST(ConfigDocumentParse, CodePageBytesPassThroughWhateverTheDeclarationSays) {
  std::string name = Cp936("北京公司");
  for (const char* declaration : {"", "<?xml version=\"1.0\" encoding=\"utf-8\"?>",
                                  "<?xml version=\"1.0\" encoding=\"gb2312\"?>"}) {
    std::string xml = std::string(declaration) + "<c><t a=\"" + name + "\">" + name + "</t></c>";
    TConfigDocument doc;
    ASSERT_TRUE(doc.Parse(xml)) << declaration;
    EXPECT_EQ(ElementText(doc.Root().child("t")), name);
    EXPECT_EQ(std::string(doc.Root().child("t").attribute("a").value()), name);
  }
}

TEST(ConfigDocumentParse, ElementTextIsTheFirstRunOfCharacterDataTrimmed) {
  TConfigDocument doc;
  ASSERT_TRUE(
      doc.Parse("<r><a> \t http://h/a.zip?x=1&amp;y=2 \r\n</a><b><i/>\n tail </b>"
                "<c>first<i/>second</c><d><![CDATA[ <cdata> ]]></d><e/><f>  </f></r>"));
  pugi::xml_node r = doc.Root();
  EXPECT_EQ(ElementText(r.child("a")), "http://h/a.zip?x=1&y=2");
  EXPECT_EQ(ElementText(r.child("b")), "tail");
  EXPECT_EQ(ElementText(r.child("c")), "first");
  EXPECT_EQ(ElementText(r.child("d")), "<cdata>");
  EXPECT_EQ(ElementText(r.child("e")), "");
  EXPECT_EQ(ElementText(r.child("f")), "");
  EXPECT_EQ(ElementText(r.child("missing")), "");
}

TEST(ConfigDocumentParse, StreamIsDecipheredWithTheConfigurationKey) {
  const std::string xml = "<cfg><system/></cfg>";
  TConfigDocument doc;
  EXPECT_TRUE(doc.ParseStream(EncipherStream(xml, kConfigKey)));
  EXPECT_STREQ(doc.Root().name(), "cfg");
  EXPECT_FALSE(doc.ParseStream(EncipherStream(xml, "another key")));
  EXPECT_FALSE(doc.ParseStream("<cfg><system/></cfg>"));  // plaintext is not a stream
  EXPECT_FALSE(doc.ParseStream("<html>404 Not Found</html>"));
  EXPECT_FALSE(doc.ParseStream(""));
  EXPECT_TRUE(doc.Root().empty());
}

TEST(ConfigVersions, DecimalVersionsCompareByValue) {
  EXPECT_FALSE(DecimalNewer("2.1", "2.1"));
  EXPECT_FALSE(DecimalNewer("2.10", "2.1"));
  EXPECT_FALSE(DecimalNewer("02.100", "2.1"));
  EXPECT_TRUE(DecimalNewer("2.11", "2.1"));
  EXPECT_TRUE(DecimalNewer("2.2", "2.1"));
  EXPECT_TRUE(DecimalNewer("3", "2.1"));
  EXPECT_TRUE(DecimalNewer("3.", "2.1"));
  EXPECT_TRUE(DecimalNewer(" 2.2 ", "2.1"));
  EXPECT_TRUE(DecimalNewer("+2.2", "2.1"));
  EXPECT_TRUE(DecimalNewer("123456789012345678901234567890.5", "2.1"));
  EXPECT_FALSE(DecimalNewer("2.09", "2.1"));
  EXPECT_FALSE(DecimalNewer("2.099999999999999999999", "2.1"));
  EXPECT_FALSE(DecimalNewer("-3", "2.1"));
  EXPECT_FALSE(DecimalNewer("-0", "0"));
  EXPECT_TRUE(DecimalNewer("0", "-0.1"));
  EXPECT_TRUE(DecimalNewer("-1", "-2"));
  // Unreadable texts count as 1.0.
  for (const char* unreadable : {"", "new", "2.1.1", "2,2", "1e5", "inf", ".", "2 .2", "0x3"}) {
    EXPECT_FALSE(DecimalNewer(unreadable, "2.1")) << unreadable;
    EXPECT_FALSE(DecimalNewer(unreadable, "1")) << unreadable;
    EXPECT_FALSE(DecimalNewer("1.0", unreadable)) << unreadable;
    EXPECT_TRUE(DecimalNewer("1.01", unreadable)) << unreadable;
  }
}

TEST(ConfigVersions, DottedVersionsComparePartByPart) {
  EXPECT_TRUE(DottedNewer("1.0.0.2", "1.0.0.1"));
  EXPECT_TRUE(DottedNewer("1.10.0.0", "1.9.9.9"));
  EXPECT_TRUE(DottedNewer("2", "1"));
  EXPECT_FALSE(DottedNewer("1.0.0.1", "1.0.0.1"));
  EXPECT_FALSE(DottedNewer("1.0.0.0", "1.0.0.1"));
  EXPECT_FALSE(DottedNewer("1.0.2", "1.0.0.1"));  // a different number of parts
  EXPECT_FALSE(DottedNewer("9.0.0.0.0", "1.0.0.1"));
  // Parts that are no integer count as 0.
  EXPECT_TRUE(DottedNewer("1.0.0.x", "0.9.9.9"));
  EXPECT_FALSE(DottedNewer("1.0.0.x", "1.0.0.0"));
  EXPECT_FALSE(DottedNewer("1.0.0.99999999999999999999", "1.0.0.0"));
  EXPECT_TRUE(DottedNewer("1.0.0.+3", "1.0.0.2"));
  EXPECT_FALSE(DottedNewer("1.0.0.-3", "1.0.0.2"));
  EXPECT_FALSE(DottedNewer("", "1.0.0.0"));
}

TEST(ConfigVersions, CrcKeepsTheLowThirtyTwoBits) {
  EXPECT_EQ(ReadCrc("3735928559"), 0xDEADBEEFu);
  EXPECT_EQ(ReadCrc(" 42\t"), 42u);
  EXPECT_EQ(ReadCrc("4294967295"), 0xFFFFFFFFu);
  EXPECT_EQ(ReadCrc("4294967296"), 0u);
  EXPECT_EQ(ReadCrc("4294967297"), 1u);
  EXPECT_EQ(ReadCrc("99999999999999999999999"), 4135583743u);
  // A CRC written as a signed number means the same bits.
  EXPECT_EQ(ReadCrc("-1"), 0xFFFFFFFFu);
  EXPECT_EQ(ReadCrc("-559038737"), 0xDEADBEEFu);
  for (const char* bad : {"", "-", "abc", "12a", "1 2", "0x10", "1.5"}) {
    EXPECT_EQ(ReadCrc(bad), 0u) << bad;
  }
}

// An updater program that exists in a given version, or does not; removals are counted.
struct FakeUpdater {
  bool exists = true;
  std::string version = "1.0.0.1";
  int removed = 0;

  TUpdaterFiles Files() {
    return {[this] { return exists; }, [this] { return version; },
            [this] {
              ++removed;
              exists = false;
            },
            [] { return true; }};
  }
};

class ConfigApply : public ::testing::Test {
 protected:
  TConfigEffects Apply(const std::string& xml) {
    TConfigDocument doc;
    EXPECT_TRUE(doc.Parse(xml)) << xml;
    return ApplyConfigDocument(doc.Root(), "2.1", kFirstToolCode, kSecondToolCode, updater.Files());
  }
  TUpdateInfo Offer(const std::string& versionChildren) {
    return Apply("<c><version>" + versionChildren + "</version></c>").Update;
  }

  FakeUpdater updater;
};

TEST_F(ConfigApply, SystemGivesTheToolAddressesByTheirCodes) {
  TConfigEffects e = Apply(
      "<c><system><zqsmsurl> http://t/sms.zip </zqsmsurl><zqmailurl>http://t/mail.zip</zqmailurl>"
      "<ZQMAILURL>http://wrong</ZQMAILURL></system></c>");
  EXPECT_TRUE(e.HasSystem);
  EXPECT_FALSE(e.HasVersion);
  EXPECT_EQ(e.FirstToolUrl, "http://t/mail.zip");
  EXPECT_EQ(e.SecondToolUrl, "http://t/sms.zip");

  e = Apply("<c><system><zqmailurl>http://t/mail.zip</zqmailurl></system></c>");
  EXPECT_EQ(e.SecondToolUrl, "");

  e = Apply("<c><System/><other><system/></other><version x='1'/></c>");
  EXPECT_FALSE(e.HasSystem);  // names compare exactly; grandchildren do not count
  EXPECT_TRUE(e.HasVersion);
  EXPECT_FALSE(e.Update.UpdateAvailable);
}

TEST_F(ConfigApply, NewerClientIsOffered) {
  TUpdateInfo u = Offer("<zoqa ver='2.2' crc='3735928559' force='1'> http://u/update.zip </zoqa>");
  EXPECT_TRUE(u.UpdateAvailable);
  EXPECT_TRUE(u.Forced);
  EXPECT_EQ(u.PackageUrl, "http://u/update.zip");
  EXPECT_EQ(u.PackageCrc, 0xDEADBEEFu);
  EXPECT_FALSE(u.UpdaterNeeded);

  for (const char* version : {"2.1", "2.10", "2.1.1", "beta", "", "-3"}) {
    EXPECT_FALSE(Offer("<zoqa ver='"s + version + "'>http://u/z</zoqa>").UpdateAvailable)
        << version;
  }
  EXPECT_FALSE(Offer("<zoqa>http://u/z</zoqa>").UpdateAvailable);
  for (const char* force : {"true", "01", " 1", ""}) {
    TUpdateInfo f = Offer("<zoqa ver='3' force='"s + force + "'>http://u/z</zoqa>");
    EXPECT_TRUE(f.UpdateAvailable);
    EXPECT_FALSE(f.Forced) << force;
  }
  EXPECT_EQ(Offer("<zoqa ver='3' crc='x'>http://u/z</zoqa>").PackageCrc, 0u);
}

TEST_F(ConfigApply, EachNewerClientOverwritesTheEarlierOne) {
  TUpdateInfo u = Offer(
      "<zoqa ver='2.5' crc='5' force='1'>http://u/a</zoqa>"
      "<zoqa ver='2.2' crc='6'>http://u/b</zoqa>"
      "<zoqa ver='2.0' crc='7'>http://u/c</zoqa>");
  EXPECT_TRUE(u.UpdateAvailable);
  EXPECT_FALSE(u.Forced);
  EXPECT_EQ(u.PackageUrl, "http://u/b");
  EXPECT_EQ(u.PackageCrc, 6u);
}

TEST_F(ConfigApply, MissingUpdaterIsFetchedWhateverTheOfferedVersion) {
  updater.exists = false;
  TUpdateInfo u = Offer("<zoqaupdate ver='0.0.0.1' crc='-1'>http://u/up.zip</zoqaupdate>");
  EXPECT_TRUE(u.UpdaterNeeded);
  EXPECT_EQ(u.UpdaterUrl, "http://u/up.zip");
  EXPECT_EQ(u.UpdaterCrc, 0xFFFFFFFFu);
  EXPECT_FALSE(u.UpdateAvailable);
  EXPECT_EQ(updater.removed, 0);
  EXPECT_TRUE(Offer("<zoqaupdate>http://u/up.zip</zoqaupdate>").UpdaterNeeded);
}

TEST_F(ConfigApply, OlderUpdaterIsRemovedAndFetchedAgain) {
  TUpdateInfo u = Offer("<zoqaupdate ver='1.0.0.2' crc='9'>http://u/up.zip</zoqaupdate>");
  EXPECT_TRUE(u.UpdaterNeeded);
  EXPECT_EQ(u.UpdaterUrl, "http://u/up.zip");
  EXPECT_EQ(u.UpdaterCrc, 9u);
  EXPECT_EQ(updater.removed, 1);
}

TEST_F(ConfigApply, CurrentUpdaterIsKept) {
  for (const char* version : {"1.0.0.1", "1.0.0.0", "1.0.2", "", "1.0.0.2.0"}) {
    updater = FakeUpdater{};
    TUpdateInfo u = Offer("<zoqaupdate ver='"s + version + "'>http://u/up.zip</zoqaupdate>");
    EXPECT_FALSE(u.UpdaterNeeded) << version;
    EXPECT_EQ(updater.removed, 0) << version;
  }
}

TEST_F(ConfigApply, ChildrenApplyInDocumentOrder) {
  // The first offer replaces the updater, so the second finds none and is taken as it is.
  TConfigEffects e = Apply(
      "<c><version><zoqaupdate ver='1.0.0.5'>http://u/1</zoqaupdate></version>"
      "<system><zqmailurl>http://t/old</zqmailurl></system>"
      "<version><zoqaupdate ver='0.1'>http://u/2</zoqaupdate><zoqa ver='2.3'>http://u/z</zoqa>"
      "</version><system><zqmailurl>http://t/new</zqmailurl></system></c>");
  EXPECT_EQ(updater.removed, 1);
  EXPECT_EQ(e.Update.UpdaterUrl, "http://u/2");
  EXPECT_EQ(e.Update.PackageUrl, "http://u/z");
  EXPECT_EQ(e.FirstToolUrl, "http://t/new");
}

TEST(ConfigUpdaterFiles, WorkOnTheFolderAndNeverFollowALink) {
  test::TempDir dir;
  TUpdaterFiles files = UpdaterFilesIn(dir.Path());
  EXPECT_FALSE(files.Exists());
  EXPECT_TRUE(files.FolderWritable());
  std::filesystem::create_directory(dir.File("update.exe"));
  EXPECT_FALSE(files.Exists());  // a directory is no program
  std::filesystem::remove(dir.File("update.exe"));
  test::WriteFileBytes(dir.File("update.exe"), "not a program");
  EXPECT_TRUE(files.Exists());
  EXPECT_EQ(files.FileVersion(), "1.0.0.0");
  files.Remove();
  EXPECT_FALSE(std::filesystem::exists(dir.File("update.exe")));
  EXPECT_FALSE(files.Exists());

  // An "update.exe" that links elsewhere: only the link goes, the file it names stays.
  test::WriteFileBytes(dir.File("elsewhere"), "someone's program");
  std::filesystem::create_symlink(dir.File("elsewhere"), dir.File("update.exe"));
  files.Remove();
  EXPECT_FALSE(std::filesystem::is_symlink(dir.File("update.exe")));
  EXPECT_EQ(test::ReadFileBytes(dir.File("elsewhere")), "someone's program");
  EXPECT_FALSE(UpdaterFilesIn(dir.File("missing")).FolderWritable());
}

}  // namespace
}  // namespace zoqa
