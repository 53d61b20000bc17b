#include "sys/temp_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <iterator>

#include "sys/platform.h"
#include "sys/temp_cleanup.h"

namespace {

// Names are tried until one is free: someone else's file of the same name (left by
// accident or put there to block the output) only costs a retry.
constexpr unsigned kNameAttempts = 100;

// ".ft" and eight letters or digits drawn at random: 62^8 names.
void random_name(char (&name)[kTempNameSize], unsigned attempt) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char bytes[8];
  if (!fill_random(bytes, sizeof bytes)) {
    // No random source yet (early boot, old kernels): the clock, the process and the
    // attempt still make a name unlikely to be taken, and a taken one is retried.
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t mix = static_cast<uint64_t>(now.tv_nsec) * 0x9E3779B97F4A7C15u ^
                   static_cast<uint64_t>(::getpid()) << 20 ^ attempt;
    for (unsigned char& byte : bytes) {
      byte = static_cast<unsigned char>(mix);
      mix = mix >> 8 | mix << 56;
    }
  }
  name[0] = '.';
  name[1] = 'f';
  name[2] = 't';
  for (size_t i = 0; i < sizeof bytes; ++i) name[3 + i] = kDigits[bytes[i] % (sizeof kDigits - 1)];
  name[3 + sizeof bytes] = '\0';
}

std::optional<temp_file> create_unnamed(int dirfd) {
  temp_file temp;
  temp.fd = open_unnamed(dirfd, ".", O_WRONLY);
  if (temp.fd < 0) return std::nullopt;
  return temp;
}

std::optional<temp_file> create_named(int dirfd) {
  temp_file temp;
  for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
    random_name(temp.name, attempt);
    const sigset_t old = block_cleanup_signals();
    temp.fd = ::openat(dirfd, temp.name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (temp.fd >= 0) temp.slot = register_temp_name(dirfd, temp.name);
    restore_signal_mask(old);
    if (temp.fd >= 0) return temp;
    if (errno != EEXIST) return std::nullopt;
  }
  errno = EEXIST;
  return std::nullopt;
}

// Links the unnamed file into its folder under a fresh random name.
bool name_unnamed(int dirfd, temp_file& temp) {
  char name[kTempNameSize];
  for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
    random_name(name, attempt);
    const sigset_t old = block_cleanup_signals();
    const bool linked = link_unnamed(temp.fd, dirfd, name);
    if (linked) {
      std::copy(std::begin(name), std::end(name), temp.name);
      temp.slot = register_temp_name(dirfd, temp.name);
    }
    restore_signal_mask(old);
    if (linked) return true;
    if (errno != EEXIST) return false;
  }
  errno = EEXIST;
  return false;
}

}  // namespace

std::optional<temp_file> create_temp_file(int dirfd, temp_kind kind) {
  install_cleanup_handlers();
  if (kind == temp_kind::unnamed_first) {
    // Any failure falls back to a named file: systems and file systems without unnamed
    // files fail in several ways (EOPNOTSUPP, EISDIR, EINVAL, ...), and a failure they
    // share, such as a folder that is not writable, is then reported by the named create.
    if (std::optional<temp_file> temp = create_unnamed(dirfd)) return temp;
  }
  return create_named(dirfd);
}

bool place_temp_file(int dirfd, temp_file& temp, const char* name) {
  if (temp.name[0] == '\0') {
    if (link_unnamed(temp.fd, dirfd, name)) return true;
    if (errno != EEXIST || !name_unnamed(dirfd, temp)) return false;
  }
  const sigset_t old = block_cleanup_signals();
  const bool renamed = ::renameat(dirfd, temp.name, dirfd, name) == 0;
  if (renamed) {
    unregister_temp_name(temp.slot);
    temp.slot = -1;
    temp.name[0] = '\0';
  }
  restore_signal_mask(old);
  return renamed;
}

void remove_temp_file(int dirfd, temp_file& temp) {
  const int saved = errno;
  const sigset_t old = block_cleanup_signals();
  if (temp.name[0] != '\0') ::unlinkat(dirfd, temp.name, 0);
  unregister_temp_name(temp.slot);
  restore_signal_mask(old);
  temp.slot = -1;
  temp.name[0] = '\0';
  if (temp.fd >= 0) ::close(temp.fd);
  temp.fd = -1;
  errno = saved;
}
