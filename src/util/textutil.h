// Text, URL and path helpers over code page 936 byte strings. Searches are character-aware:
// a marker is only found where a character starts, never inside a double-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zoqa {

// Position of the first occurrence of `marker` at or after `from` that starts on a character
// boundary, or npos; `from` must itself be a character boundary. An empty marker is found
// at `from`.
std::size_t FindText(std::string_view text, std::string_view marker, std::size_t from = 0);

// Position of the last single-byte character `ch` in `text`, or npos.
std::size_t FindLastChar(std::string_view text, char ch);

// ASCII letters lower-cased; double-byte characters left as they are.
std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);

// Equal when the texts differ at most in the case of ASCII letters.
bool SameText(std::string_view a, std::string_view b);

// Blanks and control characters (bytes up to 0x20) removed from both ends.
std::string Trim(std::string_view text);

// `text` shortened to `n` bytes plus "..." without splitting a double-byte character.
std::string CutText(std::string_view text, int n);

// Splits at the first occurrence of `delimiter`, which counts as one byte long.
void SplitFirst(std::string_view text, std::string_view delimiter, std::string& left,
                std::string& right);

// dest := dest + separator + value, or value when dest is empty; returns the new dest.
std::string AppendText(std::string& dest, std::string_view value, std::string_view separator);

// Percent-encodes every byte except - . / 0-9 : A-Z _ a-z; a blank as "+" or "%20".
std::string UrlEncode(std::string_view text, bool blankAsPlus);

// The bytes after the last `ch`, or `fallback` when `ch` does not occur.
std::string TextAfterLast(std::string_view text, char ch, std::string_view fallback);

// The bytes before the last `ch`, or the whole text when `ch` does not occur.
std::string TextBeforeLast(std::string_view text, char ch);

// n when n <= 0, else a uniformly drawn number from 1 to n.
int RandomNumber(int n);

// Empty when `start` does not occur; otherwise what follows its first occurrence, cut before
// the first following `end` when `end` is non-empty and occurs there.
std::string TextBetween(std::string_view start, std::string_view end, std::string_view text);

// The path with the path delimiter ("/") appended unless it already ends with one; an empty
// or all-blank path is returned unchanged.
std::string IncludeBackslash(std::string_view path);

// Every occurrence of `from` (found character-aware, left to right, without rescanning the
// replaced text) replaced by `to`; ASCII letters compare without case when `ignoreCase`.
std::string ReplaceText(std::string_view text, std::string_view from, std::string_view to,
                        bool ignoreCase);

// The lines joined into one text, each followed by CR LF: how lists are stored, put on the
// clipboard and cleaned for export.
std::string JoinCrLf(const std::vector<std::string>& lines);

}  // namespace zoqa
