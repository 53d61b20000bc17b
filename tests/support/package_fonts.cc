#include "support/package_fonts.h"

#include <fstream>

std::vector<std::filesystem::path> package_fonts(const std::string& package, bool collections,
                                                 std::string& missing) {
  std::ifstream list("/var/lib/dpkg/info/" + package + ".list");
  std::vector<std::filesystem::path> fonts;
  for (std::string line; std::getline(list, line);) {
    const std::filesystem::path path = line;
    const std::string ext = path.extension().string();
    if (ext != ".ttf" && ext != ".otf" && !(collections && ext == ".ttc")) continue;
    if (std::filesystem::is_regular_file(path))
      fonts.push_back(path);
    else
      missing += " " + line;
  }
  return fonts;
}
