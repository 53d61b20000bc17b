// font_report BEFORE AFTER: shows, face by face, what the repairs changed between two fonts
// or collections: the Macintosh names, the Macintosh Roman cmap subtable, isFixedPitch, the
// head flags, and which tables kept their bytes. The demo runs it on the sample collection
// and on the collection packed from its mended faces.
#include <algorithm>
#include <cstdio>
#include <string>

#include "demo/face_facts.h"
#include "demo/font_faces.h"
#include "sfnt/sfnt_directory.h"

namespace {

std::string hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*x", digits, value);
  return text;
}

template <typename T, typename F>
std::string show(const std::optional<T>& value, F format) {
  return value ? format(*value) : std::string("(none)");
}

std::string show_name(const std::optional<std::vector<uint8_t>>& name) {
  return show(name, describe_name);
}

std::string show_cmap(const std::optional<mac_roman_cmap>& cmap) {
  return show(cmap, [](const mac_roman_cmap& c) {
    std::string text = "format " + std::to_string(c.format);
    if (c.first_code && c.entry_count && *c.entry_count > 0) {
      text += ", " + std::to_string(*c.entry_count) + " codes (" + hex(*c.first_code, 2) + "-" +
              hex(*c.first_code + *c.entry_count - 1u, 2) + ")";
    }
    return text;
  });
}

void print_change(const char* what, const std::string& before, const std::string& after) {
  if (before == after)
    std::printf("  %s: %s (unchanged)\n", what, before.c_str());
  else if (before.size() + after.size() < 40)
    std::printf("  %s: %s -> %s\n", what, before.c_str(), after.c_str());
  else
    std::printf("  %s:\n        %s\n     -> %s\n", what, before.c_str(), after.c_str());
}

void print_tables(const sfnt_face_info& before, const sfnt_face_info& after) {
  std::string changed, kept;
  for (const sfnt_table& table : after.tables) {
    const std::string tag = tag_text(table.tag);
    const auto old = face_table_bytes(before, tag);
    const std::span<const uint8_t> bytes = sfnt_table_bytes(table);
    const bool same = old && std::equal(old->begin(), old->end(), bytes.begin(), bytes.end());
    (same ? kept : changed) += " " + tag;
  }
  std::printf("  tables changed:%s\n", changed.empty() ? " (none)" : changed.c_str());
  std::printf("  tables kept byte for byte:%s\n", kept.empty() ? " (none)" : kept.c_str());
}

void print_face(size_t index, const sfnt_face_info& before, const sfnt_face_info& after) {
  const face_facts old_facts = read_face_facts(before);
  const face_facts facts = read_face_facts(after);
  std::printf("Face %zu, \"%s\":\n", index, facts.windows_family.value_or("?").c_str());
  print_change("name  Macintosh family name (1/0/0/1)", show_name(old_facts.mac_family),
               show_name(facts.mac_family));
  print_change("name  Macintosh full name (1/0/0/4)", show_name(old_facts.mac_full),
               show_name(facts.mac_full));
  print_change("cmap  Macintosh Roman subtable (1/0)", show_cmap(old_facts.cmap),
               show_cmap(facts.cmap));
  const auto decimal = [](uint32_t v) { return std::to_string(v); };
  const auto flags = [](uint16_t v) { return hex(v, 4); };
  const auto word = [](uint32_t v) { return hex(v, 8); };
  print_change("post  isFixedPitch", show(old_facts.is_fixed_pitch, decimal),
               show(facts.is_fixed_pitch, decimal));
  print_change("head  flags", show(old_facts.head_flags, flags), show(facts.head_flags, flags));
  print_change("head  checkSumAdjustment", show(old_facts.checksum_adjustment, word),
               show(facts.checksum_adjustment, word));
  print_tables(before, after);
}

void print_file(const char* path, const font_faces& file) {
  if (file.collection)
    std::printf("%s: a collection of %zu faces storing %zu distinct tables\n", path,
                file.faces.size(), file.stored_tables);
  else
    std::printf("%s: a single font of %zu tables\n", path, file.stored_tables);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: font_report BEFORE AFTER\n", stderr);
    return 1;
  }
  const std::optional<font_faces> before = read_font_faces(argv[1]);
  const std::optional<font_faces> after = read_font_faces(argv[2]);
  if (!before || !after) return 1;
  print_file(argv[1], *before);
  print_file(argv[2], *after);
  const size_t faces = std::min(before->faces.size(), after->faces.size());
  for (size_t i = 0; i < faces; ++i) print_face(i, before->faces[i], after->faces[i]);
  if (before->faces.size() != after->faces.size())
    std::printf("Faces %zu and up are in one file only.\n", faces);
  return 0;
}
