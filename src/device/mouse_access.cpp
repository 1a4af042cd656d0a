// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/mouse_access.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <set>

#include "device/hid_data.h"
#include "device/usage_pair.h"
#include "ui/translation.h"

namespace qor {
namespace {

std::string hex4(uint16_t value, bool upper) {
  char text[8];
  std::snprintf(text, sizeof text, upper ? "%04X" : "%04x", value);
  return text;
}

std::string upperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return text;
}

// The vendor and product of "HID\VID_1A2B&PID_3C4D...", letter case ignored.
bool vendorAndProduct(const std::string& text, uint16_t& vendor, uint16_t& product) {
  const std::string id = upperAscii(text);
  if (id.rfind("HID\\VID_", 0) != 0 || id.size() < 21 || id.compare(12, 5, "&PID_") != 0)
    return false;
  const auto parse = [](const std::string& digits, uint16_t& out) {
    unsigned value = 0;
    for (char c : digits) {
      const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0) return false;
      value = value * 16 + unsigned(d);
    }
    out = uint16_t(value);
    return true;
  };
  return parse(id.substr(8, 4), vendor) && parse(id.substr(17, 4), product);
}

// Replaces %1, %2 ... in a translated text.
std::string fill(std::string text, const std::vector<std::string>& values) {
  for (std::size_t i = values.size(); i-- > 0;) {
    const std::string mark = "%" + std::to_string(i + 1);
    for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark, at))
      text.replace(at, mark.size(), values[i]), at += values[i].size();
  }
  return text;
}

}  // namespace

std::vector<InterfaceSurvey> SurveyInterfaces(HidBackend& backend,
                                              const std::vector<std::string>& includeList,
                                              SurveyOpens opens) {
  std::vector<InterfaceSurvey> out;
  for (HidInterfaceInfo& info : backend.enumerate()) {
    InterfaceSurvey s;
    s.configuration =
        info.usagePage == kMouseConfigUsage.UsagePage && info.usage == kMouseConfigUsage.Usage;
    if (s.configuration || opens == SurveyOpens::Every)
      s.opens = backend.open(info, s.error) != nullptr;
    s.listed = IsAllowedInterface("", includeList, info.hardwareIds);
    for (const std::string& id : info.hardwareIds)
      if (vendorAndProduct(id, s.vendor, s.product)) break;
    s.info = std::move(info);
    out.push_back(std::move(s));
  }
  return out;
}

std::string IncludeListEntry(uint16_t vendor, uint16_t product) {
  return "HID\\VID_" + hex4(vendor, true) + "&PID_" + hex4(product, true);
}

std::string IncludeListEntry(const InterfaceSurvey& interface) {
  for (const std::string& id : interface.info.hardwareIds) {
    std::string upper = upperAscii(id);
    if (upper.rfind("HID\\VID_", 0) == 0 && upper.find("&REV_") == std::string::npos) return upper;
  }
  return IncludeListEntry(interface.vendor, interface.product);
}

std::vector<std::string> ConnectedIncludeListEntries(const std::vector<InterfaceSurvey>& survey,
                                                     uint16_t vendor, uint16_t product) {
  std::vector<std::string> entries;
  for (const InterfaceSurvey& s : survey) {
    if (!s.configuration || s.vendor != vendor || s.product != product) continue;
    std::string entry = IncludeListEntry(s);
    if (std::find(entries.begin(), entries.end(), entry) == entries.end())
      entries.push_back(std::move(entry));
  }
  if (entries.empty()) entries.push_back(IncludeListEntry(vendor, product));
  return entries;
}

// Matches the HID device above the node (BUS:VENDOR:PRODUCT.N, upper-case hex) on any bus:
// ATTRS{idVendor} would need a USB device above it, which Bluetooth and uhid mice lack.
std::string UdevRuleLine(uint16_t vendor, uint16_t product) {
  return "KERNEL==\"hidraw*\", SUBSYSTEMS==\"hid\", KERNELS==\"*:" + hex4(vendor, true) + ":" +
         hex4(product, true) + ".*\", TAG+=\"uaccess\"";
}

std::string MouseAccessAdvice(const std::vector<InterfaceSurvey>& survey,
                              const std::string& configFile) {
  std::string advice;
  std::set<std::string> told;  // a node with several collections is told of once
  bool reload = false;
  for (const InterfaceSurvey& s : survey) {
    if (!s.configuration || (s.opens && s.listed) || (!s.opens && !s.AccessDenied())) continue;
    if (!told.insert(s.info.path).second) continue;
    const std::vector<std::string> v = {s.info.name.empty() ? "" : "\"" + s.info.name + "\" ",
                                        hex4(s.vendor, false), hex4(s.product, false), s.info.path};
    if (!advice.empty()) advice += "\n\n";
    if (s.AccessDenied()) {
      advice += fill(Translate(std::string_view(
                         "The mouse %1(vendor %2, product %3) is connected, but this user may "
                         "not open its settings interface %4.")),
                     v);
      advice += "\n" +
                Translate(std::string_view(
                    "Give access with this line in /etc/udev/rules.d/70-qorcfg51-local.rules:")) +
                "\n    " + UdevRuleLine(s.vendor, s.product);
      reload = true;
    } else {
      advice += fill(Translate(std::string_view(
                         "The mouse %1(vendor %2, product %3) offers its settings interface %4, "
                         "but config.ini does not list it.")),
                     v);
    }
    if (!s.listed)
      advice +=
          "\n" +
          fill(Translate(std::string_view(
                   "Add this entry as the value of the next idN key of [IncludeHIDDeviceList] in "
                   "%1:")),
               {configFile}) +
          "\n    " + IncludeListEntry(s);
  }
  if (reload)
    advice +=
        "\n" + Translate(std::string_view(
                   "Then run \"sudo udevadm control --reload\" and plug the mouse in again."));
  return advice;
}

}  // namespace qor
