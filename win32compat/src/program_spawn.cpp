#include "program_spawn.h"

#include <spawn.h>

#include <cerrno>

extern char** environ;

namespace win32compat {
namespace {

DWORD ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
      return ERROR_ACCESS_DENIED;
    case ENOEXEC:
      return ERROR_BAD_EXE_FORMAT;
    default:
      return ERROR_INVALID_PARAMETER;
  }
}

// errno-style result: 0 on success.
int Spawn(const std::filesystem::path& program, std::vector<std::string>& arguments,
          const std::filesystem::path& directory, const std::vector<std::string>* environment,
          pid_t& pid) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment_copy =
      environment ? *environment : std::vector<std::string>{};
  std::vector<char*> envp;
  for (std::string& variable : environment_copy) envp.push_back(variable.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  if (int error = posix_spawn_file_actions_init(&actions); error != 0) return error;
  int error = posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  if (error == 0) {
    error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(),
                        environment ? envp.data() : environ);
  }
  posix_spawn_file_actions_destroy(&actions);
  return error;
}

}  // namespace

DWORD SpawnProgram(const std::filesystem::path& program, std::vector<std::string> arguments,
                   const std::filesystem::path& directory,
                   const std::vector<std::string>* environment, pid_t& pid) {
  const int error = Spawn(program, arguments, directory, environment, pid);
  return error == 0 ? DWORD{ERROR_SUCCESS} : ErrorFromErrno(error);
}

}  // namespace win32compat
