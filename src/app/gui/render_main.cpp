// SPDX-License-Identifier: GPL-2.0-or-later
// qorcfg51-render: draws the program's windows into PNG files, for looking at them without a
// screen (offscreen platform) and at other device pixel ratios.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "app/gui/main_window.h"
#include "app/gui/window_gallery.h"
#include "model/data_module.h"
#include "platform/command_line.h"
#include "platform/linux/desktop_pointer_settings.h"
#include "platform/linux/sqlite_registry.h"
#include "platform/linux/system_hid_backend.h"
#include "platform/paths.h"
#include "widgets/qt_text.h"
#include "widgets/skin.h"

using namespace qor;

namespace {

void printUsage(std::ostream& out) {
  out << "Usage: qorcfg51-render --out DIR [--suffix TEXT] [--language ID] WINDOW...\n"
         "       qorcfg51-render --screenshot FILE\n"
         "       qorcfg51-render --version\n\n"
         "Draws windows of qorcfg51 into DIR, one PNG each, named after the window (TEXT is\n"
         "added to the main window's file name; ID, a short ID of ui.local such as 0407, the\n"
         "language they speak instead of the profiles' one). WINDOW is one of: main, buttons,\n"
         "sensitivity, advanced, lighting, dialog, exit-question, new-macro, macro-question,\n"
         "leave-macro, combo, fire, menu, macro, button-menu, or all.\n"
         "Nothing is sent to a mouse and the desktop's pointer settings are left alone; the\n"
         "profiles are those of XDG_CONFIG_HOME and XDG_DOCUMENTS_DIR.\n\n"
         "--screenshot saves the whole screen of the display (DISPLAY) into FILE instead.\n";
}

// The renderer runs no Apply and tells no monitor.
class NoMonitor final : public MonitorLink {
 public:
  void Start() override {}
  void Notify(uint32_t, uint32_t) override {}
};

bool save(QWidget& window, const QString& dir, const QString& name) {
  const QString file = QDir(dir).filePath(name + ".png");
  if (!window.grab().save(file)) {
    std::cerr << "qorcfg51-render: cannot write " << file.toStdString() << "\n";
    return false;
  }
  std::cout << file.toStdString() << "\n";
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QString out, suffix, screenshot, language;
  std::vector<std::string> windows;
  const std::vector<std::string> args = SplitOptionValues(argc, argv);
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool valued = i + 1 < args.size();
    if (a == "--help" || a == "-h") {
      printUsage(std::cout);
      return 0;
    } else if (a == "--version") {
      std::cout << VersionLine("qorcfg51-render") << "\n";
      return 0;
    } else if (a == "--out" && valued) {
      out = QString::fromStdString(args[++i]);
    } else if (a == "--screenshot" && valued) {
      screenshot = QString::fromStdString(args[++i]);
    } else if (a == "--suffix" && valued) {
      suffix = QString::fromStdString(args[++i]);
    } else if (a == "--language" && valued) {
      language = QString::fromStdString(args[++i]);
    } else if (a.rfind("-", 0) != 0) {
      windows.push_back(a);
    }
  }
  if (!screenshot.isEmpty()) {
    QApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(screenshot)) {
      std::cerr << "qorcfg51-render: cannot take a screenshot into " << screenshot.toStdString()
                << " (is DISPLAY set?)\n";
      return 1;
    }
    std::cout << screenshot.toStdString() << "\n";
    return 0;
  }
  if (out.isEmpty() || windows.empty()) {
    printUsage(std::cerr);
    return 2;
  }
  QApplication app(argc, argv);
  skin::Apply(app);
  QDir().mkpath(out);
  auto registry = SqliteRegistry::forThisUser();
  TDM dm({*registry, paths::documents(), paths::program()},
         [](const StoreProblem& p) { std::cerr << "qorcfg51-render: " << p.message << "\n"; });
  auto backend = MakeSystemHidBackend();
  NoMonitor monitor;
  TQorCfg51Main main({dm, *backend, nullptr, MakeDesktopPointerSettings(), monitor,
                      paths::program(), [] { return QRect(0, 0, 1600, 900); }});
  if (!language.isEmpty()) {
    if (main.Language().GetLanguageIndexByShortID(ToU16(language)) < 0) {
      std::cerr << "qorcfg51-render: ui.local has no language " << language.toStdString() << "\n";
      return 2;
    }
    main.Language().SetLang(ToU16(language));
  }
  const std::vector<std::string>& known = GalleryWindowNames();
  if (windows.size() == 1 && windows[0] == "all") windows = known;
  bool ok = true;
  for (const std::string& w : windows) {
    if (std::find(known.begin(), known.end(), w) == known.end()) {
      std::cerr << "qorcfg51-render: unknown window \"" << w << "\"\n";
      ok = false;
      continue;
    }
    ok = ShowGalleryWindow(w, main, dm,
                           [&](QWidget& window, const QString& picture) {
                             return save(window, out, w == "main" ? picture + suffix : picture);
                           }) &&
         ok;
  }
  return ok ? 0 : 1;
}
