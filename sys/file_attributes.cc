#include "sys/file_attributes.h"

#include "sys/platform_config.h"

#if FACETOOLS_HAVE_XATTR
#include <sys/xattr.h>
#endif

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>

namespace {

#if FACETOOLS_HAVE_XATTR

constexpr char kAccessAcl[] = "system.posix_acl_access";

// Reads a list or value of unknown size: `get` answers the size with no buffer, then fills
// one of that size; an attribute that grew in between (ERANGE) is asked again.
template <typename Get>
std::optional<std::vector<char>> read_sized(Get get, int& error) {
  for (;;) {
    const ssize_t size = get(nullptr, 0);
    if (size < 0) break;
    std::vector<char> bytes(static_cast<size_t>(size));
    const ssize_t got = get(bytes.data(), bytes.size());
    if (got >= 0) {
      bytes.resize(static_cast<size_t>(got));
      return bytes;
    }
    if (errno != ERANGE) break;
  }
  error = errno;
  return std::nullopt;
}

// Whether the open file `fd` already has the attribute with this value.
bool has_value(int fd, const char* name, const std::vector<char>& value) {
  int error = 0;
  const std::optional<std::vector<char>> now = read_sized(
      [&](char* buffer, size_t size) { return ::fgetxattr(fd, name, buffer, size); }, error);
  return now && *now == value;
}

// The owning group's permissions (rwx) in an access ACL as the kernel stores it: a 4-byte
// version, then entries of a 2-byte tag, 2-byte permissions and 4-byte id, little-endian.
// 0 when the value holds no such entry.
mode_t owning_group_bits(const std::vector<char>& acl) {
  constexpr size_t kHeader = 4;
  constexpr size_t kEntry = 8;
  constexpr unsigned kGroupObj = 0x04;
  for (size_t at = kHeader; acl.size() >= kEntry && at <= acl.size() - kEntry; at += kEntry) {
    const auto byte = [&](size_t i) { return static_cast<unsigned>(static_cast<uint8_t>(acl[i])); };
    if ((byte(at) | byte(at + 1) << 8) == kGroupObj) return static_cast<mode_t>(byte(at + 2) & 07);
  }
  return 0;
}

// Copies one attribute; what was lost goes to `copy`.
void copy_one(const std::string& from, int to, const char* name, attribute_copy& copy) {
  int error = 0;
  const std::optional<std::vector<char>> value = read_sized(
      [&](char* buffer, size_t size) { return ::lgetxattr(from.c_str(), name, buffer, size); },
      error);
  if (!value && error == ENODATA) return;  // removed since it was listed
  if (value && ::fsetxattr(to, name, value->data(), value->size(), 0) == 0) return;
  if (value) error = errno;
  if (value && has_value(to, name, *value)) return;
  copy.lost.push_back({name, error});
  if (std::strcmp(name, kAccessAcl) == 0)
    copy.mode &= ~mode_t{070} | (value ? owning_group_bits(*value) << 3 : 0);
}

void copy_all(const std::string& from, int to, attribute_copy& copy) {
  int error = 0;
  const std::optional<std::vector<char>> names = read_sized(
      [&](char* buffer, size_t size) { return ::llistxattr(from.c_str(), buffer, size); }, error);
  // A file system without extended attributes lists none, and neither does a file gone.
  if (!names) return;
  for (size_t at = 0; at < names->size();) {
    const char* name = names->data() + at;
    const size_t length = ::strnlen(name, names->size() - at);
    if (length > 0 && at + length < names->size()) copy_one(from, to, name, copy);
    at += length + 1;
  }
}

#else

void copy_all(const std::string&, int, attribute_copy&) {}

#endif

}  // namespace

attribute_copy copy_attributes(const std::string& from, int to, mode_t mode) {
  attribute_copy copy;
  copy.mode = mode;
  try {
    copy_all(from, to, copy);
  } catch (const std::bad_alloc&) {
    // The file is complete and about to take its name: a lack of memory for an
    // attribute's value loses the attributes not yet copied, not the output. Whether the
    // ACL was among them is not known, so the owning group loses its bits.
    copy.lost.push_back({"(all)", ENOMEM});
    copy.mode &= ~mode_t{070};
  }
  return copy;
}
