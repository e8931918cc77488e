// File versions of our own executables. Linux executables carry no version resource, so
// each program embeds a small record in an ELF section of its own, which GetFileVersion
// reads back from the file.
#pragma once

#include <cstdint>
#include <string>

namespace zoqa {

// The record's layout in the ".zoqa_version" section.
struct TFileVersionRecord {
  char magic[8];           // "ZQVERSN" and a NUL
  std::uint32_t parts[4];  // major, minor, release, build
};

// "a.b.c.d" from the file's version record; "1.0.0.0" for a missing file, a file that is
// not ELF, or one without the record.
std::string GetFileVersion(const std::string& fileName);

}  // namespace zoqa

// Put once into a program's main source file to give the executable its version.
#define ZOQA_EMBED_FILE_VERSION(a, b, c, d)                                                        \
  extern "C" __attribute__((section(".zoqa_version"), used))                                       \
  const ::zoqa::TFileVersionRecord zoqa_file_version = {{'Z', 'Q', 'V', 'E', 'R', 'S', 'N', '\0'}, \
                                                        {a, b, c, d}}
