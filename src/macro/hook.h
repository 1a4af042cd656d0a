// SPDX-License-Identifier: GPL-2.0-or-later
// TuiHook: turns the desktop's keyboard and mouse events into recorder events: keyboard
// macros, key combinations, single keys, mouse macros, and chosen keys and buttons, swallowing
// what it handles.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "macro/recorder_records.h"
#include "platform/hook_provider.h"

namespace qor {

// The mouse message minus WM_MOUSEFIRST.
enum class TMouseButtonStates : uint8_t {
  MOUSEMOVE = 0,
  LBUTTONDOWN = 1,
  LBUTTONUP = 2,
  LBUTTONDBLCLK = 3,
  RBUTTONDOWN = 4,
  RBUTTONUP = 5,
  RBUTTONDBLCLK = 6,
  MBUTTONDOWN = 7,
  MBUTTONUP = 8,
  MBUTTONDBLCLK = 9,
  MOUSEWHEEL = 10,
  XBUTTONDOWN = 11,
  XBUTTONUP = 12,
  XBUTTONDBLCLK = 13,
  MOUSEHWHEEL = 14,
  OTHERFUNCTION = 15,
};

enum class TMouseStatesToHook : uint8_t { HOOK_DOWN = 0, HOOK_UP = 1 };

// A keyboard filter of the filtered keyboard hook.
struct TKeyBoardHookDetail {
  int32_t KeyboardVKKey = 0;    // 0: match by scan code only; kEndOfKeyboardFilters ends the list
  int32_t KeyboardSCANKey = 0;  // 0: match by virtual key only
  int32_t KeyExtended = 0;      // must equal the event's extended flag
  int32_t block = 0;            // 1: swallow a matching key
};
inline constexpr int32_t kEndOfKeyboardFilters = -1;

// A mouse filter of the filtered mouse hook.
struct TMouseHookDetail {
  TMouseButtons MouseButton = TMouseButtons::BUTTON_NONE;
  uint16_t MouseStateSet = 0;                                   // bit n: TMouseButtonStates n
  TMouseButtons ModifiedFunction = TMouseButtons::BUTTON_NONE;  // equal to the button: silent
  TMouseStatesToHook MouseStateToHook = TMouseStatesToHook::HOOK_DOWN;
};

// The set bit of one mouse state, for MouseStateSet.
inline constexpr uint16_t MouseStateBit(TMouseButtonStates s) {
  return static_cast<uint16_t>(1u << static_cast<unsigned>(s));
}

struct TMouseButtonString {
  TMouseButtons MouseButton;
  const char* ButtonDescription;
};

// "Mouse Click", "Mouse Right Click", ...; empty for a button without a description.
std::string GetMouseButtonDescription(TMouseButtons AButton);

struct TMacroKeyObject {
  TMACROKEYHOOK FMacroKey;
};
struct TMOUSEMacroKeyObject {
  TMOUSEMACROKEY FMOUSEMacroKey;
};
struct TKeyBoardHookDetailObject {
  TKeyBoardHookDetail FKeyBoardHookDetail;
};
struct TMouseHookDetailObject {
  TMouseHookDetail FMouseHookDetail;
};

// The recorder's lists: objects it owns, each with a string.
template <typename T>
class TObjectStringList {
 public:
  struct Entry {
    std::string String;
    T Object;
  };
  void Add(std::string AString, T AObject) {
    FItems.push_back({std::move(AString), std::move(AObject)});
  }
  void Clear() { FItems.clear(); }
  int Count() const { return static_cast<int>(FItems.size()); }
  const Entry& operator[](int AIndex) const { return FItems.at(static_cast<std::size_t>(AIndex)); }
  auto begin() const { return FItems.begin(); }
  auto end() const { return FItems.end(); }

 private:
  std::vector<Entry> FItems;
};

// Each entry's string is its position when it was added; filters carry their key or button.
using TMacroKeyList = TObjectStringList<TMacroKeyObject>;
using TMouseMacroKeyList = TObjectStringList<TMOUSEMacroKeyObject>;
using TKeyboardHookObjectList = TObjectStringList<TKeyBoardHookDetailObject>;
using TMouseHookObjectList = TObjectStringList<TMouseHookDetailObject>;

// Events. AState is 1 for a press and 0 for a release, Time the event's millisecond stamp.
using TRecordKeyboardMacroKeyExEvent =
    std::function<void(int MacroType, int Key1, int AState, int Extended, double Time,
                       uint32_t TotalTime, const std::string& MacroKeyString,
                       const std::string& MacroKeyStateString, const TMacroKeyList& KeyList)>;
using TStopRecordKeyboardMacroKeyEvent =
    std::function<void(const TMacroKeyList& KeyoboardRecordList)>;
using TRecordKeyboardComboKeyEvent =
    std::function<void(int Key1, int Key1Extended, int Key2, int Key2Extended, int Modifier,
                       const std::string& ComboKeyString)>;
using TRecordKeyboardComboKey2Event =
    std::function<void(int Key1, int ScanKey1, int Key1Extended, int Key2, int ScanKey2,
                       int Key2Extended, int Modifier, const std::string& ComboKeyString)>;
using TRecordKeyboardSingleKeyEvent =
    std::function<void(int Key, uint32_t ScanKey, int AState, int AKeyExtended,
                       const std::string& SingleKeyString, bool& ABlocked)>;
using TRecordKeyboardMacroKeyEvent =
    std::function<void(int MacroType, int Key1, int AState, int Extended, double Time,
                       const std::string& MacroKeyString, const std::string& MacroKeyStateString,
                       const TMacroKeyList& KeyList)>;
using TRecordMouseMacroKeyEvent = std::function<void(
    int MacroType, TMouseButtons AButton, int AState, uint16_t X, uint16_t Y, double Time,
    const std::string& MacroKeyString, const std::string& MacroKeyStateString,
    const TMouseMacroKeyList& MouseRecordList)>;
using TStopRecordMouseMacroKeyEvent =
    std::function<void(const TMouseMacroKeyList& MouseRecordList)>;
using THookKeyboardKeyEvent =
    std::function<void(int Key, int AState, int AKeyExtended, bool& ABlocked, uint32_t AScanKey)>;
using THookMouseButtonEvent =
    std::function<void(TMouseButtons AuiButton, int AState, bool& ABlocked)>;
using THookMouseAllButtonEvent =
    std::function<void(TMouseButtons AuiButton, int AState, int16_t AExValue, bool& ABlocked)>;
using THookMouseMoveEvent = std::function<void(int X, int Y, double Time)>;

// One entry of the worker path: a recorded keyboard (tag 1) or mouse (tag 0) entry to report.
struct TRecordDataEntry {
  uint8_t Tag = 0;
  TMACROKEYHOOK MacroKey;
  TMOUSEMACROKEY MouseMacroKey;
};
inline constexpr uint8_t kRecordDataMouse = 0;
inline constexpr uint8_t kRecordDataKeyboard = 1;

// The limits of the extended keyboard recording.
inline constexpr int kMaxMacroKeyEntries = 500;  // past it events are ignored, not swallowed
inline constexpr uint32_t kMaxMacroGap = 65535;  // longer gaps are recorded as this

// What a TuiHook needs from the program around it.
struct TuiHookEnvironment {
  // Shows an error (text, caption); the window passes its message dialog. Empty: stderr.
  std::function<void(const std::string& Text, const std::string& Caption)> ShowMessage;
  // Runs a call on the UI thread soon; called from the worker thread, so it must be safe
  // there (a queued call of the event loop). Empty: queued entries wait for
  // ProcessDataEvent.
  std::function<void(std::function<void()>)> RunOnUiThread;
};

// Every operation and callback runs on the UI thread. Without a provider (DLLLoaded false)
// the operations only reset their lists and no event is fired.
class TuiHook {
 public:
  // Takes the process-wide provider (LoadHookProvider); when none can run, shows "... can
  // not be found!" with the way to fix it, once for this component.
  explicit TuiHook(TuiHookEnvironment AEnvironment = {});
  // Works with AProvider instead of the process-wide one; null: no hook, and no message.
  TuiHook(std::shared_ptr<HookProvider> AProvider, TuiHookEnvironment AEnvironment);
  // Disables the hooks this component enabled, ends the worker and lets go of the provider.
  ~TuiHook();
  TuiHook(const TuiHook&) = delete;
  TuiHook& operator=(const TuiHook&) = delete;

  bool DLLLoaded() const { return FDLLLoaded; }
  // The provider the event loop drives (fd, dispatch); null when none was loaded.
  HookProvider* Provider() const { return FProvider.get(); }

  void RecordKeyboardMacroKeyEx();
  void StopRecordKeyboardMacroKeyEx();
  void StopRecordKeyboardMacroKey();
  void RecordKeyboardComboKey();
  void StopRecordKeyboardComboKey();
  void RecordKeyboardSingleKey();
  void StopRecordKeyboardSingleKey();
  void RecordKeyboardMacroKey();
  void StartHookKeyboard();
  void StopHookKeyboard();
  void RecordMouseMacro();
  void StopRecordMouseMacro();
  void StartHookMouse();
  void StopHookMouse();
  void AddKeyboardHookObject(TKeyBoardHookDetailObject AObject);
  void AddMouseHookObject(TMouseHookDetailObject AObject);
  void RemoveAllKeyboardHookObject();
  void RemoveAllMouseHookObject();

  // Queues an entry for the worker path; safe from any thread.
  void QueueRecordData(const TRecordDataEntry& AEntry);
  // Reports and drops every queued entry (UI thread).
  void ProcessDataEvent();

  const TCOMBOKEY& ComboKeyInfo() const { return FComboKeyInfo; }
  const std::string& ComboKeyString() const { return FComboKeyString; }
  const TMacroKeyList& MacroKeyList() const { return FMacroKeyList; }
  const TMouseMacroKeyList& MouseMacroKeyList() const { return FMouseMacroKeyList; }

  TRecordKeyboardMacroKeyExEvent OnRecordKeyboardMacroKeyEx;
  TStopRecordKeyboardMacroKeyEvent OnStopRecordKeyboardMacroKey;
  TRecordKeyboardComboKeyEvent OnRecordKeyboardComboKey;
  TRecordKeyboardComboKey2Event OnRecordKeyboardComboKey2;
  TRecordKeyboardSingleKeyEvent OnRecordKeyboardSingleKey;
  TRecordKeyboardMacroKeyEvent OnRecordKeyboardMacroKey;
  TRecordMouseMacroKeyEvent OnRecordMouseMacroKey;
  TStopRecordMouseMacroKeyEvent OnStopRecordMouseMacroKey;
  THookKeyboardKeyEvent OnHookKeyboardKey;
  THookKeyboardKeyEvent OnHookKeyboardAllKey;
  THookMouseButtonEvent OnHookMouseButton;
  THookMouseAllButtonEvent OnHookMouseAllButton;
  THookMouseMoveEvent OnHookMouseMove;

 private:
  using KeyboardCallback = void (TuiHook::*)(int, const TKBDLLHOOKSTRUCT&, bool&);
  using MouseCallback = void (TuiHook::*)(int, uint32_t, const TMSLLHOOKSTRUCT&, bool&);

  void enableKeyboardHook(KeyboardCallback ACallback);
  void disableKeyboardHook();
  void enableMouseHook(MouseCallback ACallback);
  void disableMouseHook();

  void recordKeyboardMacroKeyExCallback(int Code, const TKBDLLHOOKSTRUCT& HookStruct,
                                        bool& Blocked);
  void recordKeyboardComboKeyCallback(int Code, const TKBDLLHOOKSTRUCT& HookStruct, bool& Blocked);
  void recordKeyboardSingleKeyCallback(int Code, const TKBDLLHOOKSTRUCT& HookStruct, bool& Blocked);
  void recordKeyboardMacroKeyCallback(int Code, const TKBDLLHOOKSTRUCT& HookStruct, bool& Blocked);
  void hookKeyboardCallback(int Code, const TKBDLLHOOKSTRUCT& HookStruct, bool& Blocked);
  void recordMouseMacroCallback(int Code, uint32_t Message, const TMSLLHOOKSTRUCT& HookStruct,
                                bool& Blocked);
  void hookMouseCallback(int Code, uint32_t Message, const TMSLLHOOKSTRUCT& HookStruct,
                         bool& Blocked);

  void appendMacroKey(const TMACROKEYHOOK& AKey);
  void appendMouseMacroKey(const TMOUSEMACROKEY& AKey);
  void workerLoop();

  TuiHookEnvironment FEnvironment;
  std::shared_ptr<HookProvider> FProvider;
  bool FDLLLoaded = false;

  TCOMBOKEY FComboKeyInfo;
  std::string FComboKeyString;
  TMacroKeyList FMacroKeyList;
  TMouseMacroKeyList FMouseMacroKeyList;
  TKeyboardHookObjectList FKeyboardHookObjectList;
  TMouseHookObjectList FMouseHookObjectList;

  uint32_t FLastTimeKeyboardMacro = 0;
  uint32_t FLastTimeKeyboardCombo = 0;
  uint32_t FLastTimeMouseMacro = 0;
  uint32_t FTotalMacroTime = 0;
  TKBDLLHOOKSTRUCT FLastMacroKey;
  uint8_t FAllKeyState[256] = {};

  // The worker path: FGlobalEvent ends the worker, FGlobalDataEvent wakes it for queued data.
  std::mutex FEventLock;
  std::condition_variable FEventSignal;
  bool FGlobalEvent = false;
  bool FGlobalDataEvent = false;
  std::vector<TRecordDataEntry> FRecordDataToProcessList;
  std::shared_ptr<int> FAlive = std::make_shared<int>(0);  // calls posted by the worker check it
  std::thread FIdThreadComponentDataEvent;
};

}  // namespace qor
