// The work budget, the one rule by which every program bounds what an input may cost it: the
// work of a run and the memory it holds grow at most linearly with the bytes of its inputs
// and outputs.
//
// What a font asks for is not bounded by its size: many faces of a collection may name one
// large directory, directories may overlap, many records may name one large extent. So two
// sums are held, for each input of S bytes, to limits, and each is counted from the offset
// tables and directories before the work it stands for is done (any table read, any entry
// of a face kept, any byte of output written):
//
//   - the bytes of the distinct offset tables and directories read: at most S + slack. In a
//     sound file they are disjoint parts of it;
//   - the bytes that the input's faces take as fonts of their own (each face's offset
//     table, directory and tables, padded, a table counted once for every record that names
//     it, a face once for every time the collection lists it): at most factor * S + slack.
//
// Past either limit the input is refused. Every other cost of a run (summing, comparing,
// hashing and copying tables, the entries of the faces) is a fixed multiple of those sums.
// No real font comes near the limits: faces of a collection share tables, but not by the
// dozens (the Noto CJK collection, 19.5 MB in 10 faces, takes 164 MB as single fonts, 8.4
// times its size), and a single font takes about its own size.
#pragma once

#include <cstdint>

struct work_budget {
  uint64_t factor = 32;
  uint64_t slack = uint64_t{16} << 20;
};

// The most bytes the distinct directories of an input of `input_size` bytes may take.
inline uint64_t directory_limit(const work_budget& budget, uint64_t input_size) {
  return input_size + budget.slack;
}

// The most bytes the faces of an input of `input_size` bytes may take as fonts of their own.
inline uint64_t face_limit(const work_budget& budget, uint64_t input_size) {
  return budget.factor * input_size + budget.slack;
}

// A sum of bytes held to a limit.
struct budget_sum {
  uint64_t spent = 0;
  uint64_t limit = 0;
};

// Adds `bytes` to the sum; false, and nothing added, when the sum would pass its limit.
inline bool spend(budget_sum& sum, uint64_t bytes) {
  if (bytes > sum.limit - sum.spent) return false;
  sum.spent += bytes;
  return true;
}
