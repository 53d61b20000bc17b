// Writing the collection model: the whole collection as one TrueType Collection file, or
// one face as a single-face font file. Both lay the tables out afresh and write checksums
// computed from the tables' bytes (recomputed by the write itself, except where said below);
// table bytes, sfnt versions and search fields are written as the model holds them. Placed
// entries are copied from their sources with the checksums taken when they were read, and
// a source whose bytes no longer sum to those checksums fails the write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "ttc/ttc_model.h"

// Sets the checksum of every pool entry that holds its bytes from those bytes.
void ttc_calculate_checksums(ttc_info& info);

// Places the pool entries back to back from `start`, in pool order, each padded to a
// multiple of 4, and sets their offsets; returns the end of the last one. An end past
// UINT32_MAX cannot be written (offsets are 32-bit), and the writers refuse it.
uint64_t ttc_calculate_length_and_offsets(ttc_info& info, uint64_t start);

// Writes the TTC file at the stream's position: header, offset array, each face's offset
// table and directory, then every pool entry once in pool order. Returns the number of
// bytes written, or -1 after reporting on standard error a failed write, a layout too large
// for 32-bit offsets, or a placed entry's source that could not be read again or changed
// ("NAME: changed since it was read").
int64_t ttc_write_to_file(ttc_info& info, std::FILE* stream);

// Writes face `face` as a single-face font: offset table, directory, then its tables in
// directory order (a table listed twice is written twice). Same result as above.
int64_t ttc_write_face_to_file(ttc_info& info, size_t face, std::FILE* stream);

// The same with the checksums the pool entries hold, which ttc_calculate_checksums set from
// the bytes as they are now: a program writing every face of a collection sums each table
// once, not once for every face that lists it (ten times for a CJK family's glyph data).
int64_t ttc_write_face_with_checksums(ttc_info& info, size_t face, std::FILE* stream);
