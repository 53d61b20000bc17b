#include "programs/collection_messages.h"

#include "cli/messages.h"

#include <cstdio>

void print_ttc_problem(const ttc_problem& problem) {
  const auto limit = static_cast<unsigned long long>(problem.limit);
  switch (problem.fault) {
    case ttc_fault::unread:
      return;
    case ttc_fault::not_collection:
      say_problem("Not a TTC data.\n");
      return;
    case ttc_fault::header_short:
      say_problem("TTC header runs past the end of the file.\n");
      return;
    case ttc_fault::offsets_short:
      say_problem("TTC offset array runs past the end of the file.\n");
      return;
    case ttc_fault::face_broken:
      say_problem(text_format("Face %zu: %s.\n", problem.face, problem.detail.c_str()));
      return;
    case ttc_fault::too_many_bytes:
      say_problem("Collection holds more than 4 GiB of distinct tables.\n");
      return;
    case ttc_fault::too_many_tables:
      say_problem(text_format("Collection holds more than %llu distinct tables.\n", limit));
      return;
    case ttc_fault::directories_over_budget:
      say_problem(
          text_format("Collection's directories take more than %llu bytes, more than its size "
                      "allows.\n",
                      limit));
      return;
    case ttc_fault::faces_over_budget:
      say_problem(
          text_format("Collection's faces would take more than %llu bytes as fonts of their own, "
                      "more than its size allows.\n",
                      limit));
      return;
  }
}
