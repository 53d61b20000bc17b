// The fonts a Debian font package installed, for the tests that run on real fonts.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The package's .ttf and .otf files (and .ttc with `collections`), from dpkg's record of
// its files; those missing from the disk are left out and named in `missing`, each after
// a blank.
std::vector<std::filesystem::path> package_fonts(const std::string& package, bool collections,
                                                 std::string& missing);
