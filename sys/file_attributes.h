// Extended attributes carried from a replaced file to the new file that takes its place, as
// mv and cp -a keep them: user attributes, the access ACL (system.posix_acl_access) and any
// other the file system lists and lets the process set. Where the system has no extended
// attributes there is nothing to carry.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct attribute_loss {
  std::string name;  // the attribute that the new file does not have
  int error = 0;     // why it could not be read or set
};

struct attribute_copy {
  std::vector<attribute_loss> lost;
  // The mode the new file is to get. A file with an access ACL shows the ACL's mask as its
  // group bits, and the mask also covers the named users and groups: when the ACL is lost,
  // the group bits keep only what the ACL gave the owning group, never the mask.
  mode_t mode = 0;
};

// Copies every extended attribute of the file at `from` (a link there is not followed) to
// the open file `to`, which is to get `mode`. An attribute that `to` already has with the
// same value (a security label the system gave it) counts as copied.
attribute_copy copy_attributes(const std::string& from, int to, mode_t mode);
