// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/skin.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QImageReader>
#include <QPalette>
#include <QToolTip>
#include <QtEndian>
#include <algorithm>

#include "platform/paths.h"
#include "widgets/skin_style.h"

namespace qor::skin {
namespace {

QCursor& handCursor() {
  static QCursor cursor(Qt::PointingHandCursor);
  return cursor;
}
QCursor& arrowCursor() {
  static QCursor cursor(Qt::ArrowCursor);
  return cursor;
}

// Decodes one picture file. Not through QPixmap's own loading: that keeps every picture in the
// process-wide pixmap cache, so a window's pictures would outlive the window's use of them.
QImage readPicture(const std::filesystem::path& file) {
  QImageReader reader(QString::fromStdString(file.string()));
  // The name's extension says the format: no probing through every image plug-in.
  reader.setDecideFormatFromContent(false);
  QImage image = reader.read();
  if (image.isNull()) {
    reader.setFileName(reader.fileName());  // opened again: the failed read used the device up
    reader.setDecideFormatFromContent(true);
    image = reader.read();
  }
  return image;
}

// A skin picture's file: images/skin/<name> in the program folder.
std::filesystem::path skinFile(const QString& name) {
  return paths::resolveInFolder(paths::program(), ("images\\skin\\" + name).toStdString());
}

}  // namespace

void Apply(QApplication& app) {
  QFont font("DejaVu Sans");
  font.setPixelSize(12);
  font.setHintingPreference(QFont::PreferFullHinting);
  app.setFont(font);
  QApplication::setStyle(new SkinStyle);
  app.setPalette(Palette());
  QToolTip::setPalette(Palette());
}

QImage LoadImage(const std::filesystem::path& file) {
  const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
  if (ratio > 1.0) {
    std::filesystem::path twin = file;
    twin.replace_filename(file.stem().string() + "@2x" + file.extension().string());
    QImage large = readPicture(twin);
    if (!large.isNull()) {
      large.setDevicePixelRatio(2.0);
      return large;
    }
  }
  return readPicture(file);
}

QPixmap LoadPixmap(const std::filesystem::path& file) {
  const QImage image = LoadImage(file);
  if (image.isNull()) return QPixmap();
  QPixmap pixmap = QPixmap::fromImage(image);
  pixmap.setDevicePixelRatio(image.devicePixelRatio());
  return pixmap;
}

QIcon WindowIcon(const std::filesystem::path& file) {
  QIcon icon;
  QImageReader reader(QString::fromStdString(file.string()));
  const int count = std::max(1, reader.imageCount());
  for (int i = 0; i < count; ++i) {
    if (i > 0 && !reader.jumpToImage(i)) break;
    const QImage image = reader.read();
    if (!image.isNull() && std::max(image.width(), image.height()) <= 64)
      icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

QPixmap SkinPixmap(const QString& name) {
  return LoadPixmap(skinFile(name));
}

QImage SkinImage(const QString& name) {
  return LoadImage(skinFile(name));
}

bool LoadCursorFile(const std::filesystem::path& file, QCursor& out) {
  QFile f(QString::fromStdString(file.string()));
  if (!f.open(QIODevice::ReadOnly)) return false;
  // The hotspot is the first directory entry's planes and bit-count words (bytes 4-7 of the
  // entry, which follows the 6-byte header), in pixels of that entry's size.
  const QByteArray head = f.read(22);
  if (head.size() < 22 || qFromLittleEndian<quint16>(head.constData() + 2) != 2) return false;
  const int entrySize = quint8(head[6]) ? quint8(head[6]) : 256;
  const int hotX = qFromLittleEndian<quint16>(head.constData() + 10);
  const int hotY = qFromLittleEndian<quint16>(head.constData() + 12);
  f.seek(0);
  QImageReader reader(&f, "cur");
  QImage best;
  const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
  // The entry nearest the screen's pixel size of the first entry's size.
  do {
    QImage image = reader.read();
    if (image.isNull()) break;
    const auto want = entrySize * ratio;
    if (best.isNull() || std::abs(image.width() - want) < std::abs(best.width() - want))
      best = image;
  } while (reader.jumpToNextImage());
  if (best.isNull()) return false;
  QPixmap pixmap = QPixmap::fromImage(best);
  pixmap.setDevicePixelRatio(qreal(best.width()) / entrySize);
  out = QCursor(pixmap, hotX, hotY);
  return true;
}

const QCursor& HandCursor() {
  return handCursor();
}
const QCursor& ArrowCursor() {
  return arrowCursor();
}
void SetCursors(const QCursor& hand, const QCursor& arrow) {
  handCursor() = hand;
  arrowCursor() = arrow;
}

}  // namespace qor::skin
