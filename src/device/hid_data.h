// SPDX-License-Identifier: GPL-2.0-or-later
// TuiHIDData: finds the mouse's HID interfaces and exchanges reports with them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "device/hid_backend.h"
#include "device/usage_pair.h"
#include "platform/exchange_lock.h"

namespace qor {

// One report buffer: the report ID, then the rest of the report.
struct THidReallyData {
  uint8_t ReportID = 0;
  uint8_t DATAReally[65535] = {};
  // Feature reports: the whole length, ReportID included. Output reports: the bytes after it.
  uint32_t DATASIZE = 0;
};
// The report goes to and comes from the driver as one run of bytes starting at ReportID.
static_assert(offsetof(THidReallyData, DATAReally) == 1);
static_assert(offsetof(THidReallyData, DATASIZE) == 65536);

// One report request.
struct THIDDataParam {
  USAGE_AND_PAGE UsageAndPage{0, 0};  // the collection the interface must have
  std::string DeviceID;               // "" or "*": any interface the include list allows
  THidReallyData Data;
  uintptr_t DeviceHandle = 0;  // set by HidFindAndSetFeatureReport; not used by callers
};

using TuiHIDDataReceived =
    std::function<void(const std::string& ADeviceID, const std::string& ADevicePath,
                       uint8_t ReportID, const uint8_t* Data, uint16_t Size)>;
using TuiHIDParsedDataReceived =
    std::function<void(const std::string& ADeviceID, const std::string& ADevicePath,
                       uint8_t ReportID, uint32_t ButtonData)>;
using TuiHIDDeviceNotConnected =
    std::function<void(const std::string& ADeviceID, const std::string& ADevicePath)>;

// The rule by which a request picks interfaces: a DeviceID other than "" and "*" must be one
// of the interface's hardware IDs; else the include list decides (empty: every interface; else
// one of its entries must be one of the hardware IDs). Whole texts, letter case ignored.
bool IsAllowedInterface(const std::string& DeviceID, const std::vector<std::string>& includeList,
                        const std::vector<std::string>& hardwareIds);

class TuiHIDData {
 public:
  // `includeList`: hardware IDs from config.ini (ReadIncludeList); `backend` must
  // outlive the component. `configCollection`: the collection the device commands go to.
  TuiHIDData(HidBackend& backend, std::vector<std::string> includeList,
             USAGE_AND_PAGE configCollection = kMouseConfigUsage);
  ~TuiHIDData();
  TuiHIDData(const TuiHIDData&) = delete;
  TuiHIDData& operator=(const TuiHIDData&) = delete;

  // Every operation enumerates afresh and acts on each matching interface in enumeration
  // order. The exchanges return the interface's error, if any (errno values, generic
  // category): no_such_device when no interface was acted on, no_lock_available when an
  // interface's exchange lock could not be had (see HandleHold).
  std::error_code HidFindAndSetFeatureReport(THIDDataParam& ReportData);
  std::error_code HidFindAndGetFeatureReport(THIDDataParam& ReportData);
  bool IsDeviceExist(const THIDDataParam& ReportData);
  bool HidFindAndWriteDevice(THIDDataParam& ReportData);
  bool HidFindAndWriteDeviceBYHID(THIDDataParam& ReportData);
  // Starts one reader thread per matching interface. The threads take the event handlers,
  // FastOnData and PostToMainThread as they are now: assign them first.
  void HidFindAndReadDevice(USAGE_AND_PAGE UsageAndPage, const std::string& HIDID);
  // Stops every reader thread and waits for it (a thread calling this from its own event
  // ends once its handler returns); no event of a stopped reader is raised afterwards.
  void HidStopRead();
  std::vector<std::string> GetHIDDeviceList() const;
  // Takes a new include list (the window and the monitor read it again at a device change);
  // the next operation uses it.
  void SetHIDDeviceList(std::vector<std::string> includeList);

  // A hold spans one sequence of exchanges (a model query, a backup, an Apply). While it
  // lives, an interface opened by an operation stays open for the next ones as long as each
  // enumeration shows it with the same identity: a device's first open can cost its driver
  // 50 ms, and one Apply makes a dozen exchanges. An interface whose exchange fails, that is
  // gone or replaced, is closed; when the last hold ends, all are.
  // Every exchange holds the interface's ExchangeLock, which every process takes: within a
  // hold from its first exchange with the interface until the hold ends, so that another
  // program's reports never come between a sequence's; outside a hold for the one operation.
  // Opening and presence checks send nothing and take no lock. An exchange whose lock cannot
  // be had is not made: the operation returns no_lock_available (false for the writes),
  // LockProblem() says why.
  class HandleHold {
   public:
    explicit HandleHold(TuiHIDData& owner);
    ~HandleHold();
    HandleHold(const HandleHold&) = delete;
    HandleHold& operator=(const HandleHold&) = delete;

   private:
    TuiHIDData& FOwner;
  };
  [[nodiscard]] HandleHold KeepHandlesOpen() { return HandleHold(*this); }
  // Opens every interface with `collection` that the include list allows, so that the
  // exchanges of a hold find them open. Safe to call from another thread than the exchanges.
  void OpenInterfaces(USAGE_AND_PAGE collection);
  // Why the last exchange lock this component tried to take was not had; "" when it was.
  std::string LockProblem() const;
  // An exchange's error as text for the user: LockProblem() for no_lock_available, else the
  // error's message.
  std::string ResultText(std::error_code error) const;
  // The collection the device commands go to.
  USAGE_AND_PAGE GetUsageAndPage() const { return FUsageAndPage; }

  std::string DeviceID;
  TuiHIDDataReceived OnData;
  TuiHIDParsedDataReceived OnParsedData;
  TuiHIDDeviceNotConnected OnDeviceNotConnected;
  bool FastOnData = false;
  // Queues a task on the owner's main thread without waiting for it. OnData and OnParsedData
  // go through it unless FastOnData is set; without it they are raised on the reader thread.
  std::function<void(std::function<void()>)> PostToMainThread;

 private:
  struct Reader;

  // What an operation does with an interface: open it only, or exchange reports with it.
  enum class Use { Open, Exchange };
  // Calls act(info, device) on each enumerated interface with `collection` that admit(info)
  // accepts and that opens, in enumeration order (only the first with `firstOnly`); with
  // Use::Exchange only while holding the interface's exchange lock. act returns its
  // exchange's result: a failure closes a held interface. Returns ENOLCK when an interface
  // was left out for want of its lock, else 0.
  template <typename Admit, typename Act>
  int forEachMatching(USAGE_AND_PAGE collection, Use use, Admit admit, Act act,
                      bool firstOnly = false);
  // The held handle of `info`, opened now when there is none; null when it cannot be opened.
  HidDevice* heldDevice(const HidInterfaceInfo& info);
  // Whether an exchange with the interface at `path` may go ahead: its exchange lock is the
  // hold's (taken now if need be) or, outside a hold, taken now into `own`.
  bool exchangeLocked(const std::string& path, std::unique_ptr<ExchangeLock>& own);
  // Closes the held handles of interfaces that are not in `present` as they were.
  void closeGone(const std::vector<HidInterfaceInfo>& present);

  struct HeldHandle {
    std::string identity;
    std::unique_ptr<HidDevice> device;
  };

  HidBackend& FBackend;
  const USAGE_AND_PAGE FUsageAndPage;
  std::vector<std::string> FHidDeviceList;
  // Serialises the operations: OpenInterfaces may run beside the exchanges.
  mutable std::mutex FOperationLock;
  int FHolds = 0;
  std::map<std::pair<std::string, uint32_t>, HeldHandle> FHeld;     // by path and collection
  std::map<std::string, std::unique_ptr<ExchangeLock>> FHeldLocks;  // by path, for the hold
  std::string FLockProblem;
  std::mutex FReadersLock;  // reader handlers may call HidStopRead
  std::vector<std::unique_ptr<Reader>> FReaders;
};

}  // namespace qor
