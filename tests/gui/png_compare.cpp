// SPDX-License-Identifier: GPL-2.0-or-later
// qor-png-compare EXPECTED ACTUAL: whether two pictures show the same, within what font
// anti-aliasing may change. Exit 0: the same; 1: they differ (said on stderr); 2: unreadable.
#include <QImage>
#include <cstdio>
#include <cstdlib>

namespace {

// A pixel differs when a channel moved by more than this; the pictures differ when more than
// kMaxDifferingPerMille of their pixels do.
constexpr int kChannelTolerance = 24;
constexpr long kMaxDifferingPerMille = 1;

bool differs(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) > kChannelTolerance ||
         std::abs(qGreen(a) - qGreen(b)) > kChannelTolerance ||
         std::abs(qBlue(a) - qBlue(b)) > kChannelTolerance ||
         std::abs(qAlpha(a) - qAlpha(b)) > kChannelTolerance;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: qor-png-compare EXPECTED ACTUAL\n");
    return 2;
  }
  const QImage expected = QImage(argv[1]).convertToFormat(QImage::Format_ARGB32);
  const QImage actual = QImage(argv[2]).convertToFormat(QImage::Format_ARGB32);
  for (const auto& [image, path] : {std::pair{&expected, argv[1]}, std::pair{&actual, argv[2]}}) {
    if (image->isNull()) {
      std::fprintf(stderr, "%s: not a readable picture\n", path);
      return 2;
    }
  }
  if (expected.size() != actual.size()) {
    std::fprintf(stderr, "%s is %dx%d, now drawn %dx%d\n", argv[1], expected.width(),
                 expected.height(), actual.width(), actual.height());
    return 1;
  }
  long differing = 0;
  for (int y = 0; y < expected.height(); ++y) {
    const auto* e = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
    const auto* a = reinterpret_cast<const QRgb*>(actual.constScanLine(y));
    for (int x = 0; x < expected.width(); ++x) differing += differs(e[x], a[x]);
  }
  const long pixels = long(expected.width()) * expected.height();
  if (differing * 1000 > pixels * kMaxDifferingPerMille) {
    std::fprintf(stderr, "%s: %ld of %ld pixels differ from what is drawn now\n", argv[1],
                 differing, pixels);
    return 1;
  }
  return 0;
}
