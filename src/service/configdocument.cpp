#include "service/configdocument.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/appdir.h"
#include "platform/fileversion.h"
#include "platform/processes.h"
#include "service/desutil.h"
#include "util/textutil.h"

namespace zoqa {
namespace {

// The bytes go through unconverted: pugixml's UTF-8 mode copies bytes of 0x80 and above as
// they are, and no code page 936 byte pair contains "<", ">", "&", "=" or a quote.
constexpr unsigned kParseOptions = pugi::parse_default;
constexpr pugi::xml_encoding kParseEncoding = pugi::encoding_utf8;

// How many shorter prefixes a malformed text is tried with before it counts as having no
// complete element; each try is one more parse.
constexpr int kPrefixTries = 8;

pugi::xml_node FirstElement(const pugi::xml_document& doc) {
  for (pugi::xml_node node : doc.children()) {
    if (node.type() == pugi::node_element) return node;
  }
  return {};
}

int ElementCount(const pugi::xml_document& doc) {
  int count = 0;
  for (pugi::xml_node node : doc.children()) count += node.type() == pugi::node_element;
  return count;
}

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A decimal number as sign, whole digits without leading zeros and fraction digits without
// trailing zeros, so that equal values have equal forms.
struct TDecimal {
  bool Negative = false;
  std::string Whole;
  std::string Fraction;
};

std::optional<TDecimal> ReadDecimal(std::string_view text) {
  std::string trimmed = Trim(text);
  std::string_view s = trimmed;
  TDecimal d;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    d.Negative = s[0] == '-';
    s.remove_prefix(1);
  }
  std::size_t point = s.find('.');
  std::string_view whole = s.substr(0, point);
  std::string_view fraction = point == std::string_view::npos ? "" : s.substr(point + 1);
  if (whole.empty() && fraction.empty()) return std::nullopt;
  if (!AllDigits(whole) || !AllDigits(fraction)) return std::nullopt;  // also a second point
  whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
  std::size_t lastDigit = fraction.find_last_not_of('0');
  fraction = lastDigit == std::string_view::npos ? "" : fraction.substr(0, lastDigit + 1);
  d.Whole = whole;
  d.Fraction = fraction;
  if (d.Whole.empty() && d.Fraction.empty()) d.Negative = false;  // -0 is 0
  return d;
}

TDecimal DecimalOrOne(std::string_view text) {
  std::optional<TDecimal> d = ReadDecimal(text);
  return d ? *d : TDecimal{false, "1", ""};
}

int CompareMagnitude(const TDecimal& a, const TDecimal& b) {
  if (a.Whole.size() != b.Whole.size()) return a.Whole.size() < b.Whole.size() ? -1 : 1;
  if (int c = a.Whole.compare(b.Whole)) return c < 0 ? -1 : 1;
  // Without trailing zeros, digit strings after the point order like their values.
  if (int c = a.Fraction.compare(b.Fraction)) return c < 0 ? -1 : 1;
  return 0;
}

int CompareDecimal(const TDecimal& a, const TDecimal& b) {
  if (a.Negative != b.Negative) return a.Negative ? -1 : 1;
  int magnitude = CompareMagnitude(a, b);
  return a.Negative ? -magnitude : magnitude;
}

// One part of a dotted version; 0 unless the whole (trimmed) part is an integer in range.
std::int64_t VersionPart(std::string_view text) {
  std::string trimmed = Trim(text);
  std::string_view s = trimmed;
  if (s.size() > 1 && s[0] == '+' && s[1] != '-') s.remove_prefix(1);
  std::int64_t value = 0;
  auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  return error == std::errc() && end == s.data() + s.size() ? value : 0;
}

std::vector<std::int64_t> VersionParts(std::string_view text) {
  std::vector<std::int64_t> parts;
  for (;;) {
    std::size_t point = text.find('.');
    parts.push_back(VersionPart(text.substr(0, point)));
    if (point == std::string_view::npos) return parts;
    text.remove_prefix(point + 1);
  }
}

std::string Attribute(pugi::xml_node element, const char* name) {
  return element.attribute(name).value();
}

// A `zoqa` element: a client newer than ours replaces the offer.
void ApplyClient(pugi::xml_node element, std::string_view clientVersion, TUpdateInfo& info) {
  std::string version = Attribute(element, "ver");
  if (version.empty() || !DecimalNewer(version, clientVersion)) return;
  info.UpdateAvailable = true;
  info.Forced = Attribute(element, "force") == "1";
  info.PackageUrl = ElementText(element);
  info.PackageCrc = ReadCrc(Attribute(element, "crc"));
}

// A `zoqaupdate` element: the updater is fetched when it is missing or older than offered;
// an older one is ended and deleted at once.
void ApplyUpdater(pugi::xml_node element, const TUpdaterFiles& files, TUpdateInfo& info) {
  std::string version = Attribute(element, "ver");
  if (files.Exists()) {
    if (version.empty() || !DottedNewer(version, files.FileVersion())) return;
    files.Remove();
  }
  info.UpdaterNeeded = true;
  info.UpdaterUrl = ElementText(element);
  info.UpdaterCrc = ReadCrc(Attribute(element, "crc"));
}

void ApplyVersion(pugi::xml_node version, std::string_view clientVersion,
                  const TUpdaterFiles& files, TUpdateInfo& info) {
  for (pugi::xml_node child : version.children()) {
    if (child.type() != pugi::node_element) continue;
    std::string_view name = child.name();
    if (name == "zoqa") {
      ApplyClient(child, clientVersion, info);
    } else if (name == "zoqaupdate") {
      ApplyUpdater(child, files, info);
    }
  }
}

std::string ToolUrl(pugi::xml_node system, std::string_view code) {
  std::string name = std::string(code) + "url";
  return ElementText(system.child(name.c_str()));
}

// The folder's links are resolved, the file name is kept as it is: running processes are
// known by their resolved paths, and a link named "update.exe" must not lead elsewhere.
std::string UpdaterPath(const std::string& folder) {
  std::error_code ec;
  std::filesystem::path dir = std::filesystem::weakly_canonical(folder, ec);
  if (ec) dir = folder;
  return (dir / "update.exe").string();
}

}  // namespace

bool TConfigDocument::Parse(std::string_view plain) {
  root_ = {};
  pugi::xml_parse_result result =
      doc_.load_buffer(plain.data(), plain.size(), kParseOptions, kParseEncoding);
  // A second top-level element begins only after the first was closed.
  if (result || ElementCount(doc_) > 1) {
    root_ = FirstElement(doc_);
    return !root_.empty();
  }
  // The text breaks somewhere: when that is after the first element, a prefix that ends
  // before the broken markup holds the whole element and parses cleanly.
  std::size_t cut = static_cast<std::size_t>(std::max<std::ptrdiff_t>(result.offset, 0));
  for (int i = 0; i < kPrefixTries; ++i) {
    std::size_t open = plain.rfind('<', cut);
    if (open == std::string_view::npos || open == 0) break;
    if (ParsePrefix(plain, open)) return true;
    cut = open - 1;
  }
  doc_.reset();
  return false;
}

bool TConfigDocument::ParsePrefix(std::string_view plain, std::size_t length) {
  if (!doc_.load_buffer(plain.data(), length, kParseOptions, kParseEncoding)) return false;
  root_ = FirstElement(doc_);
  return !root_.empty();
}

bool TConfigDocument::ParseStream(std::string_view stream) {
  std::string plain;
  DecipherStream(stream, plain, kConfigKey);
  return Parse(plain);
}

std::string ElementText(pugi::xml_node element) {
  for (pugi::xml_node node : element.children()) {
    if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
      return Trim(node.value());
    }
  }
  return {};
}

bool DecimalNewer(std::string_view v, std::string_view w) {
  return CompareDecimal(DecimalOrOne(v), DecimalOrOne(w)) > 0;
}

bool DottedNewer(std::string_view v, std::string_view w) {
  std::vector<std::int64_t> a = VersionParts(v), b = VersionParts(w);
  if (a.size() != b.size()) return false;
  auto [left, right] = std::mismatch(a.begin(), a.end(), b.begin());
  return left != a.end() && *left > *right;
}

std::uint32_t ReadCrc(std::string_view text) {
  std::string trimmed = Trim(text);
  std::string_view s = trimmed;
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty() || !AllDigits(s)) return 0;
  // Unsigned arithmetic wraps modulo 2^32, which keeps exactly the low 32 bits.
  std::uint32_t value = 0;
  for (char c : s) value = value * 10u + static_cast<std::uint32_t>(c - '0');
  return negative ? 0u - value : value;
}

TUpdaterFiles UpdaterFilesIn(const std::string& folder) {
  const std::string path = UpdaterPath(folder);
  TUpdaterFiles files;
  files.Exists = [path] {
    std::error_code ec;
    return std::filesystem::is_regular_file(path, ec);
  };
  files.FileVersion = [path] { return GetFileVersion(path); };
  files.Remove = [path] {
    // Only the updater of this folder: other programs' updaters share the name.
    KillProcessesOf(path);
    std::error_code ec;
    std::filesystem::remove(path, ec);
  };
  files.FolderWritable = [folder] { return FolderWritable(folder); };
  return files;
}

TUpdaterFiles DefaultUpdaterFiles() {
  return UpdaterFilesIn(AppExeDir());
}

TConfigEffects ApplyConfigDocument(pugi::xml_node root, std::string_view clientVersion,
                                   std::string_view firstToolCode, std::string_view secondToolCode,
                                   const TUpdaterFiles& files) {
  TConfigEffects effects;
  for (pugi::xml_node child : root.children()) {
    if (child.type() != pugi::node_element) continue;
    std::string_view name = child.name();
    if (name == "version") {
      effects.HasVersion = true;
      ApplyVersion(child, clientVersion, files, effects.Update);
    } else if (name == "system") {
      effects.HasSystem = true;
      effects.FirstToolUrl = ToolUrl(child, firstToolCode);
      effects.SecondToolUrl = ToolUrl(child, secondToolCode);
    }
  }
  return effects;
}

}  // namespace zoqa
