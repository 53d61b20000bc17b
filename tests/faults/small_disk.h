// Folders where writes run out of room, for testing how the programs fail on a full disk:
// a small tmpfs mounted for the test (which needs root), or, for any user, a cap on the
// size of every file the programs write (RLIMIT_FSIZE), under which a write fails the same
// way with EFBIG instead of ENOSPC.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "support/run_tool.h"

enum class disk_kind { tmpfs, file_size_limit };

struct small_disk {
  disk_kind kind = disk_kind::tmpfs;
  std::filesystem::path dir;  // the folder the programs write to
  size_t room = 0;            // bytes a tmpfs holds, or that any one file may have
  bool mounted = false;
  std::string unavailable;  // why this kind of disk cannot be had here
};

// A fresh small disk. When it cannot be had, `unavailable` says why and `dir` is a plain
// folder (removed by remove_small_disk all the same).
small_disk make_small_disk(disk_kind kind, size_t room);

// Fills what room is left on a tmpfs with the file `name`; on a file size limit it lowers
// the limit to 4 KiB instead, below any font the tests write but above their messages.
void fill_small_disk(small_disk& disk, const std::string& name);

// Unmounts and removes the disk's folder.
void remove_small_disk(small_disk& disk);

// Runs `program` in the disk's folder, under the disk's file size limit when it has one.
tool_run run_on_disk(const small_disk& disk, const std::string& program,
                     const std::vector<std::string>& args);

// The system's text for the error a write into a full disk of this kind gives.
std::string full_disk_error(const small_disk& disk);
