// SPDX-License-Identifier: GPL-2.0-or-later
// What stands between the program and the mouse: interfaces that offer the mouse's
// configuration collection but that this user may not open, or that config.ini leaves out,
// and the exact fix for each.
#pragma once

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "device/hid_backend.h"

namespace qor {

// One interface as the program sees it.
struct InterfaceSurvey {
  HidInterfaceInfo info;
  bool opens = false;
  int error = 0;                     // errno of the failed open
  bool configuration = false;        // offers the mouse's configuration collection
  bool listed = false;               // allowed by the include list
  uint16_t vendor = 0, product = 0;  // from its hardware IDs; 0 when they have none
  // The mouse as the program uses it.
  bool IsMouse() const { return configuration && listed; }
  // A configuration interface that the user may not open.
  bool AccessDenied() const { return configuration && !opens && error == EACCES; }
};

// Which interfaces a survey tries to open.
enum class SurveyOpens {
  Every,            // all of them, for a full listing
  MouseCollections  // only those offering the mouse's settings collection: opening a node can
                    // cost the kernel's first-open wait, which nothing else here needs
};

// Enumerates `backend` and tries to open the interfaces `opens` names (nothing is sent); the
// others are reported as not opened, with error 0.
std::vector<InterfaceSurvey> SurveyInterfaces(HidBackend& backend,
                                              const std::vector<std::string>& includeList,
                                              SurveyOpens opens = SurveyOpens::MouseCollections);

// The config.ini include-list entry of a mouse: HID\VID_1A2B&PID_3C4D.
std::string IncludeListEntry(uint16_t vendor, uint16_t product);
// The entry of one interface: its hardware ID without the revision, in upper case
// (HID\VID_1A2B&PID_3C4D&MI_01&COL02), since on a mouse with several interfaces the bare
// vendor and product match none of them; IncludeListEntry when it has no such ID.
std::string IncludeListEntry(const InterfaceSurvey& interface);
// The entries of the mouse `vendor`:`product` as it is connected now: one per interface that
// offers the settings collection; IncludeListEntry(vendor, product) when none is connected.
std::vector<std::string> ConnectedIncludeListEntries(const std::vector<InterfaceSurvey>& survey,
                                                     uint16_t vendor, uint16_t product);
// The udev rule line that gives the user at the seat access to the mouse's hidraw nodes.
std::string UdevRuleLine(uint16_t vendor, uint16_t product);

// For each configuration interface that the user may not open, or that the include list of
// `configFile` leaves out: which node, which numbers, and the fix (the udev rule line, the
// include-list entry, the commands that reload udev), in the current language. Empty when
// nothing stands in the way.
std::string MouseAccessAdvice(const std::vector<InterfaceSurvey>& survey,
                              const std::string& configFile);

}  // namespace qor
