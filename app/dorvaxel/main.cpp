// dorvaxel: removes the installation described by the uninstall information file named on
// the command line.

#include "runtime/platform/instance_registry.h"
#include "runtime/platform/registry.h"
#include "uninstall/uninstall_run.h"

int main(int argc, char** argv) {
  // The whole argument text is the path: arguments the shell split at blanks are joined again.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  trv::uninstall::TerminalMessageBoxes boxes;
  trv::platform::FileRegistry registry;
  trv::platform::InstanceRegistry instances;
  trv::uninstall::FolderRemover remover;
  trv::uninstall::UninstallEnvironment env{boxes, registry, instances, remover};
  return trv::uninstall::runProgram(trv::uninstall::CRefString(std::string_view(commandLine)), env);
}
