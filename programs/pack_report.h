// What facepack --verbose says once the collection is written: every distinct table the
// collection stores, with the faces that use it, and the bytes that sharing saved.
#pragma once

#include <string>

#include "ttc/ttc_model.h"

// One line per pool entry, in pool order: "TAG LENGTH FACES" (FACES the face numbers from
// 0, joined by commas), then "inputs N bytes, stored M bytes, saved P%": N sums the
// tables of every face, M those stored once, P = 100 (N - M) / N with one decimal.
std::string pool_report(const ttc_info& info);
