// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/hid_data.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string_view>

#include "device/report_descriptor.h"
#include "model/ascii_text.h"

namespace qor {
namespace {

// ReportID and DATAReally form one run of bytes, the largest report a request can hold.
constexpr std::size_t kReportBufferBytes = 1 + sizeof(THidReallyData::DATAReally);

uint8_t* reportBytes(THidReallyData& data) {
  return reinterpret_cast<uint8_t*>(&data);
}

bool listHas(const std::vector<std::string>& list, std::string_view id) {
  for (const std::string& entry : list)
    if (equalsNoCase(entry, id)) return true;
  return false;
}

bool includeListMatches(const std::vector<std::string>& include,
                        const std::vector<std::string>& hardwareIds) {
  for (const std::string& entry : include)
    if (listHas(hardwareIds, entry)) return true;
  return false;
}

// The reader's own order: the include list first, then the named ID, "*" for the list's IDs.
bool readerAllowed(const std::string& hidId, const std::vector<std::string>& include,
                   const std::vector<std::string>& hardwareIds) {
  if (include.empty()) return true;
  if (hidId != "*") return listHas(hardwareIds, hidId);
  return includeListMatches(include, hardwareIds);
}

// The backends report errno values; 0 is no error.
std::error_code errnoError(int value) {
  return value ? std::error_code(value, std::generic_category()) : std::error_code();
}

bool hasCollection(const HidInterfaceInfo& info, USAGE_AND_PAGE collection) {
  return info.usagePage == collection.UsagePage && info.usage == collection.Usage;
}

// A reader waits this long for a report before it looks at its stop flag again.
constexpr int kReadSliceMs = 10;
// Button usages kept per report, as many as the parser's usage lists hold.
constexpr std::size_t kMaxButtonUsages = 100;

struct InputHandlers {
  TuiHIDDataReceived onData;
  TuiHIDParsedDataReceived onParsedData;
};

// Everything a reader thread uses, owned by the thread: it never reaches back into the
// component, so a thread that outlives it stays sound.
struct ReaderContext {
  std::string deviceId;
  std::string path;
  std::unique_ptr<HidDevice> device;
  std::optional<HidCollectionCaps> caps;
  bool usesReportIds = false;
  uint32_t inputReportLength = 0;
  std::shared_ptr<const InputHandlers> handlers;
  TuiHIDDeviceNotConnected onDeviceNotConnected;
  bool fast = false;
  std::function<void(std::function<void()>)> post;
  std::shared_ptr<std::atomic<bool>> stop;
  std::shared_ptr<std::atomic<bool>> finished;
};

// ButtonData of one report: the first button released since the previous report of this
// interface in the low 16 bits, else the first one newly pressed in the high 16 bits.
uint32_t buttonData(const ReaderContext& c, const std::vector<uint8_t>& report,
                    std::vector<uint16_t>& previous) {
  if (!c.caps) return 0;
  const std::size_t n = std::min<std::size_t>(MaxInputButtonUsages(*c.caps), kMaxButtonUsages);
  if (n == 0) return 0;
  const auto current = InputButtonUsagesOn(*c.caps, report.data(), report.size(), n);
  if (!current) return 0;
  auto firstMissing = [](const std::vector<uint16_t>& from, const std::vector<uint16_t>& in) {
    for (uint16_t u : from)
      if (std::find(in.begin(), in.end(), u) == in.end()) return u;
    return uint16_t{0};
  };
  const uint16_t released = firstMissing(previous, *current);
  const uint16_t pressed = firstMissing(*current, previous);
  previous = *current;
  return released ? uint32_t{released} : uint32_t{pressed} << 16;
}

void deliver(const ReaderContext& c, const std::vector<uint8_t>& report, std::size_t length,
             std::vector<uint16_t>& previous) {
  const uint32_t buttons = c.handlers->onParsedData ? buttonData(c, report, previous) : 0;
  auto raise = [handlers = c.handlers, id = c.deviceId, path = c.path,
                bytes = std::vector<uint8_t>(report.begin(), report.begin() + length), buttons] {
    const auto size = static_cast<uint16_t>(std::min<std::size_t>(bytes.size() - 1, 0xFFFF));
    if (handlers->onData) handlers->onData(id, path, bytes[0], bytes.data() + 1, size);
    if (handlers->onParsedData) handlers->onParsedData(id, path, bytes[0], buttons);
  };
  if (c.fast || !c.post) {
    raise();
    return;
  }
  // Queued, not waited for: a stop requested meanwhile drops the event.
  c.post([stop = c.stop, raise = std::move(raise)] {
    if (!stop->load()) raise();
  });
}

void readReports(ReaderContext& c) {
  std::vector<uint8_t> report(std::max<uint32_t>(c.inputReportLength, 2));
  // Reports of a device without report IDs arrive without an ID byte; Windows puts a zero
  // ID byte in front of them, and so do we.
  const std::size_t idByte = c.usesReportIds ? 0 : 1;
  std::vector<uint16_t> previous;
  while (!c.stop->load()) {
    std::fill(report.begin(), report.end(), uint8_t{0});
    std::size_t got = 0;
    const std::size_t room = report.size() - idByte;
    const int error = c.device->read(report.data() + idByte, room, kReadSliceMs, got);
    if (c.stop->load()) break;
    if (error == ENODEV) {
      if (c.onDeviceNotConnected) c.onDeviceNotConnected(c.deviceId, c.path);
      break;
    }
    if (error == EINTR || error == EAGAIN) continue;
    if (error != 0) break;  // the interface cannot be read any more
    if (got == 0) continue;
    deliver(c, report, std::min(got, room) + idByte, previous);
  }
}

void runReader(ReaderContext c) {
  try {
    readReports(c);
  } catch (...) {
    // A handler that throws ends its reader, never the process.
  }
  c.device.reset();
  c.finished->store(true);
}

}  // namespace

bool IsAllowedInterface(const std::string& DeviceID, const std::vector<std::string>& includeList,
                        const std::vector<std::string>& hardwareIds) {
  if (!DeviceID.empty() && DeviceID != "*") return listHas(hardwareIds, DeviceID);
  return includeList.empty() || includeListMatches(includeList, hardwareIds);
}

struct TuiHIDData::Reader {
  std::shared_ptr<std::atomic<bool>> stop = std::make_shared<std::atomic<bool>>(false);
  std::shared_ptr<std::atomic<bool>> finished = std::make_shared<std::atomic<bool>>(false);
  std::thread thread;
};

TuiHIDData::TuiHIDData(HidBackend& backend, std::vector<std::string> includeList,
                       USAGE_AND_PAGE configCollection)
    : FBackend(backend), FUsageAndPage(configCollection), FHidDeviceList(std::move(includeList)) {}

std::vector<std::string> TuiHIDData::GetHIDDeviceList() const {
  std::lock_guard lock(FOperationLock);
  return FHidDeviceList;
}

void TuiHIDData::SetHIDDeviceList(std::vector<std::string> includeList) {
  std::lock_guard lock(FOperationLock);
  FHidDeviceList = std::move(includeList);
}

TuiHIDData::~TuiHIDData() {
  HidStopRead();
  // Left only when a reader's own handler destroys the component; it owns all it uses.
  for (std::unique_ptr<Reader>& r : FReaders) r->thread.detach();
}

TuiHIDData::HandleHold::HandleHold(TuiHIDData& owner) : FOwner(owner) {
  std::lock_guard lock(FOwner.FOperationLock);
  ++FOwner.FHolds;
}

TuiHIDData::HandleHold::~HandleHold() {
  std::lock_guard lock(FOwner.FOperationLock);
  if (--FOwner.FHolds > 0) return;
  FOwner.FHeld.clear();
  FOwner.FHeldLocks.clear();
}

std::string TuiHIDData::LockProblem() const {
  std::lock_guard lock(FOperationLock);
  return FLockProblem;
}

std::string TuiHIDData::ResultText(std::error_code error) const {
  if (error == std::errc::no_lock_available)
    if (std::string problem = LockProblem(); !problem.empty()) return problem;
  return error.message();
}

bool TuiHIDData::exchangeLocked(const std::string& path, std::unique_ptr<ExchangeLock>& own) {
  if (FHolds > 0 && FHeldLocks.count(path)) return true;
  std::string problem;
  std::unique_ptr<ExchangeLock> lock = ExchangeLock::Acquire(path, problem);
  FLockProblem = problem;
  if (!lock) return false;
  if (FHolds > 0)
    FHeldLocks[path] = std::move(lock);
  else
    own = std::move(lock);
  return true;
}

void TuiHIDData::closeGone(const std::vector<HidInterfaceInfo>& present) {
  std::erase_if(FHeld, [&](const auto& held) {
    return std::none_of(present.begin(), present.end(), [&](const HidInterfaceInfo& info) {
      return info.path == held.first.first && info.collection == held.first.second &&
             info.identity == held.second.identity;
    });
  });
}

HidDevice* TuiHIDData::heldDevice(const HidInterfaceInfo& info) {
  HeldHandle& held = FHeld[{info.path, info.collection}];
  if (!held.device) {
    int openError = 0;
    held.device = FBackend.open(info, openError);
    held.identity = info.identity;
  }
  if (held.device) return held.device.get();
  FHeld.erase({info.path, info.collection});
  return nullptr;
}

template <typename Admit, typename Act>
int TuiHIDData::forEachMatching(USAGE_AND_PAGE collection, Use use, Admit admit, Act act,
                                bool firstOnly) {
  std::lock_guard lock(FOperationLock);
  const std::vector<HidInterfaceInfo> present = FBackend.enumerate();
  if (FHolds > 0) closeGone(present);
  int refused = 0;
  for (const HidInterfaceInfo& info : present) {
    if (!hasCollection(info, collection) || !admit(info)) continue;
    // Fails closed: an interface whose lock cannot be had is sent nothing.
    std::unique_ptr<ExchangeLock> ownLock;
    if (use == Use::Exchange && !exchangeLocked(info.path, ownLock)) {
      refused = ENOLCK;
      continue;
    }
    // An interface without an identity could be another device by the next call.
    const bool hold = FHolds > 0 && !info.identity.empty();
    std::unique_ptr<HidDevice> own;
    HidDevice* device = nullptr;
    if (hold) {
      device = heldDevice(info);
    } else {
      int openError = 0;
      own = FBackend.open(info, openError);
      device = own.get();
    }
    // An interface that cannot be opened is skipped, as one that is not there.
    if (!device) continue;
    // A failed exchange may have left the handle unusable: the next one opens afresh.
    if (act(info, *device) != 0 && hold) FHeld.erase({info.path, info.collection});
    if (firstOnly) break;
  }
  return refused;
}

void TuiHIDData::OpenInterfaces(USAGE_AND_PAGE collection) {
  forEachMatching(
      collection, Use::Open,
      [&](const HidInterfaceInfo& info) {
        return IsAllowedInterface("", FHidDeviceList, info.hardwareIds);
      },
      [](const HidInterfaceInfo&, HidDevice&) { return 0; });
}

std::error_code TuiHIDData::HidFindAndSetFeatureReport(THIDDataParam& ReportData) {
  const uint32_t size = ReportData.Data.DATASIZE;
  if (size > kReportBufferBytes) return std::make_error_code(std::errc::invalid_argument);
  // No interface acted on means no mouse took the report: report it as a missing device.
  int result = ENODEV;
  const int refused = forEachMatching(
      ReportData.UsageAndPage, Use::Exchange,
      [&](const HidInterfaceInfo& info) {
        return IsAllowedInterface(ReportData.DeviceID, FHidDeviceList, info.hardwareIds) &&
               info.featureReportByteLength >= size;
      },
      [&](const HidInterfaceInfo&, HidDevice& device) {
        // Identifies the interface last written to; the device is closed again on return.
        ReportData.DeviceHandle = reinterpret_cast<uintptr_t>(&device);
        result = device.setFeature(reportBytes(ReportData.Data), size);
        return result;
      });
  return errnoError(refused ? refused : result);
}

std::error_code TuiHIDData::HidFindAndGetFeatureReport(THIDDataParam& ReportData) {
  const uint32_t size = ReportData.Data.DATASIZE;
  if (size > kReportBufferBytes) return std::make_error_code(std::errc::invalid_argument);
  // No interface acted on means no mouse answered: report it as a missing device.
  int result = ENODEV;
  std::vector<uint8_t> buffer(size == 0 ? 1 : size);
  const int refused = forEachMatching(
      ReportData.UsageAndPage, Use::Exchange,
      [&](const HidInterfaceInfo& info) {
        return IsAllowedInterface(ReportData.DeviceID, FHidDeviceList, info.hardwareIds) &&
               info.featureReportByteLength >= size;
      },
      [&](const HidInterfaceInfo&, HidDevice& device) {
        std::fill(buffer.begin(), buffer.end(), uint8_t{0});
        buffer[0] = ReportData.Data.ReportID;
        result = device.getFeature(buffer.data(), size);
        // A failed read leaves the caller's report as it was.
        if (result == 0) std::memcpy(reportBytes(ReportData.Data), buffer.data(), size);
        return result;
      });
  return errnoError(refused ? refused : result);
}

bool TuiHIDData::IsDeviceExist(const THIDDataParam& ReportData) {
  bool found = false;
  forEachMatching(
      ReportData.UsageAndPage, Use::Open,
      [&](const HidInterfaceInfo& info) {
        return IsAllowedInterface(ReportData.DeviceID, FHidDeviceList, info.hardwareIds);
      },
      [&](const HidInterfaceInfo&, HidDevice&) {
        found = true;
        return 0;
      },
      true);
  return found;
}

bool TuiHIDData::HidFindAndWriteDevice(THIDDataParam& ReportData) {
  // DATASIZE counts the bytes after ReportID; the whole report must fit the output report.
  const uint64_t size = uint64_t{ReportData.Data.DATASIZE} + 1;
  if (size > kReportBufferBytes) return false;
  bool written = false;
  forEachMatching(
      ReportData.UsageAndPage, Use::Exchange,
      [&](const HidInterfaceInfo& info) {
        return IsAllowedInterface(ReportData.DeviceID, FHidDeviceList, info.hardwareIds) &&
               info.outputReportByteLength >= size;
      },
      [&](const HidInterfaceInfo&, HidDevice& device) {
        const int r = device.write(reportBytes(ReportData.Data), static_cast<std::size_t>(size));
        if (r == 0) written = true;
        return r;
      });
  return written;
}

bool TuiHIDData::HidFindAndWriteDeviceBYHID(THIDDataParam& ReportData) {
  // Here DATASIZE counts the whole report, ReportID included; every interface is allowed.
  const uint32_t size = ReportData.Data.DATASIZE;
  if (size > kReportBufferBytes) return false;
  bool written = false;
  forEachMatching(
      ReportData.UsageAndPage, Use::Exchange,
      [&](const HidInterfaceInfo& info) { return info.outputReportByteLength >= size; },
      [&](const HidInterfaceInfo&, HidDevice& device) {
        const int r = device.write(reportBytes(ReportData.Data), size);
        if (r == 0) written = true;
        return r;
      });
  return written;
}

void TuiHIDData::HidFindAndReadDevice(USAGE_AND_PAGE UsageAndPage, const std::string& HIDID) {
  {
    std::lock_guard lock(FReadersLock);
    std::erase_if(FReaders, [](std::unique_ptr<Reader>& r) {
      if (!r->finished->load()) return false;
      r->thread.join();
      return true;
    });
  }
  auto handlers = std::make_shared<const InputHandlers>(InputHandlers{OnData, OnParsedData});
  forEachMatching(
      UsageAndPage, Use::Open,
      [&](const HidInterfaceInfo& info) {
        return readerAllowed(HIDID, FHidDeviceList, info.hardwareIds);
      },
      [&](const HidInterfaceInfo& info, HidDevice&) {
        // The reader reads through a handle of its own; one that cannot be opened starts none.
        int openError = 0;
        ReaderContext c;
        c.device = FBackend.open(info, openError);
        if (!c.device) return 0;
        c.deviceId = info.hardwareIds.empty() ? std::string() : info.hardwareIds.front();
        c.path = info.path;
        const auto descriptor = ParsedDescriptor(info);
        if (info.collection < descriptor->collections.size())
          c.caps = descriptor->collections[info.collection];
        c.usesReportIds = descriptor->usesReportIds;
        c.inputReportLength = info.inputReportByteLength;
        c.handlers = handlers;
        c.onDeviceNotConnected = OnDeviceNotConnected;
        c.fast = FastOnData;
        c.post = PostToMainThread;
        auto reader = std::make_unique<Reader>();
        c.stop = reader->stop;
        c.finished = reader->finished;
        reader->thread = std::thread(runReader, std::move(c));
        std::lock_guard lock(FReadersLock);
        FReaders.push_back(std::move(reader));
        return 0;
      });
}

void TuiHIDData::HidStopRead() {
  std::vector<std::unique_ptr<Reader>> readers;
  {
    std::lock_guard lock(FReadersLock);
    readers.swap(FReaders);
  }
  for (std::unique_ptr<Reader>& r : readers) r->stop->store(true);
  for (std::unique_ptr<Reader>& r : readers) {
    if (r->thread.get_id() != std::this_thread::get_id()) {
      r->thread.join();
      continue;
    }
    // Called from this reader's own handler: it ends when the handler returns.
    std::lock_guard lock(FReadersLock);
    FReaders.push_back(std::move(r));
  }
}

}  // namespace qor
