// edbtool: create, dump, append to, modify, delete from, purge and search record files.
#include <iostream>

#include "edbtool_commands.h"
#include "platform/command_line.h"

int main(int argc, char** argv) {
  std::vector<std::string> args = CommandLineArguments(argc, argv);
  return edbtool::Run(args, std::cout, std::cerr);
}
