// trvnel-starter DBFOLDER: makes DBFOLDER a usable database folder when it holds none yet, as
// the installer would: the users file with the first administrator, the system record and the
// other data files empty. A folder that already holds data files is left as it is.

#include <cstdio>
#include <string>

#include "core/data/database_tool.h"

int main(int argc, char** argv) {
  if (argc != 2 || argv[1][0] == '\0') {
    std::fprintf(stderr, "usage: trvnel-starter DBFOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  if (trv::core::holdsDataFiles(folder)) {
    std::printf("%s already holds a database; left as it is\n", folder.c_str());
    return 0;
  }
  const trv::core::ToolResult r = trv::core::createStarterDatabase(folder);
  if (!r.ok) {
    std::fprintf(stderr, "trvnel-starter: %s\n", r.message.c_str());
    return 1;
  }
  std::printf("created a starter database in %s\n", folder.c_str());
  return 0;
}
