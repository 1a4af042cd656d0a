// SPDX-License-Identifier: GPL-2.0-or-later
// HID interfaces of the kernel's hidraw nodes, described from sysfs.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/hid_backend.h"
#include "platform/linux/udev_wait_policy.h"

namespace qor {

// One HidInterfaceInfo per top-level collection of each /dev/hidraw* node, in udev's order
// and then descriptor order; the collections of a node share its path. Capabilities come
// from the report descriptor (sysfs, else HIDIOCGRDESC), hardware IDs from the parent HID
// and USB devices; both are worked out once per node identity (its sysfs entry: name and
// inode number, new for every node that appears), so a repeated enumeration only reads the
// folder /sys/class/hidraw. Feature reports travel by
// HIDIOCSFEATURE / HIDIOCGFEATURE.
class HidrawBackend : public HidBackend {
 public:
  HidrawBackend();
  ~HidrawBackend() override;

  std::vector<HidInterfaceInfo> enumerate() override;
  // Opens the node for reading and writing. EACCES right after plug-in, before udev has set
  // the node's access, is retried once udev is done with the device: at most once per node,
  // and never without a running udev.
  std::unique_ptr<HidDevice> open(const HidInterfaceInfo& info, int& error) override;

  // The last failing system call, of the backend or of a device it opened, with its cause
  // ("open /dev/hidraw3: Permission denied").
  std::string lastError() const;

  struct ErrorLog;

 private:
  void fail(std::string message);
  // The interfaces of the node at `syspath`, worked out from its parents and its report
  // descriptor.
  std::vector<HidInterfaceInfo> describeNode(const std::string& syspath);

  std::shared_ptr<ErrorLog> errors_;
  std::mutex nodesLock_;
  struct Node {
    std::string syspath;
    std::vector<HidInterfaceInfo> interfaces;
  };
  // Each node seen by the last enumeration, by identity.
  std::map<std::string, Node> nodes_;
  // The last enumeration's result, handed out again while its entries are all there is.
  std::vector<HidInterfaceInfo> listed_;
  std::unique_ptr<UdevWaitPolicy> udevWait_;
};

}  // namespace qor
