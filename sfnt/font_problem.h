// What is wrong with a font file as a font, told to the program that opened it, which puts
// it in its own words: the format never prints.
#pragma once

#include <cstdint>
#include <string>

enum class font_fault {
  unread,           // a read failed; the reader has reported it, naming the file
  empty,            // the file holds no bytes
  unknown_version,  // the sfnt version is none that fonts use (in `version`)
  broken,           // the offset table, directory or a table runs past the end (`detail`)
};

struct font_problem {
  font_fault fault = font_fault::unread;
  // Whether the file is shorter than an offset table, whatever else is wrong with it.
  bool short_file = false;
  uint32_t version = 0;
  std::string detail;  // "table directory runs past the end of the file", ...
};
