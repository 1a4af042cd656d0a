// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/linux/hidraw_backend.h"

#include <dirent.h>
#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>

#include "device/hardware_ids.h"
#include "device/report_descriptor.h"
#include "platform/linux/sysfs_file.h"
#include "platform/unique_fd.h"

namespace qor {
namespace {

struct UdevDeleter {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
  void operator()(udev_monitor* m) const { udev_monitor_unref(m); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

// How long an open refused right after plug-in waits for udev to finish with the device.
constexpr int kUdevSettleMs = 2000;
// The length field of the feature-report ioctls has 14 bits.
constexpr std::size_t kMaxIoctlLength = (1u << _IOC_SIZEBITS) - 1;

std::string failure(const std::string& call, const std::string& what, int error) {
  return call + (what.empty() ? "" : " " + what) + ": " + std::strerror(error);
}

std::optional<unsigned long> number(const char* text, int base) {
  if (!text) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const unsigned long value = std::strtoul(text, &end, base);
  if (errno != 0 || end == text) return std::nullopt;
  return value;
}

// Vendor and product from HID_ID, "bus:vendor:product" in hexadecimal ("0003:0000046D:0000C077").
bool parseHidId(const char* hidId, uint16_t& vendor, uint16_t& product) {
  unsigned bus = 0, v = 0, p = 0;
  if (!hidId || std::sscanf(hidId, "%x:%x:%x", &bus, &v, &p) != 3) return false;
  vendor = static_cast<uint16_t>(v);
  product = static_cast<uint16_t>(p);
  return true;
}

// The KEY=value lines of a sysfs device folder's uevent; empty when it has none.
std::map<std::string, std::string> readUevent(const std::filesystem::path& folder) {
  std::map<std::string, std::string> values;
  std::string text;
  if (!ReadSysfsFile(folder / "uevent", 16384, text)) return values;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::size_t eq = text.find('=', at);
    if (eq < end) values[text.substr(at, eq - at)] = text.substr(eq + 1, end - eq - 1);
    at = end + 1;
  }
  return values;
}

// A sysfs attribute as a number in `base`.
std::optional<unsigned long> attribute(const std::filesystem::path& folder, const char* name,
                                       int base) {
  std::string text;
  if (!ReadSysfsFile(folder / name, 256, text)) return std::nullopt;
  return number(text.c_str(), base);
}

// The report descriptor: the HID device's sysfs attribute, else HIDIOCGRDESC on the node.
std::optional<std::vector<uint8_t>> readDescriptor(const std::filesystem::path& hid,
                                                   const char* devnode, std::string& problem) {
  std::string bytes;
  if (ReadSysfsFile(hid / "report_descriptor", HID_MAX_DESCRIPTOR_SIZE, bytes) && !bytes.empty())
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  UniqueFd fd(::open(devnode, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd) {
    problem = failure("open", devnode, errno);
    return std::nullopt;
  }
  int size = 0;
  if (::ioctl(fd.get(), HIDIOCGRDESCSIZE, &size) < 0) {
    problem = failure("ioctl HIDIOCGRDESCSIZE", devnode, errno);
    return std::nullopt;
  }
  hidraw_report_descriptor descriptor{};
  descriptor.size = static_cast<uint32_t>(std::clamp(size, 0, HID_MAX_DESCRIPTOR_SIZE));
  if (::ioctl(fd.get(), HIDIOCGRDESC, &descriptor) < 0) {
    problem = failure("ioctl HIDIOCGRDESC", devnode, errno);
    return std::nullopt;
  }
  return std::vector<uint8_t>(descriptor.value, descriptor.value + descriptor.size);
}

// The nearest folder above `from` (itself included) whose uevent satisfies `is`, up to
// /sys/devices; empty when there is none. `found` receives that folder's uevent.
template <typename Is>
std::filesystem::path ancestor(std::filesystem::path from, Is is,
                               std::map<std::string, std::string>* found = nullptr) {
  for (; from.has_relative_path() && from != "/sys/devices"; from = from.parent_path()) {
    std::map<std::string, std::string> uevent = readUevent(from);
    if (!is(uevent)) continue;
    if (found) *found = std::move(uevent);
    return from;
  }
  return {};
}

bool hasDevType(const std::map<std::string, std::string>& uevent, const char* type) {
  auto it = uevent.find("DEVTYPE");
  return it != uevent.end() && it->second == type;
}

// A USB device's revision (bcdDevice): the last field of its uevent's PRODUCT
// ("vendor/product/revision" in hex), which the walk up has read already; else the attribute.
std::optional<unsigned long> usbRevision(const std::filesystem::path& usb,
                                         const std::map<std::string, std::string>& uevent) {
  const auto product = uevent.find("PRODUCT");
  if (product != uevent.end()) {
    const std::size_t slash = product->second.rfind('/');
    if (slash != std::string::npos)
      if (auto n = number(product->second.c_str() + slash + 1, 16)) return n;
  }
  return attribute(usb, "bcdDevice", 16);
}

// What the USB parents add to the hardware IDs; nothing for devices without them.
void addUsbParts(const std::filesystem::path& hid, HardwareIdParts& parts) {
  // usbhid puts a HID device right below one interface of its USB device: when the folder
  // two up is a USB device, the one between is the interface, read no further. Else walk up.
  std::filesystem::path itf = hid.parent_path();
  std::filesystem::path usb = itf.parent_path();
  std::map<std::string, std::string> usbEvent = readUevent(usb);
  if (!hasDevType(usbEvent, "usb_device")) {
    itf = ancestor(itf, [](const auto& u) { return hasDevType(u, "usb_interface"); });
    usb = ancestor((itf.empty() ? hid : itf).parent_path(),
                   [](const auto& u) { return hasDevType(u, "usb_device"); }, &usbEvent);
  }
  if (usb.empty()) return;
  if (auto bcd = usbRevision(usb, usbEvent)) parts.revision = static_cast<uint16_t>(*bcd);
  const auto interfaces = attribute(usb, "bNumInterfaces", 10);
  if (itf.empty() || !interfaces || *interfaces <= 1) return;
  if (auto n = attribute(itf, "bInterfaceNumber", 16))
    parts.interfaceNumber = static_cast<uint8_t>(*n);
}

constexpr const char* kHidrawClassFolder = "/sys/class/hidraw";

// The entries of /sys/class/hidraw as "name#inode". sysfs makes a new entry, with an inode
// number it has not given before, for every node that appears, so the pair names one
// plugged-in device; and the listing costs one directory read, nothing per node.
std::vector<std::string> listHidrawEntries(std::string& problem) {
  std::vector<std::string> entries;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(kHidrawClassFolder), ::closedir);
  if (!dir) {
    // No hidraw driver loaded: no nodes, nothing failed.
    if (errno != ENOENT) problem = failure("opendir", kHidrawClassFolder, errno);
    return entries;
  }
  while (const dirent* e = ::readdir(dir.get()))
    if (e->d_name[0] != '.') entries.push_back(e->d_name + ("#" + std::to_string(e->d_ino)));
  return entries;
}

// The input report IDs of the collection, when the node carries reports of other
// collections as well: hidraw hands every report of the node to every reader.
std::vector<uint8_t> inputFilter(const HidInterfaceInfo& info) {
  const auto d = ParsedDescriptor(info);
  if (!d->usesReportIds || d->collections.size() < 2 || info.collection >= d->collections.size())
    return {};
  return d->collections[info.collection].inputReportIds;
}

}  // namespace

// The last failure of the backend and of every device it opened.
struct HidrawBackend::ErrorLog {
  void set(std::string message) {
    std::lock_guard lock(mutex);
    last = std::move(message);
  }
  std::mutex mutex;
  std::string last;
};

namespace {

class HidrawDevice : public HidDevice {
 public:
  HidrawDevice(UniqueFd fd, std::string path, std::vector<uint8_t> inputIds,
               std::shared_ptr<HidrawBackend::ErrorLog> log)
      : fd_(std::move(fd)),
        path_(std::move(path)),
        inputIds_(std::move(inputIds)),
        log_(std::move(log)) {}

  int setFeature(const uint8_t* data, std::size_t size) override {
    return featureIoctl(const_cast<uint8_t*>(data), size, true);
  }
  int getFeature(uint8_t* data, std::size_t size) override {
    return featureIoctl(data, size, false);
  }

  int write(const uint8_t* data, std::size_t size) override {
    if (size == 0) return EINVAL;
    ssize_t n;
    do n = ::write(fd_.get(), data, size);
    while (n < 0 && errno == EINTR);
    if (n < 0) return fail("write", errno);
    return static_cast<std::size_t>(n) == size ? 0 : fail("write (short)", EIO);
  }

  int read(uint8_t* data, std::size_t size, int timeoutMs, std::size_t& got) override {
    got = 0;
    pollfd p{fd_.get(), POLLIN, 0};
    const int ready = ::poll(&p, 1, timeoutMs);
    if (ready < 0) return errno == EINTR ? EINTR : fail("poll", errno);
    if (ready == 0) return 0;
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return fail("poll", ENODEV);
    const ssize_t n = ::read(fd_.get(), data, size);
    if (n < 0) return (errno == EAGAIN || errno == EINTR) ? errno : fail("read", errno);
    // Reports of the node's other collections are not this interface's.
    if (n > 0 && !inputIds_.empty() &&
        std::find(inputIds_.begin(), inputIds_.end(), data[0]) == inputIds_.end())
      return 0;
    got = static_cast<std::size_t>(n);
    return 0;
  }

 private:
  // Records the failed call and gives its result; hidraw answers EIO once its device has
  // been unplugged, which callers know as ENODEV.
  int fail(const std::string& call, int error) {
    log_->set(failure(call, path_, error));
    return error == EIO ? ENODEV : error;
  }

  int featureIoctl(uint8_t* data, std::size_t size, bool set) {
    if (size == 0) return EINVAL;
    if (size > kMaxIoctlLength) return EMSGSIZE;
    const unsigned long request = set ? HIDIOCSFEATURE(size) : HIDIOCGFEATURE(size);
    int r;
    do r = ::ioctl(fd_.get(), request, data);
    while (r < 0 && errno == EINTR);
    if (r < 0) return fail(set ? "ioctl HIDIOCSFEATURE" : "ioctl HIDIOCGFEATURE", errno);
    // A shorter answer would leave the tail of the caller's report as zeros that look read.
    if (!set && static_cast<std::size_t>(r) < size)
      return fail("ioctl HIDIOCGFEATURE (short answer: " + std::to_string(r) + " of " +
                      std::to_string(size) + " bytes)",
                  EPROTO);
    return 0;
  }

  UniqueFd fd_;
  std::string path_;
  std::vector<uint8_t> inputIds_;
  std::shared_ptr<HidrawBackend::ErrorLog> log_;
};

// Waits until udev has processed the node's device (its rules set the access), at most
// kUdevSettleMs. The monitor is set up before the check, so an event cannot slip between.
void waitForUdev(udev* u, const std::string& devnode) {
  UdevPtr<udev_monitor> monitor(udev_monitor_new_from_netlink(u, "udev"));
  if (monitor) {
    udev_monitor_filter_add_match_subsystem_devtype(monitor.get(), "hidraw", nullptr);
    udev_monitor_enable_receiving(monitor.get());
  }
  const std::string sysname = std::filesystem::path(devnode).filename().string();
  UdevPtr<udev_device> device(udev_device_new_from_subsystem_sysname(u, "hidraw", sysname.c_str()));
  if (!device || udev_device_get_is_initialized(device.get()) || !monitor) return;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kUdevSettleMs);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    pollfd p{udev_monitor_get_fd(monitor.get()), POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return;
    UdevPtr<udev_device> event(udev_monitor_receive_device(monitor.get()));
    const char* node = event ? udev_device_get_devnode(event.get()) : nullptr;
    if (node && devnode == node) return;
  }
}

}  // namespace

std::vector<HidInterfaceInfo> HidrawBackend::enumerate() {
  std::string problem;
  const std::vector<std::string> present = listHidrawEntries(problem);
  if (!problem.empty()) fail(problem);
  std::lock_guard lock(nodesLock_);
  // The same entries as last time, each described then: the same interfaces.
  if (!present.empty() && present.size() == nodes_.size() &&
      std::all_of(present.begin(), present.end(),
                  [this](const std::string& identity) { return nodes_.count(identity) != 0; }))
    return listed_;
  std::map<std::string, Node> seen;
  for (const std::string& identity : present) {
    auto known = nodes_.find(identity);
    if (known != nodes_.end()) {
      seen.insert(nodes_.extract(known));
      continue;
    }
    std::error_code ec;
    const std::filesystem::path link =
        std::filesystem::path(kHidrawClassFolder) / identity.substr(0, identity.rfind('#'));
    const std::filesystem::path target = std::filesystem::read_symlink(link, ec);
    if (ec) continue;  // gone meanwhile
    Node n;
    n.syspath = (link.parent_path() / target).lexically_normal().string();
    n.interfaces = describeNode(n.syspath);
    for (HidInterfaceInfo& info : n.interfaces) info.identity = identity;
    // A node not described (udev may not be done with it) is tried again next time.
    if (!n.interfaces.empty()) seen.emplace(identity, std::move(n));
  }
  nodes_ = std::move(seen);
  // udev's order: by sysfs path.
  std::vector<const Node*> ordered;
  for (const auto& [identity, n] : nodes_) ordered.push_back(&n);
  std::sort(ordered.begin(), ordered.end(),
            [](const Node* a, const Node* b) { return a->syspath < b->syspath; });
  std::vector<HidInterfaceInfo> out;
  for (const Node* n : ordered) out.insert(out.end(), n->interfaces.begin(), n->interfaces.end());
  listed_ = out;
  return out;
}

std::vector<HidInterfaceInfo> HidrawBackend::describeNode(const std::string& syspath) {
  // Read straight from sysfs, as udev would, at a fraction of its cost.
  // The kernel names a hidraw node in /dev as in sysfs.
  const std::string devnode = "/dev/" + std::filesystem::path(syspath).filename().string();
  std::map<std::string, std::string> hidEvent;
  // A node lives in its HID device's "hidraw" folder, which has no uevent of its own.
  std::filesystem::path above = std::filesystem::path(syspath).parent_path();
  if (above.filename() == "hidraw") above = above.parent_path();
  const std::filesystem::path hid = ancestor(
      above, [](const auto& u) { return u.count("HID_ID") != 0; }, &hidEvent);
  HardwareIdParts parts;
  if (hid.empty() || !parseHidId(hidEvent["HID_ID"].c_str(), parts.vendor, parts.product))
    return {};
  addUsbParts(hid, parts);
  std::string problem;
  const auto descriptor = readDescriptor(hid, devnode.c_str(), problem);
  if (!descriptor) {
    fail(problem);
    return {};
  }
  // Parsed here once; opening and reading the node's interfaces use the same parse.
  const auto parsed = std::make_shared<const HidReportDescriptor>(
      ParseReportDescriptor(descriptor->data(), descriptor->size()));
  const std::string& name = hidEvent["HID_NAME"];
  const std::size_t count = parsed->collections.size();
  std::vector<HidInterfaceInfo> out;
  for (std::size_t c = 0; c < count; ++c) {
    const HidCollectionCaps& caps = parsed->collections[c];
    HidInterfaceInfo info;
    info.path = devnode;
    info.collection = static_cast<uint32_t>(c);
    info.name = name;
    HardwareIdParts these = parts;
    if (count > 1) these.collection = static_cast<uint8_t>(c + 1);
    these.usagePage = caps.usagePage;
    these.usage = caps.usage;
    info.hardwareIds = HardwareIds(these);
    info.usagePage = caps.usagePage;
    info.usage = caps.usage;
    info.inputReportByteLength = caps.inputReportByteLength;
    info.outputReportByteLength = caps.outputReportByteLength;
    info.featureReportByteLength = caps.featureReportByteLength;
    info.reportDescriptor = *descriptor;
    info.parsedDescriptor = parsed;
    out.push_back(std::move(info));
  }
  return out;
}

std::unique_ptr<HidDevice> HidrawBackend::open(const HidInterfaceInfo& info, int& error) {
  auto attempt = [&] {
    return UniqueFd(::open(info.path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK));
  };
  UniqueFd fd = attempt();
  struct stat node {};
  if (!fd && errno == EACCES && ::stat(info.path.c_str(), &node) == 0 &&
      udevWait_->ShouldWait(info.path, uint64_t(node.st_ino))) {
    UdevPtr<udev> u(udev_new());
    if (u) waitForUdev(u.get(), info.path);
    fd = attempt();
  }
  if (!fd) {
    error = errno;
    fail(failure("open", info.path, error));
    return nullptr;
  }
  return std::make_unique<HidrawDevice>(std::move(fd), info.path, inputFilter(info), errors_);
}

HidrawBackend::HidrawBackend()
    : errors_(std::make_shared<ErrorLog>()),
      // udevd's control socket: without it no rule will ever change a node's access.
      udevWait_(std::make_unique<UdevWaitPolicy>(::access("/run/udev/control", F_OK) == 0)) {}

HidrawBackend::~HidrawBackend() = default;

std::string HidrawBackend::lastError() const {
  std::lock_guard lock(errors_->mutex);
  return errors_->last;
}

void HidrawBackend::fail(std::string message) {
  errors_->set(std::move(message));
}

}  // namespace qor
