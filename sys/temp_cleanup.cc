#include "sys/temp_cleanup.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iterator>

#include "sys/temp_file.h"

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

struct temp_slot {
  volatile sig_atomic_t used;
  int dirfd;
  char name[kTempNameSize];
};

// The one piece of global state: a signal handler is handed nothing but the signal, so the
// names it must remove have to be where it can find them. Fixed slots and a fixed buffer
// per name, written only while the signals are blocked, keep the handler to reads and
// unlinkat, which is safe in a handler. A program has one output open at a time; the
// spare slots are for callers that keep a few.
temp_slot g_temp_slots[4];

void remove_temps_and_die(int signal_number) {
  for (temp_slot& slot : g_temp_slots)
    if (slot.used != 0) ::unlinkat(slot.dirfd, slot.name, 0);
  // SA_RESETHAND has restored the default action; the signal stays blocked until the
  // handler returns and then ends the process as it would have without the handler.
  ::raise(signal_number);
}

sigset_t cleanup_signal_set() {
  sigset_t set;
  ::sigemptyset(&set);
  for (int signal_number : kSignals) ::sigaddset(&set, signal_number);
  return set;
}

}  // namespace

void install_cleanup_handlers() {
  struct sigaction action {};
  action.sa_handler = remove_temps_and_die;
  action.sa_mask = cleanup_signal_set();
  action.sa_flags = SA_RESETHAND;
  for (int signal_number : kSignals) {
    struct sigaction current {};
    if (::sigaction(signal_number, nullptr, &current) != 0) continue;
    if (current.sa_handler != SIG_DFL || (current.sa_flags & SA_SIGINFO) != 0) continue;
    ::sigaction(signal_number, &action, nullptr);
  }
}

sigset_t block_cleanup_signals() {
  const sigset_t set = cleanup_signal_set();
  sigset_t old;
  ::sigprocmask(SIG_BLOCK, &set, &old);
  return old;
}

void restore_signal_mask(const sigset_t& old) {
  const int saved = errno;
  ::sigprocmask(SIG_SETMASK, &old, nullptr);
  errno = saved;
}

int register_temp_name(int dirfd, const char* name) {
  for (int i = 0; i < static_cast<int>(std::size(g_temp_slots)); ++i) {
    temp_slot& slot = g_temp_slots[i];
    if (slot.used != 0) continue;
    slot.dirfd = dirfd;
    std::strncpy(slot.name, name, sizeof slot.name - 1);
    slot.name[sizeof slot.name - 1] = '\0';
    slot.used = 1;
    return i;
  }
  return -1;
}

void unregister_temp_name(int slot) {
  if (slot >= 0) g_temp_slots[slot].used = 0;
}
