#include <cstdio>
#include <cstring>
#include <string>

namespace {

const char kUsage[] =
    "orbtool - the command-line companion of orbedit, the ORB-Q730 title editor\n"
    "\n"
    "Usage: orbtool COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  --help, help    show this text\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
    std::fputs(kUsage, stdout);
    return argc < 2 ? 1 : 0;
  }
  std::fprintf(stderr, "orbtool: unknown command \"%s\" (try orbtool --help)\n", argv[1]);
  return 1;
}
