// Removal of named temporary files when SIGINT, SIGTERM or SIGHUP ends the process. An
// output written under a temporary name must not outlive an interrupted run; the handler
// removes every name registered here and then lets the signal end the process as it
// would have.
#pragma once

#include <signal.h>

// Installs the handler for the three signals, once; a signal that is ignored or already
// handled by someone else is left as it is.
void install_cleanup_handlers();

// Blocks the three signals and returns the mask to restore: creating or renaming a file
// and registering or unregistering its name then happen as one step for the handler.
sigset_t block_cleanup_signals();
void restore_signal_mask(const sigset_t& old);

// Registers `name` in the folder `dirfd` for removal; returns its slot, or -1 when every
// slot is taken (the name is then not removed on a signal). Call with the signals blocked.
int register_temp_name(int dirfd, const char* name);

// Forgets the name of `slot` (nothing for -1). Call with the signals blocked.
void unregister_temp_name(int slot);
