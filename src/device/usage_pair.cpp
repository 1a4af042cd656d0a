// SPDX-License-Identifier: GPL-2.0-or-later
#include "device/usage_pair.h"

namespace qor {

USAGE_AND_PAGE& SharedDeviceUsagePair() {
  static USAGE_AND_PAGE pair{0, 0};
  return pair;
}

}  // namespace qor
