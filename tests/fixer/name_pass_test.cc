// The name pass through facemend: Shift-JIS Macintosh names and their Windows substitutes.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "fontgen/sample_font.h"
#include "fontgen/tables.h"
#include "mend_support.h"
#include "sfnt/byte_fields.h"

namespace {

const std::vector<uint8_t> kShiftJis = {0x83, 0x54, 0x83, 0x93};  // "サン"

name_record_spec mac(uint16_t name_id, std::vector<uint8_t> bytes) {
  return {1, 0, 0, name_id, std::move(bytes)};
}
name_record_spec win(uint16_t name_id, const std::string& text, uint16_t encoding = 1) {
  return {3, encoding, 0x409, name_id, utf16be(text)};
}

std::vector<uint8_t> font_with_names(const std::vector<name_record_spec>& records) {
  return build_sfnt(with_table(sample_font_tables(), "name", build_name_table(records)));
}

// Standard output up to and including the name pass's own lines.
std::string up_to_name_pass(const std::string& family_line, const std::string& findings) {
  return family_line + "Processing `cmap' table...\n  Parsing cmap table.\n" +
         "Processing `name' table...\n" + findings;
}

std::string iconv_line(int error) {
  return std::string("iconv: ") + std::strerror(error) + "\n";
}

TEST(NamePass, ReplacesShiftJisNamesByTheirWindowsSubstitutes) {
  const struct {
    std::vector<name_record_spec> records;
    std::string findings;
    std::vector<name_record_spec> repaired;
  } cases[] = {
      {{mac(1, kShiftJis), mac(4, bytes_of("Full")), win(1, "Sample"), win(4, "Sample Full")},
       std::string(kSuspectFamily) + "  Found substitute: \"Sample\"\n",
       {mac(1, bytes_of("Sample")), mac(4, bytes_of("Full")), win(1, "Sample"),
        win(4, "Sample Full")}},
      {{win(4, "Sample Full"), mac(4, {0xB1}), mac(1, {0x82, 0xA0}), win(1, "Sample")},
       std::string(kSuspectFamily) + "  Found substitute: \"Sample\"\n" + kSuspectFull +
           "  Found substitute: \"Sample Full\"\n",
       {win(4, "Sample Full"), mac(4, bytes_of("Sample Full")), mac(1, bytes_of("Sample")),
        win(1, "Sample")}},
      // ASCII, empty, UTF-16, a broken lead byte and an unused byte: none is Shift-JIS.
      {{mac(1, bytes_of("")), mac(4, utf16be("Full")), win(1, "Sample")}, "", {}},
      {{mac(1, bytes_of("Sample")), mac(4, {0x41, 0x82}), win(1, "Sample")}, "", {}},
      {{mac(1, {0x82, 0x20}), mac(4, {0xFD}), win(1, "Sample")}, "", {}},
  };
  for (const auto& c : cases) {
    const mend_run run = run_facemend(font_with_names(c.records));
    EXPECT_EQ(run.run.status, 0);
    pass_findings findings;
    findings.name = c.findings;
    EXPECT_EQ(run.run.out, mend_stdout("Sample", findings));
    EXPECT_EQ(run.run.err, "");
    EXPECT_EQ(run.output, font_with_names(c.repaired.empty() ? c.records : c.repaired));
  }
}

TEST(NamePass, FailsWithoutAUsableSubstitute) {
  const std::string family = "Font family: Sample\n";
  const struct {
    std::vector<name_record_spec> records;
    std::string out, err;
  } cases[] = {
      {{mac(1, kShiftJis), win(4, "Full")},
       up_to_name_pass("", kSuspectFamily),
       "Warning: Couldn't get font family.\nCan't find substitute.\n"},
      {{mac(1, kShiftJis), win(1, "Sample", 0), mac(4, kShiftJis), win(4, "Full")},
       up_to_name_pass(family, kSuspectFamily),
       "Can't find substitute.\n"},
      {{mac(1, kShiftJis), win(1, "Sample"), mac(4, kShiftJis)},
       up_to_name_pass(
           family, std::string(kSuspectFamily) + "  Found substitute: \"Sample\"\n" + kSuspectFull),
       "  Can't find substitute.\n"},
      {{mac(4, kShiftJis), win(1, "Sample"), {3, 1, 0x409, 4, {0x30, 0x42}}},
       up_to_name_pass(family, kSuspectFull),
       iconv_line(EILSEQ) + "  Failed to convert substitute to ASCII.\n"},
      {{mac(4, kShiftJis), win(1, "Sample"), {3, 1, 0x409, 4, {0x00, 0x41, 0x00}}},
       up_to_name_pass(family, kSuspectFull),
       iconv_line(EINVAL) + "  Failed to convert substitute to ASCII.\n"},
  };
  for (const auto& c : cases) {
    const mend_run run = run_facemend(font_with_names(c.records));
    EXPECT_EQ(run.run.status, 2);
    EXPECT_EQ(run.run.out, c.out + "Conversion failed.\n");
    EXPECT_EQ(run.run.err, c.err);
    EXPECT_FALSE(run.output.has_value());
  }
}

TEST(NamePass, RefusesToRenderStringsPast64KiB) {
  // Two records share one 40000-byte string; the rebuilt table would need it twice.
  std::vector<uint8_t> names = build_name_table({mac(1, kShiftJis),
                                                 win(1, "Sample"),
                                                 {3, 1, 0x409, 5, std::vector<uint8_t>(40000, 0)},
                                                 {3, 1, 0x409, 7, {}}});
  const size_t last_record = 6 + 12 * 3;
  write_uint16(&names[last_record + 8], 40000);
  write_uint16(&names[last_record + 10], static_cast<uint16_t>(kShiftJis.size() + 12));
  const mend_run run = run_facemend(build_sfnt(with_table(sample_font_tables(), "name", names)));
  EXPECT_EQ(run.run.status, 2);
  EXPECT_EQ(run.run.out,
            up_to_name_pass("Font family: Sample\n",
                            std::string(kSuspectFamily) + "  Found substitute: \"Sample\"\n"));
  EXPECT_EQ(run.run.err, "  Name strings too long (80018 bytes) to rebuild the `name' table.\n");
  EXPECT_FALSE(run.output.has_value());
}

}  // namespace
