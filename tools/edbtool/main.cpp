// edbtool: create, dump, append to, modify, delete from, purge and search record files.
#include <iostream>

#include "edbtool_commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return edbtool::Run(args, std::cout, std::cerr);
}
