// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/composite_hid_backend.h"

#include <gtest/gtest.h>

#include "device/fake_hid_backend.h"

namespace qor {
namespace {

using test::FakeHidBackend;

test::FakeInterface named(const std::string& path, uint32_t collection = 0) {
  test::FakeInterface f;
  f.info.path = path;
  f.info.collection = collection;
  return f;
}

TEST(CompositeHidBackend, ListsEachBackendInTurnAndOpensThroughTheOneThatListed) {
  auto real = std::make_unique<FakeHidBackend>();
  auto sim = std::make_unique<FakeHidBackend>();
  real->interfaces = {named("/dev/hidraw0"), named("/dev/hidraw1", 1)};
  sim->interfaces = {named("/run/user/1000/qorcfg51/sim/a"), named("/dev/hidraw1", 0)};
  FakeHidBackend& realRef = *real;
  FakeHidBackend& simRef = *sim;
  std::vector<std::unique_ptr<HidBackend>> both;
  both.push_back(std::move(real));
  both.push_back(std::move(sim));
  CompositeHidBackend composite(std::move(both));

  int error = 0;
  EXPECT_EQ(composite.open(named("/dev/hidraw0").info, error), nullptr);  // not listed yet
  EXPECT_EQ(error, ENODEV);

  const std::vector<HidInterfaceInfo> all = composite.enumerate();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].path, "/dev/hidraw0");
  EXPECT_EQ(all[1].path, "/dev/hidraw1");
  EXPECT_EQ(all[2].path, "/run/user/1000/qorcfg51/sim/a");
  EXPECT_EQ(all[3].path, "/dev/hidraw1");

  // The same path with another collection belongs to the other backend.
  EXPECT_NE(composite.open(all[3], error), nullptr);
  EXPECT_EQ(simRef.opens, 1);
  EXPECT_EQ(realRef.opens, 0);
  EXPECT_NE(composite.open(all[1], error), nullptr);
  EXPECT_EQ(realRef.opens, 1);

  // A refusal comes back as the owning backend gave it.
  simRef.interfaces[0].openError = EACCES;
  EXPECT_EQ(composite.open(all[2], error), nullptr);
  EXPECT_EQ(error, EACCES);
}

}  // namespace
}  // namespace qor
