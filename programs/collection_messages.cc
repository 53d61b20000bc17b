#include "programs/collection_messages.h"

#include <cstdio>

void print_ttc_problem(const ttc_problem& problem) {
  const auto limit = static_cast<unsigned long long>(problem.limit);
  switch (problem.fault) {
    case ttc_fault::unread:
      return;
    case ttc_fault::not_collection:
      std::fputs("Not a TTC data.\n", stderr);
      return;
    case ttc_fault::header_short:
      std::fputs("TTC header runs past the end of the file.\n", stderr);
      return;
    case ttc_fault::offsets_short:
      std::fputs("TTC offset array runs past the end of the file.\n", stderr);
      return;
    case ttc_fault::face_broken:
      std::fprintf(stderr, "Face %zu: %s.\n", problem.face, problem.detail.c_str());
      return;
    case ttc_fault::too_many_bytes:
      std::fputs("Collection holds more than 4 GiB of distinct tables.\n", stderr);
      return;
    case ttc_fault::too_many_tables:
      std::fprintf(stderr, "Collection holds more than %llu distinct tables.\n", limit);
      return;
    case ttc_fault::directories_over_budget:
      std::fprintf(stderr,
                   "Collection's directories take more than %llu bytes, more than its size "
                   "allows.\n",
                   limit);
      return;
    case ttc_fault::faces_over_budget:
      std::fprintf(stderr,
                   "Collection's faces would take more than %llu bytes as fonts of their own, "
                   "more than its size allows.\n",
                   limit);
      return;
  }
}
