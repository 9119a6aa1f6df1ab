#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/Status.h"
#include "model/Title.h"
#include "tools/TitleGenerator.h"

namespace {

const char kUsage[] =
    "orbtool - the command-line companion of orbedit, the ORB-Q730 title editor\n"
    "\n"
    "Usage: orbtool COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  info TITLE.orb          show the title information as the title manager does\n"
    "  check TITLE.orb         load the whole title and report each data file\n"
    "  resave IN.orb OUT.orb   load IN and save it as OUT, as the editor's Save As does\n"
    "  make-demo FOLDER        write a few varied sample titles into FOLDER\n"
    "  --help                  show this text\n"
    "\n"
    "Exit codes: 0 success, 1 failure, 2 usage error.\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

int Fail(orb::Status status) {
  const char* message = orb::StatusMessage(status);
  std::fprintf(stderr, "%s\n", *message ? message : ("Error " + std::to_string(status)).c_str());
  return 1;
}

// Prints messages the core would show in a box.
class ConsolePrompter : public orb::Prompter {
 public:
  orb::Answer Message(const std::string& text, const std::string& caption,
                      orb::Buttons buttons) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return buttons == orb::Buttons::kOk ? orb::Answer::kOk : orb::Answer::kCancel;
  }
};

int Info(const std::string& path) {
  orb::TitleInfo info;
  const orb::Status status = orb::ReadTitleInfo(path, info);
  if (status != orb::kOk) return Fail(status);
  const orb::TitleInfoTexts texts = orb::DescribeTitle(info);
  std::printf(
      "NAME: %s\nSIZE: %s\nDATE: %s\nINITIAL CUE: %s\nTC MODE: %s\nFS: %s\nMEMO: %s\n"
      "LOCK: %s\n",
      texts.name.c_str(), texts.size.c_str(), texts.date.c_str(), texts.initial_cue.c_str(),
      texts.tc_mode.c_str(), texts.fs.c_str(), texts.memo.c_str(), texts.locked ? "on" : "off");
  return 0;
}

int Check(const std::string& path) {
  orb::Title title;
  const orb::Status status = title.OpenTitle(path);
  for (int n = 0; n < orb::Title::kListCount; ++n) {
    orb::TQ730* list = title.List(n);
    std::printf("%-10s %6d %s%s\n", list->Header().Name().c_str(), list->Count(),
                n == 0   ? "channels"
                : n == 5 ? "events"
                         : "records",
                list->Loaded() ? "" : "  (not loaded)");
  }
  std::printf("gfed.dat   %s\n", title.System().HasGroupFaders() ? "present" : "absent");
  std::printf("status %d\n", status);
  return status == orb::kOk ? 0 : Fail(status);
}

int Resave(const std::string& in, const std::string& out) {
  orb::Title title;
  orb::Status status = title.OpenTitle(in);
  if (status != orb::kOk) return Fail(status);
  ConsolePrompter prompter;
  status = title.SaveTitleAs(out, &prompter);
  return status == orb::kOk ? 0 : Fail(status);
}

int MakeDemo(const std::string& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  for (const orb::gen::TitleSpec& spec : orb::gen::DemoSpecs()) {
    const auto bytes = orb::gen::MakeTitle(spec);
    const std::string path = (std::filesystem::path(folder) / (spec.name + ".orb")).string();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
      std::fprintf(stderr, "%s: %s\n", path.c_str(), orb::StatusMessage(orb::kWriteError));
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  const std::string& command = args[0];
  if (command == "--help" || command == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (command == "info" && args.size() == 2) return Info(args[1]);
  if (command == "check" && args.size() == 2) return Check(args[1]);
  if (command == "resave" && args.size() == 3) return Resave(args[1], args[2]);
  if (command == "make-demo" && args.size() == 2) return MakeDemo(args[1]);
  return Usage();
}
