// Conversions between the store's in-memory values (code page 936 text, lists, numbers) and
// the text held in the database (UTF-8; lists as lines).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zoqa {

// Code page 936 text as stored (UTF-8), without zero bytes.
std::string EncodeStored(const std::string& cp936);

// Stored UTF-8 text in code page 936; invalid sequences and characters the code page lacks
// become "?".
std::string DecodeStored(std::string_view utf8);
// The same into `cp936`, reusing its storage.
void DecodeStored(std::string_view utf8, std::string& cp936);

// A list as stored: each entry followed by CR LF, in UTF-8.
std::string JoinStoredList(const std::vector<std::string>& cp936);

// A stored list value (UTF-8) split into its code page 936 entries: trimmed, "|" taken as a
// line break, lines ended by CR, LF or CR LF (a final line break makes no empty entry).
std::vector<std::string> SplitStoredList(std::string_view utf8);
// The same into `lines`, reusing the storage of the entries there.
void SplitStoredList(std::string_view utf8, std::vector<std::string>& lines);

// A decimal integer read back from the database; anything else, the empty text of a NULL
// included, gives 0.
std::int32_t ParseStoredInt32(std::string_view text);
std::int64_t ParseStoredInt64(std::string_view text);

}  // namespace zoqa
