// What facesplit --list prints: one line per face, or with --json one JSON document.
#pragma once

#include <string>
#include <vector>

#include "ttc/ttc_model.h"

// Lists the selected faces of the collection `name` on standard output. A line per face:
// index, PostScript name ("-" without one), outlines, number of tables, then the tags of
// the tables it shares with another face. As JSON:
// {"collection": NAME, "faces": [{"index", "postscript_name" (or null), "outlines",
// "tables", "shared": [TAG...]}...]}.
void list_faces(const std::string& name, const ttc_info& info, const std::vector<bool>& selected,
                bool json);
