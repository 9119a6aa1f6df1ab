#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <map>

#include "gui/shell/Foimpexp.h"
#include "gui/shell/Foserial.h"
#include "gui/shell/Fotitle.h"
#include "gui/shell/Q730edit.h"
#include "tests/gui/shell/GuiTestSupport.h"
#include "tests/support/ScriptedPrompter.h"

// The transfer window through the title manager's RS-232C commands, against
// the console simulator on a pseudo-terminal of its own, unpaced.
namespace orb {
namespace {

namespace fs = std::filesystem;
using test::WhenModal;
using Files = std::map<std::string, std::vector<std::uint8_t>>;

gen::TitleSpec SmallSpec() {
  gen::TitleSpec spec;
  spec.name = "Stage";
  spec.with_gfed = false;
  spec.automation_words = 4001;
  return spec;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Notes whether the transfer window's sequence timer ran while a question was open.
class WatchingPrompter : public ScriptedPrompter {
 public:
  Answer Message(const std::string& text, const std::string& caption, Buttons buttons) override {
    Watch();
    return ScriptedPrompter::Message(text, caption, buttons);
  }
  Answer AskDefaultNo(const std::string& text, const std::string& caption,
                      Buttons buttons) override {
    Watch();
    return ScriptedPrompter::AskDefaultNo(text, caption, buttons);
  }
  void Watch() {
    if (auto* window = qobject_cast<TFo_Serial*>(QApplication::activeModalWidget()))
      timer_during_question.push_back(window->Ti_Sequence->isActive());
  }
  std::vector<bool> timer_during_question;
};

class SerialWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    console_.start(CONSOLE_SIM_PATH,
                   {"--pty", "--rate", "0", "--root", QString::fromStdString(root_.str())});
    ASSERT_TRUE(console_.waitForStarted(5000));
    for (int i = 0; i < 100 && !console_.canReadLine(); ++i) console_.waitForReadyRead(50);
    device_ = console_.readLine().trimmed().toStdString();
    ASSERT_FALSE(device_.empty());
    std::ofstream(app_.File("orbedit.ini")) << "[Ports]\nCOM1=" << device_ << "\n";
    frame_ = std::make_unique<TFo_Main>(app_.str(), TFo_Main::Options{&prompter_, false});
    frame_->show();
  }
  void TearDown() override {
    frame_.reset();
    console_.kill();
    console_.waitForFinished(5000);
  }

  std::string Slot(int number) const {
    char name[8];
    std::snprintf(name, sizeof name, "%02d", number);
    return (root_.path() / "home/kel205/data" / name).string();
  }
  void PutFiles(int slot, const Files& files) {
    fs::create_directories(Slot(slot));
    for (const auto& [name, bytes] : files) {
      std::ofstream(Slot(slot) + "/" + name, std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
    }
  }
  Files SlotFiles(int slot) const {
    Files files;
    for (const auto& entry : fs::directory_iterator(Slot(slot)))
      files[entry.path().filename().string()] = ReadBytes(entry.path().string());
    return files;
  }
  std::vector<std::string> LeftInWork() const {
    std::vector<std::string> left;
    const fs::path work = app_.path() / "tmp";
    if (!fs::exists(work)) return left;
    for (const auto& entry : fs::directory_iterator(work))
      left.push_back(entry.path().filename().string());
    return left;
  }

  // Picks the slot in the slot dialog; once the transfer window is up, runs
  // on_window on it with what it showed first.
  struct Seen {
    std::string caption, message, retry, total, remain, bps, cancel;
    bool state_hidden = false;
    bool session_flag = false;
  };
  void ChooseSlot(int slot, std::function<void(TFo_Serial*)> on_window = {}) {
    WhenModal([this, slot, on_window](QWidget* modal) {
      auto* dialog = qobject_cast<TFo_ImpExp*>(modal);
      ASSERT_NE(dialog, nullptr);
      WhenModal(
          [this, on_window](QWidget* modal) {
            auto* window = qobject_cast<TFo_Serial*>(modal);
            ASSERT_NE(window, nullptr);
            seen_ = {window->windowTitle().toStdString(),
                     window->La_Message->text().toStdString(),
                     window->La_Retry->text().toStdString(),
                     window->La_Total->text().toStdString(),
                     window->La_Remain->text().toStdString(),
                     window->La_Bps->text().toStdString(),
                     window->Bu_Cancel->text().toStdString(),
                     window->La_State->isHidden(),
                     frame_->SessionActive()};
            if (on_window) on_window(window);
          },
          dialog);
      dialog->LB_Title->setCurrentRow(slot - 1);
      dialog->Bu_OK->click();
    });
  }

  test::TempFolder app_;
  test::TempFolder root_;
  QProcess console_;
  std::string device_;
  WatchingPrompter prompter_;
  std::unique_ptr<TFo_Main> frame_;
  Seen seen_;
};

TEST_F(SerialWindowTest, ImportAndExportThroughTheWindow) {
  const gen::TitleSpec spec = SmallSpec();
  PutFiles(3, gen::MakeDataFiles(spec));
  PutFiles(7, {{"memo.txt", {'m', '\n'}}});  // so that the slot's listing is not empty
  TFo_Title& title = *frame_->TitleManager();
  ASSERT_TRUE(title.CanTransfer());
  ASSERT_TRUE(title.PI_ImportRS232C->isEnabled());

  prompter_.QueueTitleName("Stage");
  ChooseSlot(3);
  title.ImportFromConsole();
  EXPECT_EQ(seen_.caption, kImportCaption);
  EXPECT_EQ(seen_.message, "Initializing...");
  EXPECT_EQ(seen_.retry, "0");
  EXPECT_EQ(seen_.total, "--:--");
  EXPECT_EQ(seen_.remain, "--:--");
  EXPECT_EQ(seen_.bps, "0");
  EXPECT_EQ(seen_.cancel, "&Cancel");
  EXPECT_TRUE(seen_.state_hidden);
  EXPECT_TRUE(seen_.session_flag);
  EXPECT_FALSE(frame_->SessionActive());
  EXPECT_FALSE(frame_->Serial().IsOpen());
  EXPECT_EQ(ReadBytes(app_.File("Stage.orb")), gen::MakeTitle(spec));
  EXPECT_EQ(title.SelectedTitlePath(), app_.File("Stage.orb"));
  EXPECT_EQ(LeftInWork(), std::vector<std::string>());

  seen_ = {};
  ChooseSlot(7);
  title.ExportToConsole();
  EXPECT_EQ(seen_.caption, kExportCaption);
  Files expected = gen::MakeDataFiles(spec);
  expected["memo.txt"] = {'m', '\n'};
  EXPECT_EQ(SlotFiles(7), expected);
  EXPECT_FALSE(frame_->SessionActive());
  EXPECT_FALSE(frame_->Serial().IsOpen());
  EXPECT_EQ(LeftInWork(), std::vector<std::string>());
  EXPECT_TRUE(prompter_.timer_during_question.empty());

  // Over the title in slot 3: the question holds the sequence timer.
  prompter_.Queue(Answer::kYes);
  ASSERT_EQ(title.SelectByPath(app_.File("Stage.orb")), kOk);
  ChooseSlot(3);
  title.ExportToConsole();
  EXPECT_EQ(SlotFiles(3), gen::MakeDataFiles(spec));
  ASSERT_FALSE(prompter_.timer_during_question.empty());
  for (bool running : prompter_.timer_during_question) EXPECT_FALSE(running);
  bool asked = false;
  for (const auto& shown : prompter_.shown()) {
    EXPECT_NE(shown.caption, "Error") << shown.text;
    asked |= IsQuestion(shown.text, kOverwriteQuestion);
  }
  EXPECT_TRUE(asked);
  EXPECT_FALSE(frame_->Serial().IsOpen());
}

// Escape closes the window as "&Cancel" does; a port that cannot be opened
// ends the session with its message and closes the window.
TEST_F(SerialWindowTest, EscapeAndAFailedStart) {
  SessionSetup setup;
  setup.mode = SessionSetup::kImport;
  setup.slot_index = 1;
  setup.library_folder = app_.str();
  setup.work_folder = app_.File("tmp");
  setup.device = device_;
  {
    TFo_Serial window(frame_->Serial(), setup, &prompter_);
    window.open();
    QElapsedTimer clock;
    clock.start();
    while (window.La_Message->text() == "Initializing..." && clock.elapsed() < 5000)
      QTest::qWait(1);
    test::PressEscape(&window);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Rejected);
    EXPECT_TRUE(window.Session().Ended());
    EXPECT_FALSE(window.Ti_Sequence->isActive());
    EXPECT_FALSE(frame_->Serial().IsOpen());
  }
  EXPECT_EQ(LeftInWork(), std::vector<std::string>());

  setup.port_number = 4;
  setup.device = app_.File("no-such-tty");
  TFo_Serial window(frame_->Serial(), setup, &prompter_);
  window.open();
  QElapsedTimer clock;
  clock.start();
  while (window.isVisible() && clock.elapsed() < 5000) QTest::qWait(5);
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(window.Succeeded());
  ASSERT_EQ(prompter_.shown().size(), 1u);
  EXPECT_EQ(prompter_.shown()[0].text.substr(0, 20), "Unable to open COM4\n");
  EXPECT_EQ(prompter_.shown()[0].caption, "Error");
}

// "&Cancel" once the dialogue with the console is under way: the window
// closes, nothing is imported, the port is closed and the work files go.
TEST_F(SerialWindowTest, CancelDuringATransfer) {
  PutFiles(2, gen::MakeDataFiles(SmallSpec()));
  bool clicked = false;
  ChooseSlot(2, [&](TFo_Serial* window) {
    auto* poll = new QTimer(window);
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, [&, window, poll] {
      if (window->La_Message->text() == "Initializing...") return;
      poll->stop();
      test::SaveRendering(window, "transfer_window");
      clicked = true;
      window->Bu_Cancel->click();
    });
    poll->start();
  });
  frame_->TitleManager()->ImportFromConsole();
  EXPECT_TRUE(clicked);
  EXPECT_FALSE(frame_->SessionActive());
  EXPECT_FALSE(frame_->Serial().IsOpen());
  EXPECT_TRUE(frame_->Serial().Echo());
  EXPECT_FALSE(fs::exists(app_.File("Stage.orb")));
  EXPECT_EQ(prompter_.shown().size(), 0u);
  EXPECT_EQ(LeftInWork(), std::vector<std::string>());
}

}  // namespace
}  // namespace orb
