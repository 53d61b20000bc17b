#include "fixer/face_file.h"

#include <cstdio>

#include "sfnt/sfnt_directory.h"

int refuse_unknown_version(const std::string& name, uint32_t version) {
  if (known_sfnt_version(version)) return 0;
  std::fprintf(stderr, "Not a font file: %s has an unknown sfnt version (0x%08X).\n", name.c_str(),
               version);
  return 1;
}
