#include "widgets/skin.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QImageReader>
#include <QPalette>
#include <QtEndian>
#include <algorithm>

#include "platform/paths.h"

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

QString hex(const QColor& c) {
  return c.name(QColor::HexRgb);
}

}  // namespace

QString StyleSheet() {
  // Placeholders keep the colours in the constants above.
  QString sheet = R"(
* { color: @text; font-family: "DejaVu Sans"; }
QToolTip { background: @raised; color: @text; border: 1px solid @accent; }
QLabel[styleName="title"] { color: @text; font-weight: bold; }
QLabel[styleName="caption"] { color: @dim; }
QLabel[styleName="value"] { color: @accent; }
QPushButton {
  background: @panel; border: 1px solid #3a414d; border-radius: 3px; padding: 3px 12px;
}
QPushButton:hover { border-color: @accent; }
QPushButton:pressed, QPushButton:checked { background: @raised; border-color: @accent; color: @accent; }
QPushButton:disabled { color: @dim; border-color: #2c313a; }
QPushButton[styleName="default"] { border-color: @accent; }
QPushButton:focus, QRadioButton:focus, QCheckBox:focus { outline: none; }
QPushButton:focus { border-color: @text; }
QRadioButton:focus, QCheckBox:focus { color: @accent; }
QPushButton[styleName="CPI-A"] { background: @raised; border-color: @accent; color: @accent; font-weight: bold; }
QPushButton[styleName="CPI-N"] { background: @panel; border-color: #2c313a; color: @dim; }
QPushButton[styleName="CPI-A"]:focus, QPushButton[styleName="CPI-N"]:focus { border-color: @text; }
QPushButton[styleName="swatch"] { border: 2px solid #3a414d; border-radius: 6px; padding: 0; }
QPushButton[styleName="swatch"]:hover, QPushButton[styleName="swatch"]:focus { border-color: @text; }
QPushButton[styleName="swatch"][selected="true"] { border: 3px solid @accent; }
QRadioButton, QCheckBox { spacing: 6px; }
QRadioButton::indicator, QCheckBox::indicator {
  width: 12px; height: 12px; border: 1px solid #4a525f; background: @panel;
}
QRadioButton::indicator { border-radius: 7px; }
QRadioButton::indicator:checked, QCheckBox::indicator:checked { background: @accent; border-color: @accent; }
QRadioButton:disabled, QCheckBox:disabled { color: @dim; }
QSlider::groove:horizontal { height: 4px; background: #2f3540; border-radius: 2px; }
QSlider::groove:vertical { width: 4px; background: #2f3540; border-radius: 2px; }
QSlider::sub-page:horizontal { background: @accent; border-radius: 2px; }
QSlider::add-page:vertical { background: @accent; border-radius: 2px; }
QSlider::handle { background: @text; border: 1px solid @accent; border-radius: 6px; width: 12px; height: 12px; }
QSlider::handle:focus { background: @accent; border-color: @text; }
QSlider::handle:disabled { background: #4a525f; border-color: #4a525f; }
QSlider::add-page:vertical:disabled, QSlider::sub-page:horizontal:disabled { background: #3a414d; }
QSlider::handle:horizontal { margin: -5px 0; }
QSlider::handle:vertical { margin: 0 -5px; }
QSpinBox, QLineEdit {
  background: @panel; border: 1px solid #3a414d; border-radius: 2px; padding: 2px 4px;
  selection-background-color: @accent; selection-color: @bg;
}
QSpinBox:focus, QLineEdit:focus { border-color: @accent; }
QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; border: none; }
QScrollBar:vertical { background: @panel; width: 8px; }
QScrollBar::handle:vertical { background: #3a414d; min-height: 20px; border-radius: 4px; }
QScrollBar::add-line, QScrollBar::sub-line { height: 0; }
)";
  sheet.replace("@accent", hex(kAccent));
  sheet.replace("@bg", hex(kBackground));
  sheet.replace("@panel", hex(kPanel));
  sheet.replace("@raised", hex(kPanelRaised));
  sheet.replace("@text", hex(kText));
  sheet.replace("@dim", hex(kTextDim));
  return sheet;
}

void Apply(QApplication& app) {
  QFont font("DejaVu Sans");
  font.setPixelSize(12);
  font.setHintingPreference(QFont::PreferFullHinting);
  app.setFont(font);
  QPalette palette = app.palette();
  palette.setColor(QPalette::Window, kBackground);
  palette.setColor(QPalette::WindowText, kText);
  palette.setColor(QPalette::Base, kPanel);
  palette.setColor(QPalette::Text, kText);
  palette.setColor(QPalette::Button, kPanel);
  palette.setColor(QPalette::ButtonText, kText);
  palette.setColor(QPalette::Highlight, kAccent);
  palette.setColor(QPalette::HighlightedText, kBackground);
  app.setPalette(palette);
  app.setStyleSheet(StyleSheet());
}

namespace {

// Decodes one picture file. Not through QPixmap's own loading: that keeps every picture in the
// process-wide pixmap cache, so a window's pictures would outlive the window's use of them.
QImage readPicture(const std::filesystem::path& file) {
  QImageReader reader(QString::fromStdString(file.string()));
  // The name's extension says the format: no probing through every image plug-in.
  reader.setDecideFormatFromContent(false);
  QImage image = reader.read();
  if (image.isNull()) {
    reader.setFileName(reader.fileName());
    reader.setDecideFormatFromContent(true);
    image = reader.read();
  }
  return image;
}

}  // namespace

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

QPixmap ProgramPixmap(const QString& relativeName) {
  return LoadPixmap(paths::resolveInFolder(paths::program(), relativeName.toStdString()));
}

namespace {
std::filesystem::path skinFile(const QString& name) {
  return paths::resolveInFolder(paths::program(), ("images\\skin\\" + name).toStdString());
}
}  // namespace

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
