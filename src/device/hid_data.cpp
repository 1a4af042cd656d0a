#include "device/hid_data.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

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

// The rule of every request operation: a named device ID must be one of the interface's
// hardware IDs; "" and "*" leave the choice to the include list (empty: any interface).
bool allowedFor(const std::string& deviceId, const std::vector<std::string>& include,
                const std::vector<std::string>& hardwareIds) {
  if (!deviceId.empty() && deviceId != "*") return listHas(hardwareIds, deviceId);
  return include.empty() || includeListMatches(include, hardwareIds);
}

bool hasCollection(const HidInterfaceInfo& info, USAGE_AND_PAGE collection) {
  return info.usagePage == collection.UsagePage && info.usage == collection.Usage;
}

}  // namespace

TuiHIDData::TuiHIDData(HidBackend& backend, std::vector<std::string> includeList)
    : FBackend(backend), FHidDeviceList(std::move(includeList)) {}

TuiHIDData::~TuiHIDData() = default;

template <typename Admit, typename Act>
void TuiHIDData::forEachMatching(USAGE_AND_PAGE collection, Admit admit, Act act) {
  for (const HidInterfaceInfo& info : FBackend.enumerate()) {
    if (!hasCollection(info, collection) || !admit(info)) continue;
    int openError = 0;
    std::unique_ptr<HidDevice> device = FBackend.open(info, openError);
    // An interface that cannot be opened is skipped, as one that is not there.
    if (!device) continue;
    if (!act(info, *device)) return;
  }
}

uint32_t TuiHIDData::HidFindAndSetFeatureReport(THIDDataParam& ReportData) {
  const uint32_t size = ReportData.Data.DATASIZE;
  if (size > kReportBufferBytes) return EINVAL;
  // No interface acted on means no mouse took the report: report it as a missing device.
  int result = ENODEV;
  forEachMatching(
      ReportData.UsageAndPage,
      [&](const HidInterfaceInfo& info) {
        return allowedFor(ReportData.DeviceID, FHidDeviceList, info.hardwareIds) &&
               info.featureReportByteLength >= size;
      },
      [&](const HidInterfaceInfo&, HidDevice& device) {
        // Identifies the interface last written to; the device is closed again on return.
        ReportData.DeviceHandle = reinterpret_cast<uintptr_t>(&device);
        result = device.setFeature(reportBytes(ReportData.Data), size);
        return true;
      });
  return static_cast<uint32_t>(result);
}

uint32_t TuiHIDData::HidFindAndGetFeatureReport(THIDDataParam& ReportData) {
  const uint32_t size = ReportData.Data.DATASIZE;
  if (size > kReportBufferBytes) return EINVAL;
  // No interface acted on means no mouse answered: report it as a missing device.
  int result = ENODEV;
  std::vector<uint8_t> buffer(size == 0 ? 1 : size);
  forEachMatching(
      ReportData.UsageAndPage,
      [&](const HidInterfaceInfo& info) {
        return allowedFor(ReportData.DeviceID, FHidDeviceList, info.hardwareIds) &&
               info.featureReportByteLength >= size;
      },
      [&](const HidInterfaceInfo&, HidDevice& device) {
        std::fill(buffer.begin(), buffer.end(), uint8_t{0});
        buffer[0] = ReportData.Data.ReportID;
        result = device.getFeature(buffer.data(), size);
        // A failed read leaves the caller's report as it was.
        if (result == 0) std::memcpy(reportBytes(ReportData.Data), buffer.data(), size);
        return true;
      });
  return static_cast<uint32_t>(result);
}

bool TuiHIDData::IsDeviceExist(const THIDDataParam& ReportData) {
  bool found = false;
  forEachMatching(
      ReportData.UsageAndPage,
      [&](const HidInterfaceInfo& info) {
        return allowedFor(ReportData.DeviceID, FHidDeviceList, info.hardwareIds);
      },
      [&](const HidInterfaceInfo&, HidDevice&) {
        found = true;
        return false;
      });
  return found;
}

bool TuiHIDData::HidFindAndWriteDevice(THIDDataParam& ReportData) {
  // DATASIZE counts the bytes after ReportID; the whole report must fit the output report.
  const uint64_t size = uint64_t{ReportData.Data.DATASIZE} + 1;
  if (size > kReportBufferBytes) return false;
  bool written = false;
  forEachMatching(
      ReportData.UsageAndPage,
      [&](const HidInterfaceInfo& info) {
        return allowedFor(ReportData.DeviceID, FHidDeviceList, info.hardwareIds) &&
               info.outputReportByteLength >= size;
      },
      [&](const HidInterfaceInfo&, HidDevice& device) {
        if (device.write(reportBytes(ReportData.Data), static_cast<std::size_t>(size)) == 0)
          written = true;
        return true;
      });
  return written;
}

bool TuiHIDData::HidFindAndWriteDeviceBYHID(THIDDataParam& ReportData) {
  // Here DATASIZE counts the whole report, ReportID included; every interface is allowed.
  const uint32_t size = ReportData.Data.DATASIZE;
  if (size > kReportBufferBytes) return false;
  bool written = false;
  forEachMatching(
      ReportData.UsageAndPage,
      [&](const HidInterfaceInfo& info) { return info.outputReportByteLength >= size; },
      [&](const HidInterfaceInfo&, HidDevice& device) {
        if (device.write(reportBytes(ReportData.Data), size) == 0) written = true;
        return true;
      });
  return written;
}

}  // namespace qor
