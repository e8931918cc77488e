// The enciphered data formats of the service link, over DES in electronic-codebook use:
// short texts written as hexadecimal (URL and command-line tokens), and the enciphered stream
// in which the service publishes its configuration document. Texts are code page 936 bytes;
// nothing here converts characters. Every operation builds its own key schedule, so all of
// them may run on any thread at once.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "service/des.h"

namespace zoqa {

// Bad input to the text operations; what() is the message shown to the user.
class CipherError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The key of the text operations: the first 8 bytes of `key`, padded with zero bytes.
DesKey TextKey(std::string_view key);

// The key of the stream format: byte i (1-based) of `key` is added, modulo 256, to key byte
// i mod 8, starting from zero bytes. Every byte of `key` counts.
DesKey StreamKey(std::string_view key);

// `plain` padded with zero bytes to whole blocks and enciphered. The empty text stays empty.
// Throws CipherError when the last byte is zero, since deciphering strips trailing zeros.
std::string EncipherText(std::string_view plain, std::string_view key);

// The whole blocks of `cipher` deciphered (a trailing partial block is ignored), with every
// zero byte at the end removed.
std::string DecipherText(std::string_view cipher, std::string_view key);

// EncipherText written as upper-case hex, two digits per byte.
std::string EncipherToHex(std::string_view plain, std::string_view key);

// The inverse of EncipherToHex. Digits may be of either case; a last unpaired digit is
// ignored. Throws CipherError at a pair that holds anything but hex digits.
std::string DecipherFromHex(std::string_view hex, std::string_view key);

// True when `source` has the shape of an enciphered stream: whole blocks followed by a 4-byte
// little-endian length that is not negative as a signed number and fits in the blocks.
bool IsEncipheredStream(std::string_view source);

// Deciphers an enciphered stream into `target`. An empty key leaves `target` as it was.
// Otherwise `target` receives the plaintext, or nothing at all when `source` is not a
// well-formed stream; failures are never reported, callers judge the result.
void DecipherStream(std::string_view source, std::string& target, std::string_view key);

// The service side of the stream format: `plain` padded with zero bytes to whole blocks,
// enciphered with StreamKey(key), followed by its length. Throws CipherError for an empty
// key (which DecipherStream ignores) or a text of 2 GiB or more.
std::string EncipherStream(std::string_view plain, std::string_view key);

}  // namespace zoqa
