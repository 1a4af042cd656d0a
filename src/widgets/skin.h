// SPDX-License-Identifier: GPL-2.0-or-later
// The one skin of the program: its colours, style sheet, pictures and cursors.
#pragma once

#include <QColor>
#include <QCursor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <filesystem>

class QApplication;

namespace qor::skin {

inline const QColor kAccent{0x21, 0xd4, 0xfd};       // the one accent colour
inline const QColor kBackground{0x15, 0x17, 0x1c};   // behind everything
inline const QColor kPanel{0x1d, 0x20, 0x27};        // panels, darker end
inline const QColor kPanelRaised{0x26, 0x2b, 0x34};  // panels, lighter end
inline const QColor kText{0xc8, 0xcf, 0xd9};         // ordinary text
inline const QColor kTextDim{0x7d, 0x86, 0x93};      // captions and disabled text
inline const QColor kWarning{0xf0, 0xb4, 0x29};      // marks of things that need the user
inline const QColor kBorder{0x3a, 0x41, 0x4d};       // frames of buttons and boxes
inline const QColor kBorderDim{0x2c, 0x31, 0x3a};    // frames of panels, disabled buttons

// Sets the skin's style (widgets/skin_style.h), font and palette on the application.
void Apply(QApplication& app);

// Loads a picture file, taking its "@2x" twin on screens of device pixel ratio 2 or more.
// A missing file gives a null image. The image keeps the file's pixel format: a picture
// stored with a palette stays one byte a pixel (painting reads it through the palette).
QImage LoadImage(const std::filesystem::path& file);
// The same as a pixmap (the screen's pixel format).
QPixmap LoadPixmap(const std::filesystem::path& file);
// A skin picture: images/skin/<name> in the program folder.
QPixmap SkinPixmap(const QString& name);
QImage SkinImage(const QString& name);
// The windows' icon from an icon file, its sizes up to 64 pixels: title bars and task
// switchers show no larger, and every window keeps its own copy of each size.
QIcon WindowIcon(const std::filesystem::path& file);

// Reads a .cur file with its hotspot; false (and `out` untouched) when it cannot be read.
bool LoadCursorFile(const std::filesystem::path& file, QCursor& out);
// The cursors controls show: the hand over buttons, the arrow elsewhere. The system's until
// SetCursors replaces them.
const QCursor& HandCursor();
const QCursor& ArrowCursor();
void SetCursors(const QCursor& hand, const QCursor& arrow);

}  // namespace qor::skin
