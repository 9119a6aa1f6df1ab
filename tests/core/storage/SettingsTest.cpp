#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "core/storage/Settings.h"
#include "tests/support/TempFolder.h"

namespace orb {
namespace {

namespace fs = std::filesystem;

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override { path = (folder / kSettingsFileName).string(); }

  void Store(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
  std::string Stored() const {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

  test::TempFolder temp_;
  fs::path folder = temp_.path();
  std::string path;
};

TEST_F(SettingsFileTest, MissingFileGivesTheDefaultsAndCreatesNothing) {
  const ProfileFile profile(path);
  const ShellSettings settings = ReadShellSettings(profile);
  EXPECT_EQ(settings.serial_index, 1);
  EXPECT_FALSE(settings.bold);
  EXPECT_TRUE(settings.import_enabled);
  EXPECT_TRUE(settings.export_enabled);
  EXPECT_EQ(PortDevice(profile, 1), "/dev/ttyS0");
  EXPECT_EQ(PortDevice(profile, 9), "/dev/ttyS8");
  EXPECT_FALSE(fs::exists(path));
}

TEST(SettingsParseTest, ReadsTheProfileFormat) {
  const ProfileFile profile = ProfileFile::FromText(
      "Bold=1\r\n"  // before any section: belongs to none
      "; comment\r\n"
      "  [ global ]  \r\n"
      "serialindex = 7\r\n"
      "SImportEnabled=0\r\n"
      "SerialIndex=2\r\n"  // the first of two equal keys wins
      "SExportEnabled=\"0\"\r\n"
      "[Ports]\r\n"
      "COM3 = /dev/ttyUSB0 \r\n"
      "[Global]\r\n"  // a second section of the same name is not read
      "Bold=1\r\n");
  const ShellSettings settings = ReadShellSettings(profile);
  EXPECT_EQ(settings.serial_index, 7);
  EXPECT_FALSE(settings.bold);
  EXPECT_FALSE(settings.import_enabled);
  EXPECT_FALSE(settings.export_enabled);
  EXPECT_EQ(PortDevice(profile, 3), "/dev/ttyUSB0");
  EXPECT_EQ(PortDevice(profile, 4), "/dev/ttyS3");
}

TEST(SettingsParseTest, ValuesThatAreNotWholeNumbersReadAsTheDefault) {
  for (const char* value : {"", "x", "3x", "0x3", "1.5", "99999999999", "+-1", "--1", " "}) {
    const ProfileFile profile =
        ProfileFile::FromText(std::string("[Global]\nSImportEnabled=") + value + "\nBold=" + value);
    EXPECT_EQ(profile.ReadInt(kGlobalSection, "Bold", 42), 42) << value;
    EXPECT_TRUE(ReadShellSettings(profile).import_enabled) << value;
  }
  const ProfileFile signs = ProfileFile::FromText("[Global]\nA=+5\nB=-5\nC=0\n");
  EXPECT_EQ(signs.ReadInt(kGlobalSection, "A", 0), 5);
  EXPECT_EQ(signs.ReadInt(kGlobalSection, "B", 0), -5);
  EXPECT_EQ(signs.ReadInt(kGlobalSection, "C", 9), 0);
  // A port number the program does not offer falls back to COM1.
  for (const char* value : {"0", "10", "-1"})
    EXPECT_EQ(
        ReadShellSettings(ProfileFile::FromText(std::string("[Global]\nSerialIndex=") + value))
            .serial_index,
        1)
        << value;
}

TEST(SettingsParseTest, AnyBytesParseWithoutHarm) {
  std::mt19937 random(7);
  const char kAlphabet[] = "[]=;#\"\r\n \tGlobalSerialIndex0123456789\0\xff";
  const std::string alphabet(kAlphabet, sizeof kAlphabet - 1);
  for (int round = 0; round < 300; ++round) {
    std::string text(random() % 200, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    ProfileFile profile = ProfileFile::FromText(text);
    const ShellSettings settings = ReadShellSettings(profile);
    EXPECT_GE(settings.serial_index, 1);
    EXPECT_LE(settings.serial_index, kComPortCount);
    // A write into whatever was there is read back.
    profile.WriteInt(kGlobalSection, "SerialIndex", 4);
    EXPECT_EQ(ReadShellSettings(ProfileFile::FromText(profile.Text())).serial_index, 4) << text;
  }
}

TEST_F(SettingsFileTest, WritesGoToTheFileAtOnceAndKeepEverythingElse) {
  {
    ProfileFile profile(path);
    EXPECT_TRUE(profile.WriteInt(kGlobalSection, "SerialIndex", 3));
    EXPECT_EQ(Stored(), "[Global]\nSerialIndex=3\n");
    EXPECT_TRUE(profile.WriteInt(kGlobalSection, "Bold", 1));
    EXPECT_TRUE(profile.WriteString(kPortsSection, "COM3", "/dev/ttyUSB1\nInjected=1"));
    EXPECT_EQ(Stored(),
              "[Global]\nSerialIndex=3\nBold=1\n\n[Ports]\nCOM3=/dev/ttyUSB1 Injected=1\n");
  }
  Store("; mine\r\n[global]\r\nSerialIndex = 2 \r\nOther=x\r\n\r\n[Ports]\r\nCOM1=/dev/a\r\n");
  ProfileFile profile(path);
  EXPECT_EQ(ReadShellSettings(profile).serial_index, 2);
  EXPECT_TRUE(profile.WriteInt(kGlobalSection, "SerialIndex", 5));
  EXPECT_TRUE(profile.WriteInt(kGlobalSection, "Bold", 0));
  EXPECT_EQ(Stored(),
            "; mine\r\n[global]\r\nSerialIndex=5\r\nOther=x\r\nBold=0\r\n\r\n[Ports]\r\nCOM1=/dev/"
            "a\r\n");
  const ProfileFile again(path);
  EXPECT_EQ(ReadShellSettings(again).serial_index, 5);
  EXPECT_EQ(PortDevice(again, 1), "/dev/a");
  // Only the settings file itself is left in the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(SettingsFileTest, WhatCannotBeReadWholeIsNeverOverwritten) {
  // Too large to be ours.
  Store("[Global]\nSerialIndex=4\n" + std::string(kMaxSettingsBytes, ';'));
  const auto size = fs::file_size(path);
  ProfileFile large(path);
  EXPECT_EQ(ReadShellSettings(large).serial_index, 1);
  EXPECT_FALSE(large.WriteInt(kGlobalSection, "SerialIndex", 2));
  EXPECT_EQ(fs::file_size(path), size);

  // A folder in the file's place.
  fs::remove(path);
  fs::create_directory(path);
  ProfileFile folder_instead(path);
  EXPECT_FALSE(folder_instead.WriteInt(kGlobalSection, "Bold", 1));
  EXPECT_TRUE(fs::is_directory(path));

  // A settings folder that went away: the write fails quietly.
  ProfileFile gone((folder / "missing" / kSettingsFileName).string());
  EXPECT_FALSE(gone.WriteInt(kGlobalSection, "Bold", 1));
  EXPECT_EQ(gone.ReadInt(kGlobalSection, "Bold", 0), 1);
}

}  // namespace
}  // namespace orb
