// SPDX-License-Identifier: GPL-2.0-or-later
// record: the input hook recorder from the command line, over the keyboards or a script.
#include <poll.h>

#include <charconv>
#include <chrono>
#include <memory>
#include <ostream>
#include <thread>
#include <variant>

#include "app/ctl/ctl_commands.h"
#include "macro/hook.h"
#include "macro/hook_library.h"
#include "macro/hook_script.h"
#include "platform/linux/evdev_hook_provider.h"
#include "platform/linux/xkb_key_labels.h"
#include "platform/paths.h"
#include "protocol/key_code_table.h"

namespace qor::ctl {
namespace {

struct RecordOptions {
  bool combo = false;
  int seconds = 5;
  std::string script;
};

// The options, or a usage error.
std::variant<RecordOptions, std::string> parseOptions(const std::vector<std::string>& args) {
  RecordOptions o;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--combo") {
      o.combo = true;
    } else if (args[i] == "--seconds" && i + 1 < args.size()) {
      const std::string& n = args[++i];
      auto [end, ec] = std::from_chars(n.data(), n.data() + n.size(), o.seconds);
      if (ec != std::errc() || end != n.data() + n.size() || o.seconds < 1 || o.seconds > 600)
        return "--seconds takes a number from 1 to 600, not \"" + n + "\"";
    } else if (args[i] == "--script" && i + 1 < args.size()) {
      o.script = args[++i];
    } else {
      return "unexpected \"" + args[i] + "\"";
    }
  }
  return o;
}

void printEntries(const TMacroKeyList& list, std::ostream& out) {
  out << "recorded " << list.Count() << " entries:\n";
  for (const auto& e : list) {
    const TMACROKEYHOOK& k = e.Object.FMacroKey;
    if (k.nKeyType == 0) {
      out << "  delay " << k.nKeyValue << " ms\n";
    } else {
      out << "  key " << k.nKeyValue << (k.nKeyValueExtended ? " extended" : "") << " "
          << (k.nKeyState ? "down" : "up") << "  "
          << GetKeyDescriptionByVK(k.nKeyValue, k.nKeyValueExtended) << "\n";
    }
  }
}

int runRecord(TDM&, const std::vector<std::string>& args, Output& io) {
  const RecordOptions o = std::get<RecordOptions>(parseOptions(args));
  std::shared_ptr<ScriptedHookProvider> script;
  if (!o.script.empty()) {
    std::string error;
    auto events = LoadHookScript(o.script, error);
    if (!events) {
      io.err << "qorcfg51-ctl: " << error << "\n";
      return kExitFailed;
    }
    script = std::make_shared<ScriptedHookProvider>(std::move(*events),
                                                    ScriptedHookProvider::Pacing::RealTime);
    SetHookProviderFactory([script](HookProblem&) { return script; });
  } else {
    SetHookProviderFactory(EvdevHookProviderFactory());
  }

  // Keys are named as the user's keyboard layout prints them.
  UseSessionKeyLabels(paths::configHome().string());
  TuiHookEnvironment env;
  env.ShowMessage = [&io](const std::string& text, const std::string& caption) {
    io.err << "qorcfg51-ctl: " << caption << ": " << text << "\n";
  };
  TuiHook hook(env);
  if (!hook.DLLLoaded()) return kExitFailed;

  if (o.combo) {
    hook.OnRecordKeyboardComboKey = [&io](int Key1, int, int Key2, int, int Modifier,
                                          const std::string& ComboKeyString) {
      io.out << ComboKeyString << "  (key 1: " << Key1 << ", key 2: " << Key2
             << ", modifier: " << Modifier << ")\n"
             << std::flush;
    };
    hook.RecordKeyboardComboKey();
  } else {
    hook.OnRecordKeyboardMacroKeyEx =
        [&io](int, int, int, int, double, uint32_t TotalTime, const std::string& MacroKeyString,
              const std::string& MacroKeyStateString, const TMacroKeyList&) {
          io.out << MacroKeyString << " " << MacroKeyStateString << "  (+" << TotalTime << " ms)\n"
                 << std::flush;
        };
    hook.OnStopRecordKeyboardMacroKey = [&io](const TMacroKeyList& list) {
      printEntries(list, io.out);
    };
    hook.RecordKeyboardMacroKeyEx();
  }
  if (!script)
    io.err << (o.combo ? "Capturing key combinations for " : "Recording keys for ") << o.seconds
           << (o.combo ? " s; keys other than Ctrl, Alt, Shift and the Windows keys reach no "
                         "other program.\n"
                       : " s; keys pressed meanwhile reach no other program.\n");

  // The event loop: the provider's descriptor when it has one, else a 10 ms tick.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(o.seconds);
  HookProvider* provider = hook.Provider();
  while (std::chrono::steady_clock::now() < deadline && !(script && script->Pending() == 0)) {
    if (provider->fd() >= 0) {
      pollfd p{provider->fd(), POLLIN, 0};
      ::poll(&p, 1, 10);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    provider->dispatch();
  }

  if (o.combo)
    hook.StopRecordKeyboardComboKey();
  else
    hook.StopRecordKeyboardMacroKeyEx();
  return kExitOk;
}

}  // namespace

std::vector<Command> HookCommands() {
  return {
      {"record", "[--combo] [--seconds N] [--script FILE]",
       "record keys from the keyboards as the macro editor does",
       "Records from every keyboard for N seconds (default 5, at most 600) the way the macro\n"
       "editor records a macro: each key as it is pressed and released, the pauses between\n"
       "them, auto-repeats folded into one press, printed as they come and, at the end, as the\n"
       "list the editor takes. While it runs, keystrokes reach no other program.\n"
       "--combo captures key combinations instead, as the combination key dialog does: two\n"
       "keys pressed within 100 ms with the modifiers held; the modifier keys keep working.\n"
       "--script FILE replays a hook script at its own pace instead of reading the keyboards;\n"
       "each line is \"TIME key KEY down|up [ext]\" or \"TIME mouse MESSAGE X Y [DATA]\", for\n"
       "example \"1000 key VK_A down\".\n"
       "Reading the keyboards needs read access to /dev/input/event* (the group \"input\") and\n"
       "write access to /dev/uinput. Exit status 1 when neither can be had.",
       Access::Reads,
       [](const std::vector<std::string>& a) -> std::optional<std::string> {
         auto parsed = parseOptions(a);
         if (auto* error = std::get_if<std::string>(&parsed)) return *error;
         return std::nullopt;
       },
       runRecord},
  };
}

}  // namespace qor::ctl
