// Why a collection file could not be read, told to the program, which puts it in its own
// words: ttc/ never prints.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class ttc_fault {
  unread,                   // a read failed; the reader has reported it, naming the file
  not_collection,           // the file does not begin with a collection header
  header_short,             // the header runs past the end of the file
  offsets_short,            // the offset array runs past the end of the file
  face_broken,              // face `face`'s offset table, directory or a table (`detail`)
  too_many_bytes,           // the distinct tables hold more than 4 GiB
  too_many_tables,          // more distinct tables than the pool holds (`limit`)
  directories_over_budget,  // the directories take more than `limit` bytes
  faces_over_budget,        // the faces as fonts of their own take more than `limit` bytes
};

struct ttc_problem {
  ttc_fault fault = ttc_fault::unread;
  size_t face = 0;
  uint64_t limit = 0;
  std::string detail;  // "table directory runs past the end of the file", ...
};
