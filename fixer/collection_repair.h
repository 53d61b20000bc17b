// Repairing every face of a collection in one run: each face is repaired as facemend
// repairs a single font, and the repaired faces are joined again as facepack joins fonts,
// so the result is byte for byte what splitting, mending each face and packing the faces
// in order would give, without writing the faces anywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "fixer/face_repair.h"
#include "sfnt/table_bytes.h"
#include "sys/input_file.h"
#include "ttc/ttc_model.h"
#include "ttc/ttc_problem.h"

// The repaired collection, or the status the run must end with.
struct collection_repair {
  int status = 0;
  ttc_info repaired;                      // complete when status is 0
  std::optional<ttc_problem> unreadable;  // why the collection could not be read (status 1)
};

// Repairs the collection `name` whose bytes are `file` (an extent of an open file, or bytes
// in memory), which must stay open or alive while the result is used: the repaired
// collection's unchanged tables are parts of it. Reports each face's beginning, then its
// repair, to `sink`; a face that fails ends the repair with its status, and the faces after
// it are not repaired. A collection that cannot be read gives status 1 and the problem, for
// the caller to report. Adds the tables each repair changed to `changed`. With a `scratch`
// file, the changed tables are set aside there rather than kept in memory; it must then
// stay open while the result is used.
collection_repair repair_collection(const std::string& name, const table_bytes& file,
                                    mended_tables& changed, mend_sink& sink,
                                    input_file* scratch = nullptr);

// Reads the tables that the repair set aside in `scratch` back into memory, so that the
// scratch file can be closed and the room it takes on its file system given back; false
// after a failed read or a lack of memory has been handed to the scratch file's sink (the
// tables not yet read back are still in the scratch file, which must then stay open).
bool take_back_set_aside(ttc_info& repaired, const input_file& scratch);
