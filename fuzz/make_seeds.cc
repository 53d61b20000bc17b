// make_fuzz_seeds OUTDIR [FONT_OR_FOLDER...]: writes a seed corpus for each fuzz target,
// OUTDIR/<target>/<name>: fonts crafted with the test font writer (the forms the programs
// repair, and the broken forms they must refuse or correct), and fonts and tables taken
// from real font files, by default those of the Debian font packages the project is tried
// on (whichever are installed).
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fontgen/sample_font.h"
#include "fontgen/tables.h"
#include "fuzz/seed_fonts.h"

namespace {

namespace fs = std::filesystem;

const char* const kDefaultFonts[] = {
    "/usr/share/fonts/truetype/dejavu",         "/usr/share/fonts/truetype/liberation",
    "/usr/share/fonts/opentype/ipafont-gothic", "/usr/share/fonts/truetype/vlgothic",
    "/usr/share/fonts/truetype/konatu",         "/usr/share/fonts/truetype/wqy",
};

constexpr size_t kFacesPerCollection = 3;

struct named_face {
  std::string name;
  std::vector<font_table> tables;
};

std::vector<font_table> with(std::vector<font_table> tables, const std::string& tag,
                             std::vector<uint8_t> bytes) {
  for (font_table& table : tables)
    if (table.tag == tag) table.bytes = std::move(bytes);
  return tables;
}

std::vector<font_table> without(std::vector<font_table> tables, const std::string& tag) {
  std::erase_if(tables, [&](const font_table& t) { return t.tag == tag; });
  return tables;
}

// A cmap with every subtable format the model knows, and one whose length has two stray
// bytes that the pass gives to the Windows Unicode format 4 subtable.
std::vector<uint8_t> every_format_cmap() {
  return build_cmap_table(
      {{0, 3, 0}, {0, 4, 1}, {0, 5, 2}, {1, 0, 3}, {3, 1, 0}, {3, 10, 1}, {1, 1, 4}, {3, 0, 5}},
      {cmap_format4({{0x41, 2}, {0x3042, 4}}), cmap_format12({{0x41, 2}, {0x1F600, 5}}),
       cmap_format14_default_uvs({{0xFE00, {0x41}}}),
       cmap_format6(0, std::vector<uint16_t>(256, 2)), cmap_format0({{0x41, 2}}),
       cmap_format8({{0x41, 2}})});
}

std::vector<uint8_t> stray_bytes_cmap() {
  std::vector<uint8_t> cmap = build_cmap_table(
      {{1, 0, 0}, {3, 1, 1}}, {cmap_format0({{0x41, 2}}), cmap_format4({{0x41, 2}})});
  cmap.insert(cmap.end(), {0xAB, 0xCD});
  return cmap;
}

std::vector<named_face> crafted_faces() {
  sample_font_options long_loca, unshared, no_substitute = legacy_japanese_options();
  long_loca.index_to_loc_format = 1;
  unshared.share_unicode_subtable = false;
  no_substitute.windows_names = false;
  const std::vector<font_table> plain = sample_font_tables();
  return {
      {"plain", plain},
      {"gothic", sample_font_tables(legacy_japanese_options(legacy_face::gothic))},
      {"mincho", sample_font_tables(legacy_japanese_options(legacy_face::mincho))},
      {"long-loca", sample_font_tables(long_loca)},
      {"unshared", sample_font_tables(unshared)},
      {"no-substitute", sample_font_tables(no_substitute)},
      {"every-format", with(plain, "cmap", every_format_cmap())},
      {"stray-bytes", with(plain, "cmap", stray_bytes_cmap())},
      {"short-post-head", with(with(plain, "post", std::vector<uint8_t>(15, 1)), "head",
                               std::vector<uint8_t>(17, 0xFF))},
      {"no-post-head-cmap", without(without(without(plain, "post"), "head"), "cmap")},
  };
}

void write_seed(const fs::path& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
  if (bytes.size() > kSeedLimit) return;
  fs::create_directories(dir);
  std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// The glyph data of a face with TrueType outlines, as the glyphs target reads it (a flag
// byte for the loca format, numGlyphs, the length of loca, loca, glyf), cut to the glyphs
// that fit the fuzzers' input limit.
void write_glyph_seed(const fs::path& out, const std::string& name,
                      const std::vector<font_table>& tables) {
  const std::vector<uint8_t>* glyf = find_table(tables, "glyf");
  const std::vector<uint8_t>* loca = find_table(tables, "loca");
  const std::vector<uint8_t>* head = find_table(tables, "head");
  if (!glyf || !loca || !head || head->size() < 52) return;
  const bool long_loca = (*head)[51] == 1;
  const size_t entry = long_loca ? 4 : 2;
  auto offset = [&](size_t i) {
    const uint8_t* p = loca->data() + entry * i;
    return long_loca ? size_t{p[0]} << 24 | size_t{p[1]} << 16 | size_t{p[2]} << 8 | p[3]
                     : (size_t{p[0]} << 8 | p[1]) * 2;
  };
  size_t glyphs = 0;
  while (glyphs < 512 && entry * (glyphs + 2) <= loca->size() &&
         offset(glyphs + 1) <= std::min(glyf->size(), kSeedLimit / 2) &&
         offset(glyphs + 1) >= offset(glyphs))
    ++glyphs;
  std::vector<uint8_t> seed;
  put_u8(seed, long_loca ? 1 : 0);
  put_u16(seed, static_cast<uint16_t>(glyphs));
  put_u32(seed, static_cast<uint32_t>(entry * (glyphs + 1)));
  seed.insert(seed.end(), loca->begin(),
              loca->begin() + static_cast<ptrdiff_t>(entry * (glyphs + 1)));
  seed.insert(seed.end(), glyf->begin(), glyf->begin() + static_cast<ptrdiff_t>(offset(glyphs)));
  write_seed(out / "glyphs", name + ".glyphs", seed);
}

// A face goes to the targets that take whole fonts, and its name and cmap tables to the
// models target.
void write_face_seeds(const fs::path& out, const named_face& face) {
  const std::vector<uint8_t> font = build_sfnt(face.tables);
  write_seed(out / "mend", face.name + ".ttf", font);
  write_seed(out / "pack", face.name + ".ttf", font);
  write_glyph_seed(out, face.name, face.tables);
  for (const char* tag : {"name", "cmap"}) {
    if (const std::vector<uint8_t>* table = find_table(face.tables, tag))
      write_seed(out / "models", face.name + "." + tag, *table);
  }
}

void write_collection_seeds(const fs::path& out, const std::string& name,
                            const std::vector<named_face>& faces) {
  for (size_t first = 0; first < faces.size(); first += kFacesPerCollection) {
    std::vector<std::vector<font_table>> group;
    for (size_t i = first; i < faces.size() && i < first + kFacesPerCollection; ++i)
      group.push_back(faces[i].tables);
    write_seed(out / "collection", name + "-" + std::to_string(first) + ".ttc", build_ttc(group));
  }
}

std::vector<uint8_t> read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The reduced faces of every font file at `path` (a file, or a folder of them), whose glyph
// data goes to the glyphs target's seeds in `out` on the way.
std::vector<named_face> real_faces(const fs::path& out, const fs::path& path) {
  std::vector<fs::path> files;
  if (fs::is_directory(path)) {
    for (const auto& entry : fs::directory_iterator(path)) files.push_back(entry.path());
  } else if (fs::exists(path)) {
    files.push_back(path);
  }
  std::sort(files.begin(), files.end());
  std::vector<named_face> faces;
  for (const fs::path& file : files) {
    const std::vector<std::vector<font_table>> found = faces_of_file(read_file(file));
    for (size_t i = 0; i < found.size(); ++i) {
      const std::string name = file.stem().string() + "-" + std::to_string(i);
      write_glyph_seed(out, name, found[i]);
      faces.push_back({name, reduced_face(found[i])});
    }
  }
  return faces;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: make_fuzz_seeds OUTDIR [FONT_OR_FOLDER...]\n", stderr);
    return 1;
  }
  const fs::path out = argv[1];
  const std::vector<named_face> crafted = crafted_faces();
  for (const named_face& face : crafted) write_face_seeds(out, face);
  write_seed(out / "collection", "legacy.ttc", legacy_sample_collection());
  write_seed(out / "mend", "legacy.ttc", legacy_sample_collection());
  write_collection_seeds(out, "crafted", crafted);

  std::vector<std::string> sources(argv + 2, argv + argc);
  if (sources.empty()) sources.assign(std::begin(kDefaultFonts), std::end(kDefaultFonts));
  for (const std::string& source : sources) {
    const std::vector<named_face> faces = real_faces(out, source);
    for (const named_face& face : faces) write_face_seeds(out, face);
    write_collection_seeds(out, fs::path(source).filename().string(), faces);
  }
  return 0;
}
