// SPDX-License-Identifier: GPL-2.0-or-later
#include "macro/hook.h"

#include "ui/translation.h"

#include <algorithm>
#include <cstdio>

#include "macro/hook_library.h"
#include "protocol/key_code_table.h"

namespace qor {
namespace {

constexpr TMouseButtonString kMouseButtonStrings[] = {
    {TMouseButtons::LCLICK, "Mouse Click"},          {TMouseButtons::RCLICK, "Mouse Right Click"},
    {TMouseButtons::MCLICK, "Mouse Middle Click"},   {TMouseButtons::XCLICK4, "Backward(Mouse) "},
    {TMouseButtons::XCLICK5, "Forward(Mouse)"},      {TMouseButtons::WHEELUP, "Wheel up(Mouse)"},
    {TMouseButtons::WHEELDOWN, "Wheel Down(Mouse)"},
};

constexpr const char* kDown = "Down";
constexpr const char* kUp = "Up";
constexpr const char* kMilliseconds = "ms";

// The eight modifier keys the combination capture lets through.
bool isModifierKey(uint32_t vk) {
  switch (vk) {
    case 160:
    case 161:  // Shift
    case 162:
    case 163:  // Ctrl
    case 164:
    case 165:  // Alt
    case 91:
    case 92:  // Windows keys
      return true;
    default:
      return false;
  }
}

// The fields every keyboard callback reads.
struct KeyEvent {
  uint32_t key;
  uint32_t scan;
  int extended;
  int state;  // 1 press, 0 release
  uint32_t time;
};

KeyEvent keyEventOf(const TKBDLLHOOKSTRUCT& hs) {
  return {hs.vkCode, hs.scanCode, static_cast<int>(hs.flags & LLKHF_EXTENDED),
          (hs.flags & LLKHF_UP) ? 0 : 1, hs.time};
}

std::string keyDescription(uint32_t key, int extended) {
  return GetKeyDescriptionByVK(key, extended);
}

const char* stateText(int state) {
  return state ? kDown : kUp;
}

// The fields every mouse callback reads.
struct MouseEvent {
  TMouseButtons button;
  int state;
};

MouseEvent mouseEventOf(uint32_t message, const TMSLLHOOKSTRUCT& hs) {
  MouseEvent e{TMouseButtons::BUTTON_NONE, 1};
  const int16_t word = MouseDataWordOf(hs.mouseData);
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      e.button = TMouseButtons::LCLICK;
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      e.button = TMouseButtons::RCLICK;
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      e.button = TMouseButtons::MCLICK;
      break;
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
      if (word == XBUTTON1) e.button = TMouseButtons::XCLICK4;
      if (word == XBUTTON2) e.button = TMouseButtons::XCLICK5;
      break;
    case WM_MOUSEWHEEL:
      if (word > 0) e.button = TMouseButtons::WHEELUP;
      if (word < 0) e.button = TMouseButtons::WHEELDOWN;
      break;
    default:
      break;
  }
  if (message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP ||
      message == WM_XBUTTONUP)
    e.state = 0;
  return e;
}

// A position in the 16 bits the mouse records hold; screens left of or above the primary
// one have negative coordinates, which stop at 0.
uint16_t word16(int32_t v) {
  return static_cast<uint16_t>(v < 0 ? 0 : v > 65535 ? 65535 : v);
}

void showOnStderr(const std::string& text, const std::string& caption) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

// The component whose callback each hook calls now, so that a component going away ends
// only its own hooks. UI thread only, as the hooks are.
const TuiHook* gKeyboardHookOwner = nullptr;
const TuiHook* gMouseHookOwner = nullptr;

}  // namespace

std::string GetMouseButtonDescription(TMouseButtons AButton) {
  for (const TMouseButtonString& s : kMouseButtonStrings)
    if (s.MouseButton == AButton) return s.ButtonDescription;
  return {};
}

TuiHook::TuiHook(TuiHookEnvironment AEnvironment) : FEnvironment(std::move(AEnvironment)) {
  HookProblem problem;
  FProvider = LoadHookProvider(problem);
  FDLLLoaded = FProvider != nullptr;
  if (!FDLLLoaded) {
    // Shown to the user: in the current language where a translation exists.
    std::string text = Translate(std::string_view(problem.missing + " can not be found!"));
    if (!problem.fix.empty()) text += "\n" + Translate(std::string_view(problem.fix));
    (FEnvironment.ShowMessage ? FEnvironment.ShowMessage : showOnStderr)(
        text, Translate(std::string_view("Error")));
  }
  FIdThreadComponentDataEvent = std::thread([this] { workerLoop(); });
}

TuiHook::TuiHook(std::shared_ptr<HookProvider> AProvider, TuiHookEnvironment AEnvironment)
    : FEnvironment(std::move(AEnvironment)), FProvider(std::move(AProvider)) {
  FDLLLoaded = FProvider != nullptr;
  FIdThreadComponentDataEvent = std::thread([this] { workerLoop(); });
}

TuiHook::~TuiHook() {
  {
    std::lock_guard guard(FEventLock);
    FGlobalEvent = true;
  }
  FEventSignal.notify_all();
  FIdThreadComponentDataEvent.join();  // it waits for nothing else, so it ends at once
  if (gKeyboardHookOwner == this) disableKeyboardHook();
  if (gMouseHookOwner == this) disableMouseHook();
}

void TuiHook::enableKeyboardHook(KeyboardCallback ACallback) {
  if (!FDLLLoaded) return;
  gKeyboardHookOwner = this;
  FProvider->EnableKeyboardHook(
      [this, ACallback](int Code, const TKBDLLHOOKSTRUCT& HookStruct, bool& Blocked) {
        (this->*ACallback)(Code, HookStruct, Blocked);
      });
}

void TuiHook::disableKeyboardHook() {
  if (!FDLLLoaded) return;
  gKeyboardHookOwner = nullptr;
  FProvider->DisableKeyboardHook();
}

void TuiHook::enableMouseHook(MouseCallback ACallback) {
  if (!FDLLLoaded) return;
  gMouseHookOwner = this;
  FProvider->EnableMouseHook(
      [this, ACallback](int Code, uint32_t Message, const TMSLLHOOKSTRUCT& HookStruct,
                        bool& Blocked) { (this->*ACallback)(Code, Message, HookStruct, Blocked); });
}

void TuiHook::disableMouseHook() {
  if (!FDLLLoaded) return;
  gMouseHookOwner = nullptr;
  FProvider->DisableMouseHook();
}

// ---- operations ----

void TuiHook::RecordKeyboardMacroKeyEx() {
  FLastMacroKey = {};
  FTotalMacroTime = 0;
  std::fill(std::begin(FAllKeyState), std::end(FAllKeyState), 0);
  FMacroKeyList.Clear();
  disableKeyboardHook();
  enableKeyboardHook(&TuiHook::recordKeyboardMacroKeyExCallback);
}

void TuiHook::StopRecordKeyboardMacroKeyEx() {
  StopRecordKeyboardMacroKey();
}

void TuiHook::StopRecordKeyboardMacroKey() {
  if (FDLLLoaded) {
    disableKeyboardHook();
    if (OnStopRecordKeyboardMacroKey) OnStopRecordKeyboardMacroKey(FMacroKeyList);
  }
  FMacroKeyList.Clear();
}

void TuiHook::RecordKeyboardComboKey() {
  disableKeyboardHook();
  enableKeyboardHook(&TuiHook::recordKeyboardComboKeyCallback);
  FLastTimeKeyboardCombo = 0;
}

void TuiHook::StopRecordKeyboardComboKey() {
  disableKeyboardHook();
  FLastTimeKeyboardCombo = 0;
}

void TuiHook::RecordKeyboardSingleKey() {
  disableKeyboardHook();
  enableKeyboardHook(&TuiHook::recordKeyboardSingleKeyCallback);
}

void TuiHook::StopRecordKeyboardSingleKey() {
  disableKeyboardHook();
}

void TuiHook::RecordKeyboardMacroKey() {
  FMacroKeyList.Clear();
  FLastTimeKeyboardMacro = 0;  // no gap before the first event
  disableKeyboardHook();
  enableKeyboardHook(&TuiHook::recordKeyboardMacroKeyCallback);
}

void TuiHook::StartHookKeyboard() {
  disableKeyboardHook();
  enableKeyboardHook(&TuiHook::hookKeyboardCallback);
}

void TuiHook::StopHookKeyboard() {
  disableKeyboardHook();
}

void TuiHook::RecordMouseMacro() {
  FMouseMacroKeyList.Clear();
  disableMouseHook();
  enableMouseHook(&TuiHook::recordMouseMacroCallback);
  FLastTimeMouseMacro = 0;
}

void TuiHook::StopRecordMouseMacro() {
  if (!FDLLLoaded) return;
  disableMouseHook();
  if (OnStopRecordMouseMacroKey) OnStopRecordMouseMacroKey(FMouseMacroKeyList);
}

void TuiHook::StartHookMouse() {
  disableMouseHook();
  enableMouseHook(&TuiHook::hookMouseCallback);
}

void TuiHook::StopHookMouse() {
  disableMouseHook();
}

void TuiHook::AddKeyboardHookObject(TKeyBoardHookDetailObject AObject) {
  std::string key = std::to_string(AObject.FKeyBoardHookDetail.KeyboardVKKey);
  FKeyboardHookObjectList.Add(std::move(key), AObject);
}

void TuiHook::AddMouseHookObject(TMouseHookDetailObject AObject) {
  std::string button = std::to_string(static_cast<int>(AObject.FMouseHookDetail.MouseButton));
  FMouseHookObjectList.Add(std::move(button), AObject);
}

void TuiHook::RemoveAllKeyboardHookObject() {
  FKeyboardHookObjectList.Clear();
}
void TuiHook::RemoveAllMouseHookObject() {
  FMouseHookObjectList.Clear();
}

void TuiHook::appendMacroKey(const TMACROKEYHOOK& AKey) {
  FMacroKeyList.Add(std::to_string(FMacroKeyList.Count()), TMacroKeyObject{AKey});
}

void TuiHook::appendMouseMacroKey(const TMOUSEMACROKEY& AKey) {
  FMouseMacroKeyList.Add(std::to_string(FMouseMacroKeyList.Count()), TMOUSEMacroKeyObject{AKey});
}

// ---- keyboard callbacks ----

void TuiHook::recordKeyboardMacroKeyExCallback(int, const TKBDLLHOOKSTRUCT& HookStruct,
                                               bool& Blocked) {
  if (!OnRecordKeyboardMacroKeyEx || FMacroKeyList.Count() > kMaxMacroKeyEntries) return;
  const KeyEvent e = keyEventOf(HookStruct);
  const bool press = e.state == 1;
  TKBDLLHOOKSTRUCT& R = FLastMacroKey;
  bool delayDue = false;
  if (R.vkCode == 0) {
    R = HookStruct;
    FTotalMacroTime = 0;
  } else if (HookStruct.vkCode == R.vkCode &&
             (HookStruct.flags & LLKHF_EXTENDED) == (R.flags & LLKHF_EXTENDED) &&
             (HookStruct.flags & LLKHF_UP) == (R.flags & LLKHF_UP) && press) {
    FTotalMacroTime = e.time - R.time;  // an auto-repeat: the held time grows, nothing else
  } else {
    FTotalMacroTime = e.time - R.time;
    R = HookStruct;
    delayDue = true;
    if (!press && e.key < 256) FAllKeyState[e.key] = 0;
  }
  if (delayDue && FTotalMacroTime > 0) {
    if (FTotalMacroTime > kMaxMacroGap) FTotalMacroTime = kMaxMacroGap;
    TMACROKEYHOOK delay;
    delay.nKeyType = 0;
    delay.nKeyValue = static_cast<uint16_t>(FTotalMacroTime);
    appendMacroKey(delay);
  }
  // Keys past the held-key table are recorded every time; no virtual key reaches 256.
  if (e.key >= 256 || FAllKeyState[e.key] == 0) {
    if (press && e.key < 256) FAllKeyState[e.key] = 1;
    TMACROKEYHOOK key;
    key.nKeyType = 1;
    key.nKeyState = static_cast<uint16_t>(e.state);
    key.nKeyValue = static_cast<uint16_t>(e.key);
    key.nKeyValueExtended = static_cast<uint16_t>(e.extended);
    appendMacroKey(key);
    OnRecordKeyboardMacroKeyEx(1, static_cast<int>(e.key), e.state, e.extended, e.time,
                               FTotalMacroTime, keyDescription(e.key, e.extended),
                               stateText(e.state), FMacroKeyList);
  }
  Blocked = true;
}

void TuiHook::recordKeyboardComboKeyCallback(int, const TKBDLLHOOKSTRUCT& HookStruct,
                                             bool& Blocked) {
  if (!OnRecordKeyboardComboKey && !OnRecordKeyboardComboKey2) return;
  const KeyEvent e = keyEventOf(HookStruct);
  if (e.state == 0 || isModifierKey(e.key)) return;  // passed on

  TCOMBOKEY& c = FComboKeyInfo;
  FComboKeyString.clear();
  c.nModifier = 0;
  if (c.nKeyValue1 && c.nKeyValue2) {  // a new combination begins
    c.nKeyValue1 = c.nKeyValue1Extended = 0;
    c.nKeyValue2 = c.nKeyValue2Extended = 0;
    c.nScanKey1 = c.nScanKey2 = 0;
  }
  if (FProvider->IsKeyDown(17)) {
    c.nModifier |= 2;
    FComboKeyString += "Ctrl+";
  }
  if (FProvider->IsKeyDown(18)) {
    c.nModifier |= 1;
    FComboKeyString += "Alt+";
  }
  if (FProvider->IsKeyDown(91) || FProvider->IsKeyDown(92)) {
    c.nModifier |= 8;
    FComboKeyString += "Win+";
  }
  if (FProvider->IsKeyDown(16)) {
    c.nModifier |= 4;
    FComboKeyString += "Shift+";
  }

  const uint16_t key = static_cast<uint16_t>(e.key);
  const uint16_t ext = static_cast<uint16_t>(e.extended);
  // Signed, so that a clock that wrapped between two keys still gives their distance.
  const int64_t gap = static_cast<int32_t>(e.time - FLastTimeKeyboardCombo);
  if (gap > 100 || gap < -100) {
    c.nKeyValue1 = key;
    c.nKeyValue1Extended = ext;
    c.nScanKey1 = e.scan;
    c.nKeyValue2 = c.nKeyValue2Extended = 0;
    c.nScanKey2 = 0;
  } else if (c.nKeyValue1 == 0) {
    c.nKeyValue1 = key;
    c.nKeyValue1Extended = ext;
    c.nScanKey1 = e.scan;
  } else if (c.nKeyValue2 == 0) {
    if (key != c.nKeyValue1) {
      c.nKeyValue2 = key;
      c.nKeyValue2Extended = ext;
      c.nScanKey2 = e.scan;
    }
  }
  FLastTimeKeyboardCombo = e.time;

  std::string text = keyDescription(c.nKeyValue1, c.nKeyValue1Extended);
  if (c.nKeyValue2) text += "+" + keyDescription(c.nKeyValue2, c.nKeyValue2Extended);
  if (!text.empty()) {
    FComboKeyString += text;
    if (OnRecordKeyboardComboKey)
      OnRecordKeyboardComboKey(c.nKeyValue1, c.nKeyValue1Extended, c.nKeyValue2,
                               c.nKeyValue2Extended, c.nModifier, FComboKeyString);
    else
      OnRecordKeyboardComboKey2(c.nKeyValue1, static_cast<int>(c.nScanKey1), c.nKeyValue1Extended,
                                c.nKeyValue2, static_cast<int>(c.nScanKey2), c.nKeyValue2Extended,
                                c.nModifier, FComboKeyString);
  }
  Blocked = true;
}

void TuiHook::recordKeyboardSingleKeyCallback(int, const TKBDLLHOOKSTRUCT& HookStruct,
                                              bool& Blocked) {
  if (!OnRecordKeyboardSingleKey) return;
  const KeyEvent e = keyEventOf(HookStruct);
  OnRecordKeyboardSingleKey(static_cast<int>(e.key), e.scan, e.state, e.extended,
                            keyDescription(e.key, e.extended), Blocked);
}

void TuiHook::recordKeyboardMacroKeyCallback(int, const TKBDLLHOOKSTRUCT& HookStruct,
                                             bool& Blocked) {
  if (!OnRecordKeyboardMacroKey || FMacroKeyList.Count() > kMaxMacroKeyEntries) return;
  const KeyEvent e = keyEventOf(HookStruct);
  if (FLastTimeKeyboardMacro != 0) {
    const uint32_t gap = e.time - FLastTimeKeyboardMacro;
    if (gap > 10 && gap < 2000) {
      TMACROKEYHOOK delay;
      delay.nKeyValue = static_cast<uint16_t>(gap);
      delay.Time = e.time;
      delay.MacroKeyString = std::to_string(gap);
      delay.MacroKeyStateString = kMilliseconds;
      appendMacroKey(delay);
      OnRecordKeyboardMacroKey(0, static_cast<int>(gap), 0, 0, e.time, delay.MacroKeyString,
                               delay.MacroKeyStateString, FMacroKeyList);
    }
  }
  FLastTimeKeyboardMacro = e.time;
  TMACROKEYHOOK key;
  key.nKeyType = 1;
  key.nKeyState = static_cast<uint16_t>(e.state);
  key.nKeyValue = static_cast<uint16_t>(e.key);
  key.nKeyValueExtended = static_cast<uint16_t>(e.extended);
  key.Time = e.time;
  key.MacroKeyString = keyDescription(e.key, e.extended);
  key.MacroKeyStateString = stateText(e.state);
  appendMacroKey(key);
  OnRecordKeyboardMacroKey(1, static_cast<int>(e.key), e.state, e.extended, e.time,
                           key.MacroKeyString, key.MacroKeyStateString, FMacroKeyList);
  Blocked = true;
}

void TuiHook::hookKeyboardCallback(int Code, const TKBDLLHOOKSTRUCT& HookStruct, bool& Blocked) {
  if (Code != HC_ACTION) return;
  const KeyEvent e = keyEventOf(HookStruct);
  if (OnHookKeyboardAllKey)
    OnHookKeyboardAllKey(static_cast<int>(e.key), e.state, e.extended, Blocked, e.scan);
  if (!OnHookKeyboardKey) return;
  for (const auto& entry : FKeyboardHookObjectList) {
    const TKeyBoardHookDetail& f = entry.Object.FKeyBoardHookDetail;
    if (f.KeyboardVKKey == kEndOfKeyboardFilters) return;
    const bool byKey = f.KeyboardVKKey != 0 && static_cast<uint32_t>(f.KeyboardVKKey) == e.key;
    const bool byScan =
        f.KeyboardSCANKey != 0 && static_cast<uint32_t>(f.KeyboardSCANKey) == e.scan;
    if (!(byKey || byScan) || f.KeyExtended != e.extended) continue;
    if (f.block == 1) Blocked = true;
    OnHookKeyboardKey(static_cast<int>(e.key), e.state, e.extended, Blocked, e.scan);
    return;
  }
}

// ---- mouse callbacks ----

void TuiHook::recordMouseMacroCallback(int, uint32_t Message, const TMSLLHOOKSTRUCT& HookStruct,
                                       bool&) {
  if (HookStruct.flags & LLMHF_INJECTED) return;
  const MouseEvent e = mouseEventOf(Message, HookStruct);
  const uint32_t time = HookStruct.time;
  const uint16_t x = word16(HookStruct.pt.x), y = word16(HookStruct.pt.y);
  if (FLastTimeMouseMacro == 0) {
    FLastTimeMouseMacro = time;
  } else if (static_cast<int32_t>(time - FLastTimeMouseMacro) < 0) {
    FLastTimeMouseMacro = 0;  // out of order: dropped, and the next event starts afresh
    return;
  } else {
    const uint32_t gap = time - FLastTimeMouseMacro;
    FLastTimeMouseMacro = time;
    TMOUSEMACROKEY delay;
    delay.X = x;
    delay.Y = y;
    delay.TimeValue = static_cast<uint16_t>(gap > kMaxMacroGap ? kMaxMacroGap : gap);
    delay.Time = time;
    delay.MacroKeyString = std::to_string(delay.TimeValue);
    delay.MacroKeyStateString = kMilliseconds;
    appendMouseMacroKey(delay);
    if (OnRecordMouseMacroKey)
      OnRecordMouseMacroKey(0, TMouseButtons::BUTTON_NONE, 0, x, y, time, delay.MacroKeyString,
                            delay.MacroKeyStateString, FMouseMacroKeyList);
  }
  if (e.button == TMouseButtons::BUTTON_NONE) return;
  TMOUSEMACROKEY button;
  button.nKeyType = 1;
  button.nKeyState = static_cast<uint16_t>(e.state);
  button.MouseButton = e.button;
  button.X = x;
  button.Y = y;
  button.Time = time;
  button.MacroKeyString = GetMouseButtonDescription(e.button);
  button.MacroKeyStateString = stateText(e.state);
  appendMouseMacroKey(button);
  if (OnRecordMouseMacroKey)
    OnRecordMouseMacroKey(1, e.button, e.state, x, y, time, button.MacroKeyString,
                          button.MacroKeyStateString, FMouseMacroKeyList);
}

void TuiHook::hookMouseCallback(int, uint32_t Message, const TMSLLHOOKSTRUCT& HookStruct,
                                bool& Blocked) {
  if (HookStruct.flags & LLMHF_INJECTED) return;
  if (Message == WM_MOUSEMOVE) {
    if (OnHookMouseMove) OnHookMouseMove(HookStruct.pt.x, HookStruct.pt.y, HookStruct.time);
    return;
  }
  const MouseEvent e = mouseEventOf(Message, HookStruct);
  const bool carriesWord = Message == WM_MOUSEWHEEL || Message == WM_MOUSEHWHEEL ||
                           (Message >= WM_XBUTTONDOWN && Message <= WM_XBUTTONDOWN + 2);
  const int16_t exValue = carriesWord ? MouseDataWordOf(HookStruct.mouseData) : 0;
  if (OnHookMouseAllButton) OnHookMouseAllButton(e.button, e.state, exValue, Blocked);
  if (!OnHookMouseButton) return;
  const uint32_t state = Message - WM_MOUSEFIRST;
  if (Message < WM_MOUSEFIRST || state > 15) return;
  for (const auto& entry : FMouseHookObjectList) {
    const TMouseHookDetail& f = entry.Object.FMouseHookDetail;
    // Filters name their button exactly, as keyboard filters name their key.
    if (!(f.MouseStateSet & (1u << state)) || f.MouseButton != e.button) continue;
    if (f.ModifiedFunction != e.button) OnHookMouseButton(e.button, e.state, Blocked);
    return;
  }
}

// ---- worker path ----

void TuiHook::QueueRecordData(const TRecordDataEntry& AEntry) {
  {
    std::lock_guard guard(FEventLock);
    FRecordDataToProcessList.push_back(AEntry);
    FGlobalDataEvent = true;
  }
  FEventSignal.notify_all();
}

void TuiHook::workerLoop() {
  std::unique_lock lock(FEventLock);
  for (;;) {
    FEventSignal.wait(lock, [this] { return FGlobalEvent || FGlobalDataEvent; });
    if (FGlobalEvent) return;
    FGlobalDataEvent = false;
    if (!FEnvironment.RunOnUiThread) continue;
    lock.unlock();
    // The call may run after this component is gone; the token tells it.
    FEnvironment.RunOnUiThread([this, alive = std::weak_ptr<int>(FAlive)] {
      if (!alive.expired()) ProcessDataEvent();
    });
    lock.lock();
  }
}

void TuiHook::ProcessDataEvent() {
  std::vector<TRecordDataEntry> entries;
  {
    std::lock_guard guard(FEventLock);
    entries.swap(FRecordDataToProcessList);
  }
  for (const TRecordDataEntry& d : entries) {
    if (d.Tag == kRecordDataKeyboard && OnRecordKeyboardMacroKey) {
      const TMACROKEYHOOK& k = d.MacroKey;
      OnRecordKeyboardMacroKey(k.nKeyType, k.nKeyValue, k.nKeyState, k.nKeyValueExtended, k.Time,
                               k.MacroKeyString, k.MacroKeyStateString, FMacroKeyList);
    } else if (d.Tag == kRecordDataMouse && OnRecordMouseMacroKey) {
      const TMOUSEMACROKEY& m = d.MouseMacroKey;
      OnRecordMouseMacroKey(m.nKeyType, m.MouseButton, m.nKeyState, m.X, m.Y, m.Time,
                            m.MacroKeyString, m.MacroKeyStateString, FMouseMacroKeyList);
    }
  }
}

}  // namespace qor
