#include "ttc/glyph_merge.h"

#include <algorithm>
#include <deque>
#include <functional>
#include <string_view>

#include "sfnt/byte_fields.h"

namespace {

// A piece of the shared table: one parsed record, or a span kept whole glued to the records
// of its face that follow it up to and including the next parsed one (so that nothing can
// come between a kept span and its face's next record). Written as `bytes`, then zeros up
// to `size`.
struct glyph_item {
  std::span<const uint8_t> bytes;
  uint64_t size = 0;
  bool shareable = false;
};

// Where a glyph starts: the position of its item in its face's item list, and the offset
// within the item.
struct glyph_place {
  size_t position = 0;
  uint64_t inner = 0;
};

struct face_items {
  std::vector<size_t> items;                       // item ids, in glyph order
  std::vector<std::optional<glyph_place>> places;  // per glyph; none for an empty glyph
  uint64_t last_item_end = 0;  // where the face's last glyph ends within its last item
};

struct item_store {
  std::vector<glyph_item> items;
  std::deque<std::vector<uint8_t>> glued;  // the bytes of glued items, which own them
};

uint64_t pad4(uint64_t n) {
  return (n + 3) & ~uint64_t{3};
}

// Closes a glued item: pads it to 4 and gives the face its end.
void close_glued(item_store& store, face_items& face) {
  std::vector<uint8_t>& bytes = store.glued.back();
  face.last_item_end = bytes.size();
  bytes.resize(pad4(bytes.size()), 0);
  store.items[face.items.back()] = {bytes, bytes.size(), false};
}

face_items make_items(const std::vector<glyf_record>& records, item_store& store) {
  face_items face;
  face.places.resize(records.size());
  bool gluing = false;
  for (size_t glyph = 0; glyph < records.size(); ++glyph) {
    const glyf_record& record = records[glyph];
    if (record.parsed && record.bytes.empty()) continue;
    if (gluing) {
      std::vector<uint8_t>& bytes = store.glued.back();
      face.places[glyph] = glyph_place{face.items.size() - 1, bytes.size()};
      bytes.insert(bytes.end(), record.bytes.begin(), record.bytes.end());
      if (record.parsed) {
        bytes.resize(face.places[glyph]->inner + glyf_record_size(record), 0);
        close_glued(store, face);
        gluing = false;
      }
      continue;
    }
    face.places[glyph] = glyph_place{face.items.size(), 0};
    face.items.push_back(store.items.size());
    if (record.parsed) {
      store.items.push_back({record.bytes, glyf_record_size(record), true});
      face.last_item_end = glyf_record_size(record);
    } else {
      store.glued.emplace_back(record.bytes.begin(), record.bytes.end());
      store.items.push_back({});
      gluing = true;
    }
  }
  if (gluing) close_glued(store, face);
  return face;
}

bool same_item(const glyph_item& a, const glyph_item& b) {
  return a.shareable && b.shareable && a.size == b.size &&
         std::equal(a.bytes.begin(), a.bytes.end(), b.bytes.begin(), b.bytes.end());
}

size_t item_hash(const glyph_item& item) {
  return std::hash<std::string_view>{}(
      std::string_view(reinterpret_cast<const char*>(item.bytes.data()), item.bytes.size()));
}

// Prefix maxima over positions, each with the chain node that reached it.
struct best_prefix {
  std::vector<std::pair<uint64_t, int64_t>> tree;
  explicit best_prefix(size_t n) : tree(n + 1, {0, -1}) {}
  // The best over positions below `end`.
  std::pair<uint64_t, int64_t> below(size_t end) const {
    std::pair<uint64_t, int64_t> best{0, -1};
    for (size_t i = end; i > 0; i -= i & (~i + 1)) best = std::max(best, tree[i]);
    return best;
  }
  void raise(size_t position, std::pair<uint64_t, int64_t> value) {
    for (size_t i = position + 1; i < tree.size(); i += i & (~i + 1))
      tree[i] = std::max(tree[i], value);
  }
};

// A record repeated more often than this within the layout (a family's many identical
// placeholder glyphs) is matched only against its first copies: the work stays linear.
constexpr size_t kMostCandidates = 16;

// The pairs (position in `face`, position in `order`) of a common subsequence of equal
// items with the most bytes, in ascending order.
std::vector<std::pair<size_t, size_t>> heaviest_common(const std::vector<glyph_item>& items,
                                                       const std::vector<size_t>& order,
                                                       const std::vector<size_t>& face) {
  // Each shareable item of the layout by its hash, sorted: looked up by equal_range.
  std::vector<std::pair<size_t, size_t>> where;
  for (size_t j = 0; j < order.size(); ++j)
    if (items[order[j]].shareable) where.push_back({item_hash(items[order[j]]), j});
  std::sort(where.begin(), where.end());
  struct node {
    size_t i, j;
    int64_t previous;
  };
  std::vector<node> nodes;
  best_prefix best(order.size());
  std::vector<size_t> candidates;
  std::vector<std::pair<size_t, std::pair<uint64_t, int64_t>>> raises;
  for (size_t i = 0; i < face.size(); ++i) {
    const glyph_item& item = items[face[i]];
    if (!item.shareable) continue;
    const size_t hash = item_hash(item);
    auto found = std::lower_bound(where.begin(), where.end(), std::pair<size_t, size_t>{hash, 0});
    candidates.clear();
    for (; found != where.end() && found->first == hash; ++found) {
      if (same_item(item, items[order[found->second]])) candidates.push_back(found->second);
      if (candidates.size() == kMostCandidates) break;
    }
    raises.clear();
    for (const size_t j : candidates) {
      const auto [value, previous] = best.below(j);
      nodes.push_back({i, j, previous});
      raises.push_back({j, {value + item.size, static_cast<int64_t>(nodes.size() - 1)}});
    }
    for (const auto& [j, value] : raises) best.raise(j, value);
  }
  std::vector<std::pair<size_t, size_t>> pairs;
  for (int64_t n = best.below(order.size()).second; n >= 0; n = nodes[n].previous)
    pairs.push_back({nodes[n].i, nodes[n].j});
  std::reverse(pairs.begin(), pairs.end());
  return pairs;
}

uint64_t total_size(const std::vector<glyph_item>& items, const std::vector<size_t>& ids) {
  uint64_t total = 0;
  for (const size_t id : ids) total += items[id].size;
  return total;
}

// Appends `a` and `b` to `out` interleaved so that each has gone out in the same proportion
// of its bytes at every point: a span that one of them opens takes the other's bytes only
// in proportion to its own record's size.
void interleave(const std::vector<glyph_item>& items, const std::vector<size_t>& a,
                const std::vector<size_t>& b, std::vector<size_t>& out) {
  const uint64_t total_a = total_size(items, a), total_b = total_size(items, b);
  uint64_t done_a = 0, done_b = 0;
  size_t i = 0, j = 0;
  while (i < a.size() || j < b.size()) {
    const bool take_a =
        j == b.size() || (i < a.size() && (done_a + items[a[i]].size) * total_b <=
                                              (done_b + items[b[j]].size) * total_a);
    if (take_a) {
      done_a += items[a[i]].size;
      out.push_back(a[i++]);
    } else {
      done_b += items[b[j]].size;
      out.push_back(b[j++]);
    }
  }
}

// Merges `face` into `order`; the face's shared items take the ids of the ones they match.
void merge_face(const std::vector<glyph_item>& items, std::vector<size_t>& order,
                std::vector<size_t>& face) {
  const std::vector<std::pair<size_t, size_t>> pairs = heaviest_common(items, order, face);
  std::vector<size_t> merged, run_a, run_b;
  merged.reserve(order.size() + face.size());
  size_t i = 0, j = 0;
  auto flush = [&](size_t to_i, size_t to_j) {
    run_a.assign(order.begin() + static_cast<ptrdiff_t>(j),
                 order.begin() + static_cast<ptrdiff_t>(to_j));
    run_b.assign(face.begin() + static_cast<ptrdiff_t>(i),
                 face.begin() + static_cast<ptrdiff_t>(to_i));
    interleave(items, run_a, run_b, merged);
  };
  for (const auto& [pi, pj] : pairs) {
    flush(pi, pj);
    merged.push_back(order[pj]);
    face[pi] = order[pj];
    i = pi + 1;
    j = pj + 1;
  }
  flush(face.size(), order.size());
  order.swap(merged);
}

void put_offset(std::vector<uint8_t>& loca, bool long_loca, size_t glyph, uint64_t offset) {
  if (long_loca)
    write_uint32(loca.data() + 4 * glyph, static_cast<uint32_t>(offset));
  else
    write_uint16(loca.data() + 2 * glyph, static_cast<uint16_t>(offset / 2));
}

// The face's window and loca, for items placed at `item_at`.
glyph_window face_window(const std::vector<glyph_item>& items, const face_items& face,
                         const std::vector<uint64_t>& item_at) {
  glyph_window window;
  const size_t glyphs = face.places.size();
  if (face.items.empty()) {
    window.loca.assign(2 * (glyphs + 1), 0);
    return window;
  }
  window.offset = item_at[face.items.front()];
  const uint64_t last = face.items.back();
  window.length = item_at[last] + (items[last].shareable ? items[last].size : face.last_item_end) -
                  window.offset;
  std::vector<uint64_t> offsets(glyphs + 1, window.length);
  for (size_t glyph = glyphs; glyph-- > 0;) {
    const std::optional<glyph_place>& place = face.places[glyph];
    offsets[glyph] = place ? item_at[face.items[place->position]] + place->inner - window.offset
                           : offsets[glyph + 1];
  }
  const bool all_even =
      std::all_of(offsets.begin(), offsets.end(), [](uint64_t o) { return o % 2 == 0; });
  window.long_loca = !all_even || window.length > 2 * uint64_t{UINT16_MAX};
  window.loca.assign((window.long_loca ? 4 : 2) * (glyphs + 1), 0);
  for (size_t glyph = 0; glyph <= glyphs; ++glyph)
    put_offset(window.loca, window.long_loca, glyph, offsets[glyph]);
  return window;
}

}  // namespace

glyph_layout lay_out_shared_glyphs(const std::vector<std::vector<glyf_record>>& faces) {
  item_store store;
  std::vector<face_items> placed;
  placed.reserve(faces.size());
  for (const auto& records : faces) placed.push_back(make_items(records, store));
  std::vector<size_t> order;
  for (face_items& face : placed) merge_face(store.items, order, face.items);

  glyph_layout layout;
  std::vector<uint64_t> item_at(store.items.size(), 0);
  uint64_t end = 0;
  for (const size_t id : order) {
    item_at[id] = end;
    end += store.items[id].size;
  }
  layout.glyf.reserve(end);
  for (const size_t id : order) {
    const glyph_item& item = store.items[id];
    layout.glyf.insert(layout.glyf.end(), item.bytes.begin(), item.bytes.end());
    layout.glyf.resize(layout.glyf.size() + (item.size - item.bytes.size()), 0);
  }
  for (const face_items& face : placed)
    layout.faces.push_back(face_window(store.items, face, item_at));
  return layout;
}
