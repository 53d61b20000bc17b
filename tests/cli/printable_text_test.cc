#include "cli/printable_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Every byte outside printable ASCII is escaped, so that a name never starts a new line or
// reaches the terminal as a control sequence; printable text stays as it is.
TEST(PrintableText, EscapesEveryByteOutsidePrintableAscii) {
  const struct {
    std::string bytes, escaped, stood_in;
  } cases[] = {
      {"Sample Gothic ~!", "Sample Gothic ~!", "Sample Gothic ~!"},
      {"a\nDone.\r", "a\\x0aDone.\\x0d", "a?Done.?"},
      {"\x1b]0;x\x07", "\\x1b]0;x\\x07", "?]0;x?"},
      {std::string("\0\x7f\x80\xff", 4), "\\x00\\x7f\\x80\\xff", "????"},
      {"C:\\x41", "C:\\\\x41", "C:\\x41"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(printable_text(c.bytes), c.escaped);
    EXPECT_EQ(printable_text(c.bytes, '?'), c.stood_in);
  }
}

}  // namespace
