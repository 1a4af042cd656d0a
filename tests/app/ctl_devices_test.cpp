// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-ctl devices over hand-written udev device trees: umockdev-run shows the tool the
// fixture's hidraw nodes (or none) instead of this machine's.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <set>

#include "app/ctl_installation.h"
#include "model/settings_file.h"

namespace qor {
namespace {

using test::CtlRun;
using test::Installation;
namespace fs = std::filesystem;

// Runs under umockdev with `fixture` (none: no devices), no simulator and, when given, the
// program folder `program`.
std::string launcher(const Installation& home, const std::string& fixture,
                     const std::string& program = "") {
  const auto noSimulators = home / "no-simulators";
  fs::create_directories(noSimulators);
  std::string l =
      "QORCFG51_SIM_DIR='" + noSimulators.string() + "' ASAN_OPTIONS=verify_asan_link_order=0 ";
  if (!program.empty()) l += "QORCFG51_PROGRAM_DIR='" + program + "' ";
  l += QOR_UMOCKDEV_RUN;
  if (!fixture.empty()) l += " -d '" QOR_HID_FIXTURES "/" + fixture + "'";
  return l + " --";
}

// A program folder whose config.ini names the fixture mouse's configuration interface.
std::string programNamingTheMouse(const Installation& home) {
  const auto program = home / "program";
  fs::create_directories(program);
  test::writeText(program / "config.ini",
                  "[IncludeHIDDeviceList]\nid1=hid\\vid_1209&pid_0001&mi_01&col01\n");
  return program.string();
}

void expectIn(const std::string& text, const std::string& part) {
  EXPECT_NE(text.find(part), std::string::npos) << "missing: " << part << "\nin:\n" << text;
}

TEST(CtlDevices, WithoutInterfacesSaysSoAndHowToGetAccess) {
  Installation home;
  const CtlRun r = home.ctl("devices", launcher(home, ""));
  EXPECT_EQ(r.status, 3) << r.err;  // no mouse
  expectIn(r.out, "No HID interface found");
  expectIn(r.out, "qorcfg51-ctl add-mouse VID:PID");
  expectIn(r.out, "sudo udevadm control --reload");
}

TEST(CtlDevices, NamesTheMouseByItsCollectionAndTheIncludeList) {
  Installation home;
  const std::string program = programNamingTheMouse(home);
  const CtlRun r = home.ctl("devices", launcher(home, "hid_devices.umockdev", program));
  EXPECT_EQ(r.status, 0) << r.err;
  expectIn(r.out,
           "/dev/hidraw1, collection 1 of 2  \"Tessaly Gaming Mouse\"\n"
           "  hardware ID:    HID\\VID_1209&PID_0001&REV_0100&MI_01&COL01\n"
           "  hardware ID:    HID\\VID_1209&PID_0001&MI_01&COL01\n"
           "  hardware ID:    HID_DEVICE_UP:FFA0_U:0001\n"
           "  hardware ID:    HID_DEVICE\n"
           "  usage page:     0xFFA0, usage 0x0001\n"
           "  report lengths: input 0, output 0, feature 4096 bytes\n"
           "  access:         read and write\n"
           "  the mouse:      yes, its configuration interface\n");
  expectIn(r.out,
           "/dev/hidraw3  \"Wireless Controller\"\n  hardware ID:    HID\\VID_054C&PID_09CC\n");
  expectIn(r.out, "The mouse's configuration interface: 1 found.");
  EXPECT_EQ(r.out.find("udevadm"), std::string::npos);

  // The shipped include list names the device without its interface: not the mouse then.
  const CtlRun shipped = home.ctl("devices", launcher(home, "hid_devices.umockdev"));
  expectIn(shipped.out,
           "its configuration collection, but none of its hardware IDs is in the "
           "include list");
  expectIn(shipped.out, "add it to " + (home / "config/qorcfg51/config.ini").string() +
                            " with\n    qorcfg51-ctl add-mouse VID:PID\n");
}

TEST(CtlDevices, JsonHasStableFieldsPerInterface) {
  Installation home;
  const std::string program = programNamingTheMouse(home);
  const CtlRun r = home.ctl("devices --json", launcher(home, "hid_devices.umockdev", program));
  EXPECT_EQ(r.status, 0) << r.err;
  expectIn(r.out,
           "{\"path\":\"/dev/hidraw1\",\"collection\":0,\"name\":\"Tessaly Gaming Mouse\","
           "\"vendor\":4617,\"product\":1,\"hardwareIds\":[\"HID\\\\VID_1209&PID_0001&REV_0100&"
           "MI_01&COL01\",");
  expectIn(r.out,
           "\"usagePage\":65440,\"usage\":1,\"inputReportLength\":0,\"outputReportLength\":0,"
           "\"featureReportLength\":4096,\"opens\":true,\"openError\":\"\",\"configuration\":"
           "true,\"listed\":true,\"mouse\":true}");
  expectIn(r.out, "\"mice\":1}");
  EXPECT_EQ(home.ctl("devices --xml").status, 2);
}

std::string text(const fs::path& f) {
  const test::Bytes b = test::readBytes(f);
  return std::string(b.begin(), b.end());
}

// Every file below `folder` but the data module's (the settings database, the profile files)
// and the captured stderr, for checking that a command wrote nothing else.
std::set<std::string> filesBelow(const fs::path& folder) {
  std::set<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(e.path(), folder).string();
    if (e.is_regular_file() && name != "stderr" && !name.starts_with("docs/") &&
        !name.starts_with("config/qorcfg51/registry.db"))
      files.insert(name);
  }
  return files;
}

constexpr const char* kRule =
    "KERNEL==\"hidraw*\", SUBSYSTEMS==\"hid\", KERNELS==\"*:1A2B:3C4D.*\", TAG+=\"uaccess\"";

TEST(CtlDevices, AddMouseListsTheMouseForTheUserAndPrintsHowToInstallTheRule) {
  Installation home;
  const auto before = filesBelow(home.root());
  for (int twice = 0; twice < 2; ++twice) {
    const CtlRun r = home.ctl("add-mouse 1a2b:3C4D");
    ASSERT_EQ(r.status, 0) << r.err;
    expectIn(r.out, "    HID\\VID_1A2B&PID_3C4D\n");
    expectIn(r.out, (twice ? "already in " : "added to ") +
                        (home / "config/qorcfg51/config.ini").string() + "\n");
    expectIn(r.out, std::string("    echo '") + kRule + "' | sudo tee -a " +
                        (home / "rules.d/70-qorcfg51-local.rules").string() + "\n");
    expectIn(r.out, "    sudo udevadm control --reload\n");
    expectIn(r.out, "    sudo udevadm trigger --action=add --subsystem-match=hidraw\n");
  }
  EXPECT_EQ(text(home / "config/qorcfg51/config.ini"),
            "[IncludeHIDDeviceList]\nid1=HID\\VID_1A2B&PID_3C4D\n");
  auto after = filesBelow(home.root());
  after.erase("config/qorcfg51/config.ini");
  EXPECT_EQ(after, before);  // the rule is only printed
}

// Whatever the file holds, add-mouse either leaves the mouse in the include list as the
// program reads it, or fails and leaves the file as it was.
TEST(CtlDevices, AddMouseListsTheMouseOrFailsWhateverTheFileHolds) {
  std::string full = "[IncludeHIDDeviceList]\n";
  for (int n = 1; n <= kMaxIncludeListEntries; ++n)
    full += "id" + std::to_string(n) + "=HID\\VID_0000&PID_" + std::to_string(1000 + n) + "\n";
  const std::string utf16("\xFF\xFE[\0I\0n\0]\0\n\0", 10);
  struct Case {
    const char* what;
    std::string text;  // the file's bytes; "<dir>" a folder, "<link>" a dangling link
    bool mustList;     // false: listing it or failing are both right
  } cases[] = {
      {"no file", "", true},
      {"no include section", "[Other]\nx=1\n", true},
      {"a byte order mark", "\xEF\xBB\xBF[IncludeHIDDeviceList]\nid1=HID\\VID_1111&PID_2222\n",
       true},
      {"lower case", "[includehiddevicelist]\nid1=HID\\VID_1111&PID_2222\n", false},
      {"spaced", "[ IncludeHIDDeviceList ]\nid1=HID\\VID_1111&PID_2222\n", false},
      {"twice", "[IncludeHIDDeviceList]\nid1=A\n[IncludeHIDDeviceList]\nid2=B\n", false},
      {"full", full, false},
      {"utf-16", utf16, false},
      {"a folder", "<dir>", false},
      {"a dangling link", "<link>", false},
  };
  for (const Case& c : cases) {
    Installation home;
    const fs::path file = home / "conf" / "config.ini";
    fs::create_directories(file.parent_path());
    if (c.text == "<dir>")
      fs::create_directories(file);
    else if (c.text == "<link>")
      fs::create_symlink(home / "nowhere" / "config.ini", file);
    else if (!c.text.empty() || std::string(c.what) != "no file")
      test::writeText(file, c.text);
    const CtlRun r = home.ctl("add-mouse 1a2b:3c4d --config '" + file.string() + "' --rules '" +
                              (home / "r.rules").string() + "'");
    const bool listed =
        fs::is_regular_file(file) &&
        std::ranges::any_of(ReadIncludeHIDDeviceList(SettingsFile::load(file)),
                            [](const std::string& id) { return id == "HID\\VID_1A2B&PID_3C4D"; });
    if (r.status == 0) {
      EXPECT_TRUE(listed) << c.what << ": exit 0, but the mouse is not listed";
    } else {
      EXPECT_TRUE(c.text == "<dir>" || c.text == "<link>" || text(file) == c.text)
          << c.what << ": failed and changed the file";
    }
    if (c.mustList) {
      EXPECT_EQ(r.status, 0) << c.what << ": " << r.err;
    }
    if (std::string(c.what) == "full" || std::string(c.what) == "utf-16") {
      EXPECT_NE(r.status, 0) << c.what;
    }
  }
  // Only four hex digits each, as lsusb prints them.
  for (const char* id : {"-001:0002", "0x12:0x34", "' +12:3456'", "1a2b:3c4", "1a2b-3c4d"}) {
    Installation home;
    EXPECT_EQ(home.ctl(std::string("add-mouse ") + id).status, 2) << id;
  }
}

TEST(CtlDevices, AddMouseWritesTheMachinesFilesWithSystemAndNamedFilesWithOptions) {
  Installation home;
  CtlRun r = home.ctl("add-mouse 1a2b:3c4d --system");
  ASSERT_EQ(r.status, 0) << r.err;
  expectIn(r.out, "added to " + (home / "etc/config.ini").string() + "\n");
  expectIn(r.out, "added to " + (home / "rules.d/70-qorcfg51-local.rules").string() + "\n");
  EXPECT_EQ(text(home / "etc/config.ini"), "[IncludeHIDDeviceList]\nid1=HID\\VID_1A2B&PID_3C4D\n");
  EXPECT_EQ(text(home / "rules.d/70-qorcfg51-local.rules"), std::string(kRule) + "\n");
  EXPECT_FALSE(fs::exists(home / "config/qorcfg51/config.ini"));

  // Named files: the entry goes after the last one (letter case of the section as found), the
  // rest of the file stays, and a second run changes nothing.
  test::writeText(home / "mine.ini",
                  "; mine\n[IncludeHIDDeviceList]\nid1=HID\\VID_1209&PID_0001\n\n[OtherConfig]\n"
                  "NoLogo=0\n");
  test::writeText(home / "mine.rules", "# local");
  const std::string files = "--config '" + (home / "mine.ini").string() + "' --rules '" +
                            (home / "mine.rules").string() + "'";
  for (int twice = 0; twice < 2; ++twice) {
    r = home.ctl("add-mouse 1a2b:3c4d " + files);
    ASSERT_EQ(r.status, 0) << r.err;
  }
  EXPECT_EQ(
      text(home / "mine.ini"),
      "; mine\n[IncludeHIDDeviceList]\nid1=HID\\VID_1209&PID_0001\nid2=HID\\VID_1A2B&PID_3C4D\n"
      "\n[OtherConfig]\nNoLogo=0\n");
  EXPECT_EQ(text(home / "mine.rules"), "# local\n" + std::string(kRule) + "\n");

  for (const char* bad : {"add-mouse", "add-mouse 1a2b", "add-mouse 1a2b:3c4dx",
                          "add-mouse zzzz:0001", "add-mouse 1a2b:3c4d --config"})
    EXPECT_EQ(home.ctl(bad).status, 2) << bad;

  // A file it may not write fails the command and names the file.
  fs::create_directories(home / "locked");
  fs::permissions(home / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  r = home.ctl("add-mouse 1a2b:3c4d --config '" + (home / "locked/config.ini").string() + "'");
  fs::permissions(home / "locked", fs::perms::owner_all);
  if (::geteuid() != 0) {
    EXPECT_EQ(r.status, 1);
    expectIn(r.err, (home / "locked/config.ini").string());
  }
}

// The package's include list names the device without its interface; the entry add-mouse
// writes for the plugged-in mouse names its settings interface, and `devices` finds it.
TEST(CtlDevices, AnAddedMouseIsTheMouseWithoutTouchingTheProgramFolder) {
  Installation home;
  const std::string devices = launcher(home, "hid_devices.umockdev");
  expectIn(home.ctl("devices", devices).out, "The mouse was not found");

  const CtlRun added = home.ctl("add-mouse 1209:0001", devices);
  ASSERT_EQ(added.status, 0) << added.err;
  expectIn(added.out, "    HID\\VID_1209&PID_0001&MI_01&COL01\n");
  const CtlRun r = home.ctl("devices", devices);
  expectIn(r.out, "HID\\VID_1209&PID_0001&MI_01&COL01\n");
  expectIn(r.out, "The mouse's configuration interface: 1 found.");
}

}  // namespace
}  // namespace qor
