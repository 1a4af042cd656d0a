// SPDX-License-Identifier: GPL-2.0-or-later
// The sensitivity, advanced settings and lighting windows against a data module of their
// own: what each control stores, what showing a profile leaves alone, the file and question
// dialogs, and what assistive technology reads.
#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QtTest>
#include <cstring>
#include <filesystem>
#include <map>

#include "app/gui/advanced_setting_form.h"
#include "app/gui/button_config_form.h"
#include "app/gui/light_config_form.h"
#include "app/gui/macro_dialogs.h"
#include "app/gui/sensitivity_form.h"
#include "gui/scripted_dialogs.h"
#include "macro/macro_model.h"
#include "model/profile_import.h"
#include "platform/linux/sqlite_registry.h"
#include "test_support/recording_pointer_settings.h"
#include "test_support/temp_dir.h"
#include "ui/translation.h"
#include "widgets/choice_buttons.h"
#include "widgets/function_menu.h"
#include "widgets/label.h"
#include "widgets/layout.h"
#include "widgets/text_button.h"
#include "widgets/track_bar.h"

namespace qor {
namespace {

namespace fs = std::filesystem;

class RecordingMonitor final : public MonitorLink {
 public:
  void Start() override {}
  void Notify(uint32_t w, uint32_t l) override { notes.push_back({w, l}); }
  std::vector<std::pair<uint32_t, uint32_t>> notes;
};

// File dialogs answering with the next scripted file (empty: cancelled).
class ScriptedFiles final : public FileDialogs {
 public:
  QString SaveProfileFile(QWidget*, const QString& folder) override { return next(folder); }
  QString OpenProfileFile(QWidget*, const QString& folder) override { return next(folder); }
  QString answer;
  QString askedIn;

 private:
  QString next(const QString& folder) {
    askedIn = folder;
    return std::exchange(answer, {});
  }
};

// A data module in folders of its own, and the services a settings window gets.
struct Fixture {
  Fixture() {
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    registry = SqliteRegistry::forThisUser();
    dm = std::make_unique<TDM>(DataModuleEnvironment{*registry, dir / "docs", dir / "program"},
                               [this](const StoreProblem& p) { problems.push_back(p.message); });
    dm->OnMainFormUpdate = [this] { ++mainFormUpdates; };
  }
  SettingsServices services() { return {monitor, pointer, files}; }
  TMOUSECONFIGINFO& config() { return dm->FCurrentProfileInfo.ConfigInfo; }
  // Writes the edited record into the slot, as a command-line edit would have.
  void store() { dm->SaveBackToCurrentProfileInfo(); }
  // Whether the current slot's store holds exactly the current record.
  bool slotHoldsRecord() const {
    const auto& bytes = dm->SlotStore(dm->FProfileIndex).StreamBytes();
    return bytes.size() >= sizeof(TMOUSEPROFILEINFO) &&
           std::memcmp(bytes.data(), &dm->FCurrentProfileInfo, sizeof(TMOUSEPROFILEINFO)) == 0;
  }
  TMOUSEPROFILEINFO slotRecord() const {
    TMOUSEPROFILEINFO r{};
    dm->SlotStore(dm->FProfileIndex).Read(r);
    return r;
  }

  test::TempDir dir;
  std::unique_ptr<SqliteRegistry> registry;
  std::unique_ptr<TDM> dm;
  RecordingMonitor monitor;
  std::shared_ptr<test::RecordingPointerSettings> pointer =
      std::make_shared<test::RecordingPointerSettings>();
  ScriptedFiles files;
  test::ScriptedDialogs dialogs;
  std::vector<std::string> problems;
  int mainFormUpdates = 0;
};

template <typename T>
T* part(QWidget& window, const QString& name) {
  T* found = window.findChild<T*>(name);
  if (!found) qFatal("no control %s", qPrintable(name));
  return found;
}

QString accessibleName(QWidget* w) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
  return a ? a->text(QAccessible::Name) : QString();
}

// Answers the macro and key dialogs the button window opens, and records the messages.
class ScriptedKeyDialogs final : public MacroDialogPresenter {
 public:
  ScriptedKeyDialogs() { UseMacroDialogPresenter(this); }
  ~ScriptedKeyDialogs() override { UseMacroDialogPresenter(nullptr); }
  int ShowCreateMacroDialog(QString&, const QString&) override { return 2; }
  int ShowMessageDialog(const QString& t, const QString& x, const QString&) override {
    messages.push_back(t + ": " + x);
    return 1;
  }
  int ShowLeaveMacroWithErrorsDialog(const QString&, const QString&, const QString&) override {
    return 1;
  }
  int ShowComboKeyDialog(TCOMBOKEYINFO& c) override {
    c = combo;
    return 1;
  }
  int ShowFireKeyDialog(TFIREKEYINFO& f) override {
    f = fire;
    return 1;
  }
  // The manager hands back `managerList` with `managerIndex` selected and OK.
  int ShowMacroManager(TMACROKEYINFOLIST& list, int& index, const QString& folder) override {
    askedFolder = folder;
    askedIndex = index;
    list = managerList;
    index = managerIndex;
    return 1;
  }
  TCOMBOKEYINFO combo{};
  TFIREKEYINFO fire{};
  TMACROKEYINFOLIST managerList{};
  int managerIndex = -1;
  QString askedFolder;
  int askedIndex = -2;
  std::vector<QString> messages;
};

TMACROKEYINFOLIST macroList(const std::vector<std::u16string>& names) {
  TMACROKEYINFOLIST list{};
  for (const std::u16string& n : names) SetMacroName(list.MacroInfos[list.nMacroInfoCount++], n);
  return list;
}

}  // namespace

class SettingsFormsTest : public QObject {
  Q_OBJECT

 private slots:
  // ---- Advanced settings ----------------------------------------------------------------

  void showingAProfileNeverWritesIt() {
    Fixture f;
    auto& c = f.config();
    c.CPIState[0] = {800, 1600, 1};  // X and Y differ, as the command line can set them
    c.CPIState[1] = {100, 9000, 1};  // outside what the tracks show
    c.ReportRate = 333;
    c.VWheelSpeed = 77;
    c.DoubleClickSpeed = 530;
    c.LEDConfig.BRIGHT_LEVEL = 9;
    c.PointerAcceleration = 3;
    f.store();
    const TMOUSEPROFILEINFO before = f.dm->FCurrentProfileInfo;
    TAdvancedSettingForm advanced(nullptr, *f.dm, f.services());
    TSensitivityForm sensitivity(nullptr, *f.dm, f.services());
    TLightConfigForm lighting(nullptr, *f.dm, f.services());
    for (TSettingsForm* w :
         std::initializer_list<TSettingsForm*>{&advanced, &sensitivity, &lighting})
      w->DoShowChangedData();
    TranslationService().UseDictionary({u"Level 1=Stufe 1"});  // a language switch re-shows
    TranslationService().UseDictionary({});
    QVERIFY(std::memcmp(&before, &f.dm->FCurrentProfileInfo, sizeof before) == 0);
    QVERIFY(f.slotHoldsRecord());
    QVERIFY(f.pointer->calls().empty());
    // The labels show what is stored; the tracks the nearest step they have.
    QCOMPARE(part<UiLabel>(advanced, "LCPI1XNum")->text(), QString("800"));
    QCOMPARE(part<UiLabel>(advanced, "LCPI1YNum")->text(), QString("1600"));
    QCOMPARE(part<UiLabel>(advanced, "LCPI2YNum")->text(), QString("9000"));
    QCOMPARE(part<UiTrackBar>(advanced, "TrackCPI2X")->UserValue(), 250);
    QCOMPARE(part<UiTrackBar>(advanced, "TrackCPI2Y")->UserValue(), 3500);
    for (const char* r : {"RD125HZ", "RD250HZ", "RD500HZ", "RD1000HZ"})
      QVERIFY(!part<UiRadioButton>(advanced, r)->isChecked());
    QCOMPARE(part<UiTrackBar>(sensitivity, "TrackBarDoubleClickSpeed")->Position(), 700);
    QCOMPARE(part<UiLabel>(sensitivity, "LabelDoubleClickSpeed")->text(), QString("530 ms"));
    for (const char* r : {"RBBRCLOSE", "RBBRLOW", "RBBRMIDDLE", "RBBRHIGH"})
      QVERIFY(!part<UiRadioButton>(lighting, r)->isChecked());
  }

  void aCPITrackStoresItsValueOnBothAxes_data() {
    QTest::addColumn<QString>("track");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("cpi");
    QTest::newRow("level 1 X to 1000 CPI") << "TrackCPI1X" << 2750 << 0 << 1000;
    QTest::newRow("lowest position is 3500 CPI") << "TrackCPI3Y" << 250 << 2 << 3500;
    QTest::newRow("highest position is 250 CPI") << "TrackCPI4X" << 3500 << 3 << 250;
    QTest::newRow("between steps snaps") << "TrackCPI2Y" << 1130 << 1 << 2500;
  }
  void aCPITrackStoresItsValueOnBothAxes() {
    QFETCH(QString, track);
    QFETCH(int, position);
    QFETCH(int, level);
    QFETCH(int, cpi);
    Fixture f;
    TAdvancedSettingForm w(nullptr, *f.dm, f.services());
    part<UiTrackBar>(w, track)->SetPosition(position);
    const QString n = QString::number(level + 1);
    QCOMPARE(int(f.config().CPIState[level].CPIX), cpi);
    QCOMPARE(int(f.config().CPIState[level].CPIY), cpi);
    QCOMPARE(part<UiTrackBar>(w, "TrackCPI" + n + "X")->UserValue(), cpi);
    QCOMPARE(part<UiTrackBar>(w, "TrackCPI" + n + "Y")->UserValue(), cpi);
    QCOMPARE(part<UiLabel>(w, "LCPI" + n + "XNum")->text(), QString::number(cpi));
    QCOMPARE(part<UiLabel>(w, "LCPI" + n + "YNum")->text(), QString::number(cpi));
    QCOMPARE(int(f.slotRecord().ConfigInfo.CPIState[level].CPIY), cpi);
  }

  void aLevelSwitchKeepsOneLevelOn_data() {
    QTest::addColumn<QString>("onBefore");  // "1" = on, per level
    QTest::addColumn<int>("clicked");
    QTest::addColumn<QString>("onAfter");
    QTest::addColumn<int>("current");
    QTest::newRow("the only level stays on") << "0100" << 2 << "0100" << 1;
    QTest::newRow("switching on level 3") << "0001" << 3 << "0011" << 2;
    QTest::newRow("switching off level 1") << "1111" << 1 << "0111" << 1;
  }
  void aLevelSwitchKeepsOneLevelOn() {
    QFETCH(QString, onBefore);
    QFETCH(int, clicked);
    QFETCH(QString, onAfter);
    QFETCH(int, current);
    Fixture f;
    for (int i = 0; i < 4; ++i) f.config().CPIState[i].Enabled = onBefore[i] == '1';
    f.config().CPILevel = 2;
    TAdvancedSettingForm w(nullptr, *f.dm, f.services());
    auto* button = part<UiTextButton>(w, "BTNCPI" + QString::number(clicked));
    QTest::mouseClick(button, Qt::LeftButton);
    QString on;
    for (int i = 0; i < 4; ++i) on += f.config().CPIState[i].Enabled == 1 ? '1' : '0';
    QCOMPARE(on, onAfter);
    QCOMPARE(int(f.config().CurrentCPIIndex), current);
    QCOMPARE(int(f.config().CPILevel), 4);
    QCOMPARE(button->isChecked(), onAfter[clicked - 1] == '1');
    QCOMPARE(button->StyleName(), QString(onAfter[clicked - 1] == '1' ? "CPI-A" : "CPI-N"));
    QCOMPARE(part<UiTrackBar>(w, "TrackCPI" + QString::number(clicked) + "X")->isEnabled(),
             onAfter[clicked - 1] == '1');
    QVERIFY(f.slotHoldsRecord());
  }

  void theReportRateRadiosStoreTheirRate() {
    Fixture f;
    f.config().ReportRate = 333;
    TAdvancedSettingForm w(nullptr, *f.dm, f.services());
    for (auto [radio, rate] :
         {std::pair{"RD1000HZ", 1000}, std::pair{"RD250HZ", 250}, std::pair{"RD125HZ", 125}}) {
      QTest::mouseClick(part<UiRadioButton>(w, radio), Qt::LeftButton);
      QCOMPARE(int(f.config().ReportRate), rate);
      QCOMPARE(int(f.slotRecord().ConfigInfo.ReportRate), rate);
    }
  }

  void aProfileButtonSwitchesTheProfile() {
    Fixture f;
    TAdvancedSettingForm w(nullptr, *f.dm, f.services());
    QTest::mouseClick(part<UiTextButton>(w, "bsbtnprofile3"), Qt::LeftButton);
    QCOMPARE(f.dm->FProfileIndex, 2);
    QCOMPARE(f.monitor.notes, (std::vector<std::pair<uint32_t, uint32_t>>{{1, 2}}));
    QCOMPARE(f.mainFormUpdates, 1);
    for (int i = 1; i <= 5; ++i)
      QCOMPARE(part<UiTextButton>(w, "bsbtnprofile" + QString::number(i))->isChecked(), i == 3);
  }

  void exportAndImportGoThroughTheFileDialogs() {
    Fixture f;
    TAdvancedSettingForm w(nullptr, *f.dm, f.services());
    f.config().ReportRate = 250;
    const fs::path file = f.dir / "mine.PFX";
    f.files.answer = QString::fromStdString(file.string());
    w.bsbtnexportprofileClick();
    QCOMPARE(f.files.askedIn, QString::fromStdString(f.dm->DocumentsFolder()));
    QCOMPARE(fs::file_size(file), sizeof(TMOUSEPROFILEINFO));

    // Into profile 2, which then holds profile 1's settings.
    QTest::mouseClick(part<UiTextButton>(w, "bsbtnprofile2"), Qt::LeftButton);
    QVERIFY(f.config().ReportRate != 250);
    f.files.answer = QString::fromStdString(file.string());
    w.bsbtnimportprofileClick();
    QCOMPARE(int(f.config().ReportRate), 250);
    QVERIFY(part<UiRadioButton>(w, "RD250HZ")->isChecked());
    QCOMPARE(f.monitor.notes.back(), (std::pair<uint32_t, uint32_t>{1, 1}));
    QVERIFY(f.dialogs.Calls().empty());

    // A cancelled dialog does nothing.
    w.bsbtnexportprofileClick();
    w.bsbtnimportprofileClick();
    QVERIFY(f.dialogs.Calls().empty());
  }

  void badFilesAreRefusedWithTheirReason_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");  // what the message says, in part
    QTest::newRow("another version") << "version" << kProfileVersionIncorrect;
    QTest::newRow("truncated") << "truncated"
                               << "bytes";
    QTest::newRow("empty") << "empty" << kProfileVersionIncorrect;
    QTest::newRow("a folder") << "folder"
                              << "mine.PFX";
    QTest::newRow("missing") << "missing"
                             << "mine.PFX";
  }
  void badFilesAreRefusedWithTheirReason() {
    QFETCH(QString, kind);
    QFETCH(QString, text);
    Fixture f;
    TAdvancedSettingForm w(nullptr, *f.dm, f.services());
    const fs::path file = f.dir / "mine.PFX";
    TMOUSEPROFILEINFO other = f.dm->FCurrentProfileInfo;
    other.ConfigInfo.ReportRate = 250;
    std::vector<uint8_t> bytes(reinterpret_cast<uint8_t*>(&other),
                               reinterpret_cast<uint8_t*>(&other) + sizeof other);
    if (kind == "version") bytes[0] ^= 1;  // the version's low byte
    if (kind == "truncated") bytes.resize(5000);
    if (kind == "empty") bytes.clear();
    if (kind == "folder")
      fs::create_directories(file);
    else if (kind != "missing")
      test::writeBytes(file, bytes);
    const TMOUSEPROFILEINFO before = f.dm->FCurrentProfileInfo;
    f.files.answer = QString::fromStdString(file.string());
    w.bsbtnimportprofileClick();
    QVERIFY(std::memcmp(&before, &f.dm->FCurrentProfileInfo, sizeof before) == 0);
    QCOMPARE(f.dialogs.Calls().size(), std::size_t(1));
    QCOMPARE(f.dialogs.Calls()[0].title, QString("Warning"));
    QVERIFY2(f.dialogs.Calls()[0].text.contains(text), qPrintable(f.dialogs.Calls()[0].text));
    QVERIFY(f.monitor.notes.empty());
  }

  void aFailedExportSaysWhy() {
    Fixture f;
    TAdvancedSettingForm w(nullptr, *f.dm, f.services());
    test::writeBytes(f.dir / "plain-file", {1});
    // A folder that is a file: no user, root included, can write below it.
    f.files.answer = QString::fromStdString((f.dir / "plain-file" / "mine.PFX").string());
    w.bsbtnexportprofileClick();
    QCOMPARE(f.problems.size() + f.dialogs.Calls().size(), std::size_t(1));
    const std::string reason =
        f.problems.empty() ? f.dialogs.Calls()[0].text.toStdString() : f.problems[0];
    QVERIFY2(reason.find("plain-file") != std::string::npos, reason.c_str());
  }

  void resetAsksAndClosingTheQuestionKeepsTheProfile() {
    Fixture f;
    f.config().ReportRate = 250;
    f.store();
    TAdvancedSettingForm w(nullptr, *f.dm, f.services());
    f.dialogs.Answer(test::ScriptedDialogs::kClose);
    f.dialogs.Answer(kModalCancel);
    w.BSBTNRESTOREDEFAULTSClick();
    w.BSBTNRESTOREDEFAULTSClick();
    QCOMPARE(int(f.config().ReportRate), 250);
    QCOMPARE(f.mainFormUpdates, 0);
    QCOMPARE(f.dialogs.Calls()[0].title, QString("Reset This Profile"));
    QCOMPARE(f.dialogs.Calls()[0].text, QString("Are you sure you want to reset this profile ?"));
    QCOMPARE(f.dialogs.Calls()[0].owner, static_cast<QWidget*>(&w));
    f.dialogs.Answer(kModalOK);
    w.BSBTNRESTOREDEFAULTSClick();
    QCOMPARE(int(f.config().ReportRate), 500);  // the factory rate
    QCOMPARE(f.mainFormUpdates, 1);
  }

  // ---- Sensitivity ----------------------------------------------------------------------

  void theSensitivityTracksStoreTheirValues_data() {
    QTest::addColumn<QString>("track");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("wheel");
    QTest::addColumn<int>("doubleClick");
    QTest::newRow("pointer speed 0 stores 1") << "TrackBarPointerSpeed" << 0 << 1 << -1 << -1;
    QTest::newRow("pointer speed 10 stores 20") << "TrackBarPointerSpeed" << 10 << 20 << -1 << -1;
    QTest::newRow("scroll 0 stores 1") << "TrackBarScrollSpeed" << 0 << -1 << 1 << -1;
    QTest::newRow("scroll 7") << "TrackBarScrollSpeed" << 7 << -1 << 7 << -1;
    QTest::newRow("double-click 0 is 1200 ms")
        << "TrackBarDoubleClickSpeed" << 0 << -1 << -1 << 1200;
    QTest::newRow("double-click 1000 is 200 ms")
        << "TrackBarDoubleClickSpeed" << 1000 << -1 << -1 << 200;
  }
  void theSensitivityTracksStoreTheirValues() {
    QFETCH(QString, track);
    QFETCH(int, position);
    QFETCH(int, speed);
    QFETCH(int, wheel);
    QFETCH(int, doubleClick);
    Fixture f;
    f.config().PointerSpeed = 9;
    f.config().VWheelSpeed = 4;
    f.config().DoubleClickSpeed = 600;
    TSensitivityForm w(nullptr, *f.dm, f.services());
    part<UiTrackBar>(w, track)->SetPosition(position);
    const auto& c = f.slotRecord().ConfigInfo;
    QCOMPARE(int(c.PointerSpeed), speed < 0 ? 9 : speed);
    QCOMPARE(int(c.VWheelSpeed), wheel < 0 ? 4 : wheel);
    QCOMPARE(int(c.DoubleClickSpeed), doubleClick < 0 ? 600 : doubleClick);
    // Only the double-click time takes effect at once.
    QCOMPARE(f.pointer->calls(),
             doubleClick < 0
                 ? std::vector<std::string>{}
                 : std::vector<std::string>{"double-click " + std::to_string(doubleClick)});
  }

  void onePageModeAndAcceleration() {
    Fixture f;
    f.config().VWheelSpeed = 30;
    TSensitivityForm w(nullptr, *f.dm, f.services());
    auto* track = part<UiTrackBar>(w, "TrackBarScrollSpeed");
    auto* page = part<UiCheckBox>(w, "CHKSCROLLONEPAGE");
    QCOMPARE(track->Position(), 5);
    QVERIFY(!track->isEnabled());
    QVERIFY(page->isChecked());
    page->click();
    QCOMPARE(int(f.config().VWheelSpeed), 5);
    QVERIFY(track->isEnabled());
    track->SetPosition(0);
    page->click();
    QCOMPARE(int(f.config().VWheelSpeed), 30);
    page->click();  // the track stands at 0: a wheel must scroll at least one line
    QCOMPARE(int(f.config().VWheelSpeed), 1);

    part<UiCheckBox>(w, "CHKENHANCEPOINTER")->click();
    QCOMPARE(int(f.slotRecord().ConfigInfo.PointerAcceleration), 1);
    part<UiCheckBox>(w, "CHKENHANCEPOINTER")->click();
    QCOMPARE(int(f.slotRecord().ConfigInfo.PointerAcceleration), 0);
  }

  // ---- Lighting -------------------------------------------------------------------------

  void aSwatchStoresItsColourAndPreviews_data() {
    QTest::addColumn<QString>("swatch");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("red") << "RCC1" << QColor(0xb9, 0x00, 0x01);
    QTest::newRow("sky blue") << "RCC5" << QColor(0x26, 0xa2, 0xea);
    QTest::newRow("white") << "RCC8" << QColor(255, 255, 255);
    QTest::newRow("black") << "RCC9" << QColor(0, 0, 0);
  }
  void aSwatchStoresItsColourAndPreviews() {
    QFETCH(QString, swatch);
    QFETCH(QColor, colour);
    Fixture f;
    f.config().LEDConfig.BRIGHT_LEVEL = 2;
    f.config().LEDConfig.BREATH_SPEED = 1;
    TLightConfigForm w(nullptr, *f.dm, f.services());
    QTest::mouseClick(part<UiTextButton>(w, swatch), Qt::LeftButton);
    const TLEDCONFIG led = f.slotRecord().ConfigInfo.LEDConfig;
    QCOMPARE(QColor(led.R, led.G, led.B), colour);
    QCOMPARE(int(led.BRIGHT_LEVEL), 2);
    QCOMPARE(int(led.BREATH_SPEED), 1);
    QCOMPARE(f.mainFormUpdates, 1);
    QCOMPARE(part<UiRectangle>(w, "RCCSELECTEDCOLOR")->palette().color(QPalette::Window).isValid(),
             true);
  }

  void brightnessAndBreathingAreShownAndSavedAtOnce() {
    Fixture f;
    f.config().LEDConfig.BRIGHT_LEVEL = 3;
    f.config().LEDConfig.BREATH_SPEED = 1;
    TLightConfigForm w(nullptr, *f.dm, f.services());
    QVERIFY(part<UiRadioButton>(w, "RBBRHIGH")->isChecked());
    QVERIFY(part<UiRadioButton>(w, "RBSPLOW")->isChecked());
    part<UiRadioButton>(w, "RBBRLOW")->click();
    part<UiRadioButton>(w, "RBSPHIGH")->click();
    QCOMPARE(int(f.slotRecord().ConfigInfo.LEDConfig.BRIGHT_LEVEL), 1);
    QCOMPARE(int(f.slotRecord().ConfigInfo.LEDConfig.BREATH_SPEED), 3);
    QCOMPARE(f.mainFormUpdates, 2);
    // A profile switch keeps the choice in the profile it was made in.
    f.dm->SwitchToProfile(1);
    f.dm->SwitchToProfile(0);
    QCOMPARE(int(f.config().LEDConfig.BRIGHT_LEVEL), 1);
  }

  // ---- Assistive technology -------------------------------------------------------------

  // Each kind of control of the three windows with the name and role assistive technology
  // gets (the role becomes the AT-SPI role: RadioButton "radio button", Graphic "image", ...).
  void everyControlHasAnAccessibleNameAndRole_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("role");
    const struct {
      const char* window;
      const char* control;
      const char* name;
      QAccessible::Role role;
    } rows[] = {
        {"advanced", "", "Advanced Settings", QAccessible::Window},
        {"advanced", "BSBTNCLOSE", "Close", QAccessible::Button},
        {"advanced", "BTNCPI4", "Level 4", QAccessible::CheckBox},
        {"advanced", "TrackCPI2X", "Level 2 X", QAccessible::Slider},
        {"advanced", "TrackCPI2Y", "Level 2 Y", QAccessible::Slider},
        {"advanced", "PanelReportRate", "Report rate", QAccessible::Grouping},
        {"advanced", "RD125HZ", "125 Hz", QAccessible::RadioButton},
        {"advanced", "RD1000HZ", "1000 Hz", QAccessible::RadioButton},
        {"advanced", "bsbtnprofile1", "PROFILE 1", QAccessible::RadioButton},
        {"advanced", "bsbtnprofile5", "PROFILE 5", QAccessible::RadioButton},
        {"advanced", "bsbtnexportprofile", "Export", QAccessible::Button},
        {"advanced", "bsbtnimportprofile", "Import", QAccessible::Button},
        {"advanced", "BSBTNRESTOREDEFAULTS", "Reset", QAccessible::Button},
        {"sensitivity", "TrackBarPointerSpeed", "Pointer speed", QAccessible::Slider},
        {"sensitivity", "CHKENHANCEPOINTER", "Enhance pointer precision", QAccessible::CheckBox},
        {"sensitivity", "TrackBarScrollSpeed", "Scroll lines", QAccessible::Slider},
        {"sensitivity", "CHKSCROLLONEPAGE", "One page per notch", QAccessible::CheckBox},
        {"sensitivity", "TrackBarDoubleClickSpeed", "Double-click speed", QAccessible::Slider},
        {"lighting", "RCC5", "Sky Blue", QAccessible::Button},
        {"lighting", "PanelRBBRIGHT", "Brightness", QAccessible::Grouping},
        {"lighting", "RBBRCLOSE", "Off", QAccessible::RadioButton},
        {"lighting", "RBBRHIGH", "High", QAccessible::RadioButton},
        {"lighting", "PanelRBSPEED", "Breathing", QAccessible::Grouping},
        {"lighting", "RBSPLOW", "Low", QAccessible::RadioButton},
    };
    for (const auto& r : rows)
      QTest::addRow("%s %s", r.window, r.control) << r.window << r.control << r.name << int(r.role);
  }
  void everyControlHasAnAccessibleNameAndRole() {
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(int, role);
    Fixture f;
    TAdvancedSettingForm advanced(nullptr, *f.dm, f.services());
    TSensitivityForm sensitivity(nullptr, *f.dm, f.services());
    TLightConfigForm lighting(nullptr, *f.dm, f.services());
    const std::map<QString, QWidget*> windows = {
        {"advanced", &advanced}, {"sensitivity", &sensitivity}, {"lighting", &lighting}};
    QWidget* w = windows.at(window);
    if (!control.isEmpty()) w = part<QWidget>(*w, control);
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    QCOMPARE(face->text(QAccessible::Name), name);
    QCOMPARE(face->role(), QAccessible::Role(role));

    // No button or track of the window goes without a name.
    for (QWidget* c : windows.at(window)->findChildren<QWidget*>()) {
      if (c->isHidden() || !(qobject_cast<QAbstractButton*>(c) || qobject_cast<QSlider*>(c)))
        continue;
      QVERIFY2(!accessibleName(c).isEmpty(), qPrintable(c->objectName()));
    }
  }

  // A radio button offers the actions it had as a check box, and each is the user's click: the
  // window's handler runs, and a checked one stays checked.
  void radioButtonsActAsAClick() {
    Fixture f;
    TAdvancedSettingForm advanced(nullptr, *f.dm, f.services());
    auto useEveryAction = [](QAbstractButton* button) {
      QAccessibleActionInterface* actions =
          QAccessible::queryAccessibleInterface(button)->actionInterface();
      QVERIFY(actions);
      const QStringList names = actions->actionNames();
      QVERIFY(names.contains(QAccessibleActionInterface::pressAction()));
      QVERIFY(names.contains(QAccessibleActionInterface::toggleAction()));
      for (const QString& action : names) {
        actions->doAction(action);
        QTRY_VERIFY2(button->isChecked(), qPrintable(action));
        QVERIFY(QAccessible::queryAccessibleInterface(button)->state().checked);
      }
    };
    useEveryAction(part<QAbstractButton>(advanced, "RD1000HZ"));
    QCOMPARE(int(f.config().ReportRate), 1000);
    useEveryAction(part<QAbstractButton>(advanced, "bsbtnprofile2"));
    QCOMPARE(f.dm->FProfileIndex, 1);
  }

  void tracksTellAndTakeTheValueTheUserReads() {
    Fixture f;
    f.config().CPIState[1] = {1750, 1750, 1};
    f.config().DoubleClickSpeed = 500;
    TAdvancedSettingForm advanced(nullptr, *f.dm, f.services());
    TSensitivityForm sensitivity(nullptr, *f.dm, f.services());
    auto value = [](QWidget* w) {
      return QAccessible::queryAccessibleInterface(w)->valueInterface();
    };
    QAccessibleValueInterface* cpi = value(part<QWidget>(advanced, "TrackCPI2X"));
    QCOMPARE(cpi->currentValue().toInt(), 1750);
    QCOMPARE(cpi->minimumValue().toInt(), 250);
    QCOMPARE(cpi->maximumValue().toInt(), 3500);
    cpi->setCurrentValue(3250);
    QCOMPARE(int(f.slotRecord().ConfigInfo.CPIState[1].CPIX), 3250);
    QCOMPARE(int(f.slotRecord().ConfigInfo.CPIState[1].CPIY), 3250);
    QAccessibleValueInterface* dbl = value(part<QWidget>(sensitivity, "TrackBarDoubleClickSpeed"));
    QCOMPARE(dbl->currentValue().toInt(), 500);
    QCOMPARE(dbl->minimumValue().toInt(), 200);
    QCOMPARE(dbl->maximumValue().toInt(), 1200);
    dbl->setCurrentValue(900);
    QCOMPARE(int(f.slotRecord().ConfigInfo.DoubleClickSpeed), 900);
  }
  // ---- Button assignment ------------------------------------------------------------------

  void aMenuChoiceIsWrittenAtOnce_data() {
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Copy") << 702 << 15 << "Copy";
    QTest::newRow("Mute") << 907 << 14 << "Mute";
    QTest::newRow("Backward") << 5 << 4 << "Backward";
    QTest::newRow("Disable") << 12 << 14 << "Disable";
    QTest::newRow("Fire Key") << 11 << 18 << "Fire Key...";
    QTest::newRow("Combo Key") << 6 << 15 << "<Ctrl+Shi...";
  }
  void aMenuChoiceIsWrittenAtOnce() {
    QFETCH(int, item);
    QFETCH(int, code);
    QFETCH(QString, caption);
    Fixture f;
    ScriptedKeyDialogs keys;
    keys.combo = {0x41, 0, 0, 0, 6};  // Ctrl+Shift+A
    keys.fire = {5, 30};
    TButtonConfigForm form(nullptr, *f.dm, f.services());
    form.show();
    form.BtnSet1Click(2);
    QVERIFY(form.uiMenuEx1->IsMenuOpen());
    form.uiMenuEx1->CloseMenu();
    form.uiMenuEx1ItemsClick(uint32_t(item));
    QVERIFY(f.slotHoldsRecord());
    const TBUTTONFUNCINFO& b = f.dm->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[2];
    QCOMPARE(b.FunctionCode, code);
    QCOMPARE(b.MenuItemID, item);
    QCOMPARE(form.BtnSet[2]->text(), caption);
    QCOMPARE(form.BtnSet[2]->accessibleDescription(), caption);
    if (item == 6) QCOMPARE(form.BtnSet[2]->toolTip(), QString("Combo Key: <Ctrl+Shift+A>"));
  }

  void theMacroMenuFollowsTheProfile() {
    Fixture f;
    TButtonConfigForm form(nullptr, *f.dm, f.services());
    TuiMenuItemsEx& macros = form.uiMenuEx1->Items().Items(9).SubItems();
    QCOMPARE(macros.Count(), 1);
    QCOMPARE(macros.Items(0).Caption, std::string("Macro Manager"));
    // 21 macros with 50-character names: all listed, IDs from 1002.
    std::vector<std::u16string> names;
    for (int i = 0; i < 21; ++i) names.push_back(std::u16string(49, u'x') + char16_t(u'a' + i));
    f.dm->FCurrentProfileInfo.MacroKeyInfoList = macroList(names);
    form.DoShowChangedData();
    QCOMPARE(macros.Count(), 22);
    QCOMPARE(macros.Items(21).ItemID(), 1022u);
    QCOMPARE(macros.Items(1).Caption, "Macro<" + std::string(49, 'x') + "a>");
  }

  void theMacroManagerFlow() {
    Fixture f;
    ScriptedKeyDialogs keys;
    TButtonConfigForm form(nullptr, *f.dm, f.services());
    keys.managerList = macroList({u"first", u"second"});
    keys.managerIndex = 1;
    form.BtnSet1Click(1);
    form.uiMenuEx1->CloseMenu();
    form.uiMenuEx1ItemsClick(1001);
    QCOMPARE(keys.askedIndex, -1);
    QVERIFY(keys.askedFolder.endsWith("ETProfile1_Macros"));
    TBUTTONFUNCINFO& b = f.dm->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[1];
    QCOMPARE(b.FunctionCode, 17);
    QCOMPARE(b.MenuItemID, 1003);
    QCOMPARE(form.BtnSet[1]->text(), QString("Macro<second>"));
    QCOMPARE(f.dm->FCurrentProfileInfo.MacroKeyInfoList.nMacroInfoCount, 2);
    QCOMPARE(form.uiMenuEx1->Items().Items(9).SubItems().Count(), 3);
    QVERIFY(f.slotHoldsRecord());

    // From Left Click, leaving the manager with every macro deleted: the macro button turns
    // into Disable, Left Click stays.
    keys.managerList = macroList({});
    keys.managerIndex = -1;
    form.BtnSet1Click(0);
    form.uiMenuEx1->CloseMenu();
    form.uiMenuEx1ItemsClick(1001);
    QCOMPARE(form.BtnSet[0]->text(), QString("Left Click"));
    QCOMPARE(form.BtnSet[1]->text(), QString("Disable"));
    QVERIFY(f.slotHoldsRecord());
  }

  void aSixthMacroIsRefused() {
    Fixture f;
    ScriptedKeyDialogs keys;
    auto& p = f.dm->FCurrentProfileInfo;
    p.MacroKeyInfoList = macroList({u"a", u"b", u"c", u"d", u"e", u"f"});
    TButtonConfigForm form(nullptr, *f.dm, f.services());
    for (int i = 0; i < 5; ++i) {
      form.BtnSet1Click(i);
      form.uiMenuEx1->CloseMenu();
      form.uiMenuEx1ItemsClick(uint32_t(1002 + i));
    }
    p.ConfigInfo.ButtonFuncInfo[5] = p.ConfigInfo.ButtonFuncInfo[0];
    p.ConfigInfo.ButtonFuncInfo[0] = p.ConfigInfo.ButtonFuncInfo[9];  // a free place
    f.store();
    form.BtnSet1Click(0);
    form.uiMenuEx1->CloseMenu();
    form.uiMenuEx1ItemsClick(1007);
    QCOMPARE(keys.messages.back(),
             QString("Warning!: You can assign macros to buttons shall not exceed 5 ."));
    QVERIFY(p.ConfigInfo.ButtonFuncInfo[0].FunctionCode != 17);
  }

  void oddEntriesAreShownWithoutRewriting() {
    Fixture f;
    auto& c = f.config();
    c.ButtonCount = 15;
    c.ButtonFuncInfo[0].MenuItemID = 5000;
    c.ButtonFuncInfo[1].MenuItemID = 0;
    c.ButtonFuncInfo[1].FunctionIndex = 99;
    c.ButtonFuncInfo[2].FunctionIndex = 5;  // a combination of unknown keys
    c.ButtonFuncInfo[2].MenuItemID = 6;
    c.ButtonFuncInfo[2].ComboKeyInfo = {0xFF, 0, 0xE8, 0, 0};
    f.store();
    const TMOUSEPROFILEINFO before = f.dm->FCurrentProfileInfo;
    TButtonConfigForm form(nullptr, *f.dm, f.services());
    QCOMPARE(form.BtnSet[0]->text(), QString());
    QCOMPARE(form.BtnSet[1]->text(), QString());
    QVERIFY(form.BtnSet[2]->text().size() <= 12);  // whatever the key table calls them, cut
    form.BtnSet1Click(1);                          // the menu opens with no row selected
    form.uiMenuEx1->CloseMenu();
    form.BSBTNCLOSEClick();
    QVERIFY(std::memcmp(&before, &f.dm->FCurrentProfileInfo, sizeof before) == 0);
    c.ButtonCount = 0;
    form.DoShowChangedData();
    QCOMPARE(accessibleName(form.BtnSet[3]), QString("Button 4"));
    QCOMPARE(form.BtnSet[3]->accessibleDescription(), QString("Forward"));
  }
};

}  // namespace qor

QTEST_MAIN(qor::SettingsFormsTest)
#include "settings_forms_test.moc"
