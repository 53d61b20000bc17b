// Bytes a program makes and must keep until it writes its output, set aside in an unnamed
// file in the output's folder instead of in memory. Memory taken afresh costs a page fault
// per page, which in a virtual machine costs more than writing the page to a file and
// reading it back; the set-aside bytes are then copied to the output by the kernel, as
// bytes of an input are. The scratch file has no name, so nothing is left behind however
// the process ends.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "sys/input_file.h"

// An empty scratch file in the folder of the file that the output `beside` writes (a
// symbolic link followed to its end), on the file system the output fills, open for reading
// and writing; nothing for an output written in place (a device, a descriptor), or where
// the folder or its file system cannot have one. Nothing is reported: the caller keeps its
// bytes in memory instead. Problems met reading it back go to `sink`. Its owner closes it
// with close_input, which gives its room back.
std::optional<input_file> open_scratch_file(const std::string& beside, io_sink sink);

// Appends `bytes` to the scratch file and returns where they now are; nothing when the
// write failed (nothing reported), the bytes then to be kept where they were.
std::optional<file_extent> set_aside(input_file& scratch, std::span<const uint8_t> bytes);
