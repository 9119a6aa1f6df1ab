#include "core/link/LocalProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace orb {

namespace {

// No title comes near this; an archive that unpacks to more is not one.
constexpr rlim_t kLocalFileLimit = 64 << 20;

std::string FindProgram(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  const std::string paths = path && *path ? path : "/usr/bin:/bin";
  std::size_t begin = 0;
  while (begin <= paths.size()) {
    const std::size_t end = std::min(paths.find(':', begin), paths.size());
    const std::string dir = end > begin ? paths.substr(begin, end - begin) : ".";
    const std::string candidate = dir + "/" + name;
    struct stat info {};
    if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
    begin = end + 1;
  }
  return {};
}

}  // namespace

int RunLocal(const std::string& folder, const std::vector<std::string>& arguments) {
  if (arguments.empty()) return -1;
  const std::string program = FindProgram(arguments[0]);
  if (program.empty()) return -1;
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const char* directory = folder.c_str();
  const int null_fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  if (null_fd < 0) return -1;

  const pid_t pid = ::fork();
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec.
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const rlimit limit{kLocalFileLimit, kLocalFileLimit};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    if (::chdir(directory) != 0) ::_exit(127);
    ::dup2(null_fd, 0);
    ::dup2(null_fd, 1);
    ::dup2(null_fd, 2);
    if (::close_range(3, ~0U, 0) != 0) {
      for (int fd = 3; fd < 1024; ++fd) ::close(fd);
    }
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(null_fd);
  if (pid < 0) return -1;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace orb
