#include <algorithm>

#include "fontgen/font_builder.h"
#include "fontgen/tables.h"

namespace {

// A run of consecutive codes mapped to consecutive glyphs.
struct code_run {
  uint32_t first_code = 0;
  uint32_t last_code = 0;
  uint32_t first_glyph = 0;
};

template <typename Map>
std::vector<code_run> runs_of(const Map& glyphs) {
  std::vector<code_run> runs;
  for (const auto& [code, glyph] : glyphs) {
    if (!runs.empty()) {
      code_run& last = runs.back();
      if (code == last.last_code + 1 && glyph == last.first_glyph + (code - last.first_code)) {
        last.last_code = code;
        continue;
      }
    }
    runs.push_back({code, code, glyph});
  }
  return runs;
}

void put_groups(std::vector<uint8_t>& out, const std::vector<code_run>& runs) {
  put_u32(out, static_cast<uint32_t>(runs.size()));
  for (const code_run& r : runs) {
    put_u32(out, r.first_code);
    put_u32(out, r.last_code);
    put_u32(out, r.first_glyph);
  }
}

void patch_u16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
  out[at] = static_cast<uint8_t>(v >> 8);
  out[at + 1] = static_cast<uint8_t>(v);
}

void patch_u32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  patch_u16(out, at, static_cast<uint16_t>(v >> 16));
  patch_u16(out, at + 2, static_cast<uint16_t>(v));
}

}  // namespace

std::vector<uint8_t> build_cmap_table(const std::vector<cmap_record_spec>& records,
                                      const std::vector<std::vector<uint8_t>>& subtables) {
  std::vector<uint32_t> offsets;
  uint32_t at = static_cast<uint32_t>(4 + 8 * records.size());
  for (const std::vector<uint8_t>& s : subtables) {
    offsets.push_back(at);
    at += static_cast<uint32_t>(s.size());
  }
  std::vector<uint8_t> out;
  put_u16(out, 0);
  put_u16(out, static_cast<uint16_t>(records.size()));
  for (const cmap_record_spec& r : records) {
    put_u16(out, r.platform_id);
    put_u16(out, r.encoding_id);
    put_u32(out, offsets.at(r.subtable));
  }
  for (const std::vector<uint8_t>& s : subtables) put_bytes(out, s);
  return out;
}

std::vector<uint8_t> cmap_format0(const std::map<uint8_t, uint16_t>& glyphs) {
  std::vector<uint8_t> out;
  put_u16(out, 0);
  put_u16(out, 262);
  put_u16(out, 0);
  for (int code = 0; code < 256; ++code) {
    const auto it = glyphs.find(static_cast<uint8_t>(code));
    put_u8(out, it == glyphs.end() ? 0 : static_cast<uint8_t>(it->second));
  }
  return out;
}

std::vector<uint8_t> cmap_format4(const std::map<uint16_t, uint16_t>& glyphs) {
  std::vector<code_run> runs = runs_of(glyphs);
  if (runs.empty() || runs.back().last_code != 0xFFFF) runs.push_back({0xFFFF, 0xFFFF, 0});
  const uint16_t seg_count = static_cast<uint16_t>(runs.size());
  const uint16_t power = largest_power_of_two_at_most(seg_count);
  std::vector<uint8_t> out;
  put_u16(out, 4);
  put_u16(out, static_cast<uint16_t>(16 + 8 * seg_count));
  put_u16(out, 0);
  put_u16(out, static_cast<uint16_t>(seg_count * 2));
  put_u16(out, static_cast<uint16_t>(power * 2));
  put_u16(out, log2_of(power));
  put_u16(out, static_cast<uint16_t>(seg_count * 2 - power * 2));
  for (const code_run& r : runs) put_u16(out, static_cast<uint16_t>(r.last_code));
  put_u16(out, 0);  // reservedPad
  for (const code_run& r : runs) put_u16(out, static_cast<uint16_t>(r.first_code));
  // idDelta is taken modulo 65536, so the end segment maps 0xFFFF to glyph 0 with delta 1.
  for (const code_run& r : runs) put_u16(out, static_cast<uint16_t>(r.first_glyph - r.first_code));
  for (size_t i = 0; i < runs.size(); ++i) put_u16(out, 0);
  return out;
}

std::vector<uint8_t> cmap_format6(uint16_t first_code, const std::vector<uint16_t>& glyphs) {
  std::vector<uint8_t> out;
  put_u16(out, 6);
  put_u16(out, static_cast<uint16_t>(10 + 2 * glyphs.size()));
  put_u16(out, 0);
  put_u16(out, first_code);
  put_u16(out, static_cast<uint16_t>(glyphs.size()));
  for (uint16_t g : glyphs) put_u16(out, g);
  return out;
}

std::vector<uint8_t> cmap_format8(const std::map<uint32_t, uint32_t>& glyphs) {
  std::vector<uint8_t> out;
  put_u16(out, 8);
  put_u16(out, 0);
  put_u32(out, 0);  // length, patched below
  put_u32(out, 0);
  out.resize(out.size() + 8192, 0);  // is32: every code is a 16-bit one
  put_groups(out, runs_of(glyphs));
  patch_u32(out, 4, static_cast<uint32_t>(out.size()));
  return out;
}

std::vector<uint8_t> cmap_format12(const std::map<uint32_t, uint32_t>& glyphs) {
  std::vector<uint8_t> out;
  put_u16(out, 12);
  put_u16(out, 0);
  put_u32(out, 0);  // length, patched below
  put_u32(out, 0);
  put_groups(out, runs_of(glyphs));
  patch_u32(out, 4, static_cast<uint32_t>(out.size()));
  return out;
}

std::vector<uint8_t> cmap_format14_default_uvs(
    const std::map<uint32_t, std::vector<uint32_t>>& bases_by_selector) {
  std::vector<uint8_t> out;
  put_u16(out, 14);
  put_u32(out, 0);  // length, patched below
  put_u32(out, static_cast<uint32_t>(bases_by_selector.size()));
  const size_t records_at = out.size();
  out.resize(out.size() + 11 * bases_by_selector.size(), 0);
  size_t record = records_at;
  for (const auto& [selector, bases] : bases_by_selector) {
    std::vector<uint32_t> sorted = bases;
    std::sort(sorted.begin(), sorted.end());
    const uint32_t table_at = static_cast<uint32_t>(out.size());
    put_u32(out, static_cast<uint32_t>(sorted.size()));
    for (uint32_t base : sorted) {
      put_u8(out, static_cast<uint8_t>(base >> 16));
      put_u16(out, static_cast<uint16_t>(base));
      put_u8(out, 0);  // additionalCount
    }
    out[record] = static_cast<uint8_t>(selector >> 16);
    patch_u16(out, record + 1, static_cast<uint16_t>(selector));
    patch_u32(out, record + 3, table_at);
    patch_u32(out, record + 7, 0);  // no non-default UVS table
    record += 11;
  }
  patch_u32(out, 2, static_cast<uint32_t>(out.size()));
  return out;
}
