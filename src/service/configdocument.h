// The configuration document the maker's service publishes: an enciphered stream whose
// plaintext is XML in code page 936. This module reads it, compares the versions it offers and
// works out what it asks for (service pages on, companion-tool addresses, an update). The
// effects on the updater program in the program directory go through TUpdaterFiles, so the
// reading and the decisions can run without touching the file system.
#pragma once

#include <pugixml.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "service/updateinfo.h"

namespace zoqa {

// The key string the document is enciphered with.
inline constexpr char kConfigKey[] = "qmv3k8rtw";

// Codes of the first two companion tools; the `system` element names their download
// addresses "<code>url".
inline constexpr char kFirstToolCode[] = "zqmail";
inline constexpr char kSecondToolCode[] = "zqsms";

// The parsed document. Only its first complete top-level element counts: whatever follows it,
// well-formed or not, is ignored.
class TConfigDocument {
 public:
  // Reads `plain` as XML. The bytes are taken as they are (an encoding declaration is not
  // consulted), so element texts and attributes stay code page 936. False when the text holds
  // no complete top-level element; Root() is then empty.
  bool Parse(std::string_view plain);
  // Deciphers `stream` with kConfigKey and parses the plaintext.
  bool ParseStream(std::string_view stream);

  // The first complete top-level element, whatever its name; empty before a successful parse.
  pugi::xml_node Root() const { return root_; }

 private:
  bool ParsePrefix(std::string_view plain, std::size_t length);

  pugi::xml_document doc_;
  pugi::xml_node root_;
};

// The element's first run of character data with blanks and control characters removed from
// both ends; empty when it has none or the element is empty.
std::string ElementText(pugi::xml_node element);

// A decimal version such as "2.1" or "3": an optional sign, digits and at most one point,
// blanks around it allowed. Anything else ("2.1.1", a word, the empty text) reads as 1.0.
// True when `v` is greater than `w` so read; "2.10" equals "2.1".
bool DecimalNewer(std::string_view v, std::string_view w);

// Dotted versions such as "1.0.0.2": split at every "." and compared part by part as integers
// (a part that is not an integer counts as 0). A different number of parts is never newer,
// neither are equal versions.
bool DottedNewer(std::string_view v, std::string_view w);

// A CRC attribute: a decimal integer of any length, possibly negative, of which the low 32
// bits (two's complement) are used; 0 when empty or not a number.
std::uint32_t ReadCrc(std::string_view text);

// The folder updates install into and the updater program in it, as the document's
// `zoqaupdate` element and an offered update need them. Every member must be set.
struct TUpdaterFiles {
  std::function<bool()> Exists;              // the file is there
  std::function<std::string()> FileVersion;  // "a.b.c.d" of the file
  std::function<void()> Remove;              // end its running processes, delete the file
  std::function<bool()> FolderWritable;      // an update can be installed in the folder
};

// The updater at `folder` + "update.exe": GetFileVersion, KillProcessesOf and file removal.
// A link of that name is never followed: it is removed itself, and the processes ended are
// only those that run the file at exactly that path.
TUpdaterFiles UpdaterFilesIn(const std::string& folder);

// UpdaterFilesIn(AppExeDir()): an update replaces the executable, wherever the program
// directory is.
TUpdaterFiles DefaultUpdaterFiles();

// What a document asks for.
struct TConfigEffects {
  bool HasVersion = false;   // a `version` element: the periodic version check stops
  bool HasSystem = false;    // a `system` element: the service pages have a base address
  std::string FirstToolUrl;  // the last `system` element's addresses
  std::string SecondToolUrl;
  TUpdateInfo Update;  // the offer; UpdateAvailable false: nothing to install
};

// Applies the children of `root` in document order against `clientVersion`. A `zoqaupdate`
// element may replace the installed updater through `files` on the way (ending its processes
// and deleting it), as the document decides, even when no client update results.
TConfigEffects ApplyConfigDocument(pugi::xml_node root, std::string_view clientVersion,
                                   std::string_view firstToolCode, std::string_view secondToolCode,
                                   const TUpdaterFiles& files);

}  // namespace zoqa
