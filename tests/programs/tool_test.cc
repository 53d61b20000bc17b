#include "tool_test.h"

#include <csignal>

file_size_limit::file_size_limit(rlim_t bytes) {
  std::signal(SIGXFSZ, SIG_IGN);
  ::getrlimit(RLIMIT_FSIZE, &old);
  const rlimit limit{bytes, old.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

file_size_limit::~file_size_limit() {
  ::setrlimit(RLIMIT_FSIZE, &old);
}

open_file_limit::open_file_limit(rlim_t files) {
  ::getrlimit(RLIMIT_NOFILE, &old);
  const rlimit limit{files, old.rlim_max};
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

open_file_limit::~open_file_limit() {
  ::setrlimit(RLIMIT_NOFILE, &old);
}
