// SPDX-License-Identifier: GPL-2.0-or-later
// Saves all profiles over and over, alternating two images, until it is killed:
//   qor-save-loop USER_DB MACHINE_DB DOCUMENTS PROGRAM
// Every byte after the version differs between the two images, so that a file or value that
// mixes them can be told apart from either.
#include <cstdio>
#include <cstring>

#include "model/data_module.h"
#include "model/save_loop_images.h"
#include "platform/linux/sqlite_registry.h"

int main(int argc, char** argv) {
  using namespace qor;
  if (argc != 5) return 2;
  SqliteRegistry registry(argv[1], argv[2]);
  TDM dm({registry, argv[3], argv[4]},
         [](const StoreProblem& p) { std::fprintf(stderr, "%s\n", p.message.c_str()); });
  const TMOUSEPROFILEINFO images[2] = {test::SaveLoopImage(0), test::SaveLoopImage(1)};
  std::puts("saving");
  std::fflush(stdout);
  for (unsigned n = 0;; ++n) {
    const TMOUSEPROFILEINFO& image = images[n % 2];
    for (int slot = 0; slot < kProfileSlots; ++slot) dm.SaveBackToProfileInfo(image, slot);
    dm.FCurrentProfileInfo = image;
    if (!dm.SaveAllProfileData()) return 1;
  }
}
