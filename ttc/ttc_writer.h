// Writing the collection model: the whole collection as one TrueType Collection file, or one
// face as a single-face font file. Both lay the tables out afresh, write the checksums the
// pool's entries hold, and write table bytes, sfnt versions and search fields as the model
// holds them. A failed write, a table that could not be read again or changed since it was
// read, or a lack of memory, is noted on the stream and answered with -1; a layout too large
// for 32-bit offsets is answered with -1 before anything is written, and `too_large` set
// for the caller to report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "sfnt/table_bytes.h"
#include "ttc/ttc_model.h"

// The size of the TTC file that ttc_write_to_file writes for `info`.
uint64_t ttc_collection_size(const ttc_info& info);

// Writes the TTC file at the stream's position: header, offset array, each face's offset
// table and directory, then every pool entry once in pool order, extents copied `how`.
// Returns the number of bytes written, or -1.
int64_t ttc_write_to_file(const ttc_info& info, output_stream& stream, extent_copy how,
                          bool* too_large = nullptr);

// Writes face `face` as a single-face font: offset table, directory, then its tables in
// directory order (a table listed twice is written twice), extents copied `how`. Returns
// the number of bytes written, or -1.
int64_t ttc_write_face_to_file(const ttc_info& info, size_t face, output_stream& stream,
                               extent_copy how, bool* too_large = nullptr);
