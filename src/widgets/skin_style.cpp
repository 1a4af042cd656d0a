// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/skin_style.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStyleOption>
#include <algorithm>
#include <utility>

#include "widgets/choice_buttons.h"
#include "widgets/skin.h"

namespace qor::skin {
namespace {

const QColor kIndicatorBorder{0x4a, 0x52, 0x5f};  // radio and check marks; disabled handles
const QColor kGroove{0x2f, 0x35, 0x40};           // the track of a slider

constexpr int kIndicator = 14;   // radio and check marks, 12 pixels inside a 1-pixel frame
constexpr int kHandle = 14;      // a slider's handle
constexpr int kGrooveWidth = 4;  // a slider's track
constexpr int kScrollBar = 8;    // a scroll bar's thickness
constexpr int kScrollHandleMin = 20;
constexpr int kSpinButtons = 16;  // the column of a spin box's arrows

QString styleName(const QWidget* w) {
  return w ? w->property("styleName").toString() : QString();
}

struct Look {
  QColor fill = kPanel;
  QColor border = kBorder;
  QColor text = kText;
  qreal borderWidth = 1;
  qreal radius = 3;
  bool bold = false;
};

// A push button's look in its state; later rules win, as in the skin's design.
Look buttonLook(const QStyleOption& option, const QWidget* w) {
  const QStyle::State s = option.state;
  const bool enabled = s & QStyle::State_Enabled;
  const bool down = s & (QStyle::State_Sunken | QStyle::State_On);
  const bool hover = enabled && (s & QStyle::State_MouseOver);
  const bool focus = s & QStyle::State_HasFocus;
  const QString kind = styleName(w);
  Look look;
  if (kind == "swatch") {
    look.fill = w->property("swatchColor").value<QColor>();
    look.radius = 6;
    look.borderWidth = 2;
    if (hover || focus) look.border = kText;
    if (w->property("selected").toBool()) {
      look.border = kAccent;
      look.borderWidth = 3;
    }
    return look;
  }
  if (kind == "CPI-A") {
    look.fill = kPanelRaised;
    look.border = focus ? kText : kAccent;
    look.text = kAccent;
    look.bold = true;
    return look;
  }
  if (kind == "CPI-N") {
    look.border = focus ? kText : kBorderDim;
    look.text = kTextDim;
    return look;
  }
  if (hover) look.border = kAccent;
  if (down) {
    look.fill = kPanelRaised;
    look.border = kAccent;
    look.text = kAccent;
  }
  if (!enabled) {
    look.text = kTextDim;
    look.border = kBorderDim;
  }
  if (kind == "default") look.border = kAccent;
  if (focus) look.border = kText;
  return look;
}

// A rounded frame whose border lies inside `rect`.
void drawFrame(QPainter* p, const QRect& rect, const QColor& fill, const QColor& border,
               qreal width, qreal radius) {
  p->save();
  p->setRenderHint(QPainter::Antialiasing);
  const qreal half = width / 2;
  p->setPen(QPen(border, width));
  p->setBrush(fill);
  p->drawRoundedRect(QRectF(rect).adjusted(half, half, -half, -half), std::max(0.0, radius - half),
                     std::max(0.0, radius - half));
  p->restore();
}

void fillRounded(QPainter* p, const QRectF& rect, const QColor& colour, qreal radius) {
  p->save();
  p->setRenderHint(QPainter::Antialiasing);
  p->setPen(Qt::NoPen);
  p->setBrush(colour);
  p->drawRoundedRect(rect, radius, radius);
  p->restore();
}

// A small filled triangle pointing up or down in `rect`.
void drawArrow(QPainter* p, const QRect& rect, bool up, const QColor& colour) {
  const QPointF c = QRectF(rect).center();
  const qreal w = 3.5, h = 2.5;
  QPainterPath path;
  path.moveTo(c.x() - w, up ? c.y() + h / 2 : c.y() - h / 2);
  path.lineTo(c.x() + w, up ? c.y() + h / 2 : c.y() - h / 2);
  path.lineTo(c.x(), up ? c.y() - h / 2 - 1 : c.y() + h / 2 + 1);
  path.closeSubpath();
  p->save();
  p->setRenderHint(QPainter::Antialiasing);
  p->fillPath(path, colour);
  p->restore();
}

// Where a handle of `length` starts along a track of `span` pixels.
int handleOffset(const QStyleOptionSlider& s, int span, int length) {
  return QStyle::sliderPositionFromValue(s.minimum, s.maximum, s.sliderPosition,
                                         std::max(0, span - length), s.upsideDown);
}

int scrollHandleLength(const QStyleOptionSlider& s, int span) {
  const qint64 range = qint64(s.maximum) - s.minimum;
  if (range <= 0) return span;
  const qint64 length = qint64(span) * s.pageStep / (range + s.pageStep);
  return std::clamp(int(length), std::min(kScrollHandleMin, span), span);
}

}  // namespace

SkinStyle::SkinStyle() : QProxyStyle(QStringLiteral("Fusion")) {}

void SkinStyle::polish(QWidget* widget) {
  QProxyStyle::polish(widget);
  if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QSlider*>(widget) ||
      qobject_cast<QAbstractSpinBox*>(widget) || qobject_cast<QScrollBar*>(widget))
    widget->setAttribute(Qt::WA_Hover);
  // Lists show the window's background between and below their rows.
  if (auto* area = qobject_cast<QScrollArea*>(widget)) {
    area->viewport()->setAutoFillBackground(false);
    if (area->widget()) area->widget()->setAutoFillBackground(false);
  }
}

int SkinStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                           const QWidget* widget) const {
  switch (metric) {
    case PM_IndicatorWidth:
    case PM_IndicatorHeight:
    case PM_ExclusiveIndicatorWidth:
    case PM_ExclusiveIndicatorHeight:
      return kIndicator;
    case PM_RadioButtonLabelSpacing:
    case PM_CheckBoxLabelSpacing:
      return 6;
    case PM_SliderLength:
    case PM_SliderThickness:
    case PM_SliderControlThickness:
      return kHandle;
    case PM_ScrollBarExtent:
      return kScrollBar;
    case PM_ScrollBarSliderMin:
      return kScrollHandleMin;
    case PM_ButtonShiftHorizontal:
    case PM_ButtonShiftVertical:
    case PM_ButtonDefaultIndicator:
      return 0;
    default:
      return QProxyStyle::pixelMetric(metric, option, widget);
  }
}

void SkinStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                              QPainter* painter, const QWidget* widget) const {
  switch (element) {
    case PE_PanelButtonCommand: {
      const Look look = buttonLook(*option, widget);
      drawFrame(painter, option->rect, look.fill, look.border, look.borderWidth, look.radius);
      return;
    }
    case PE_FrameFocusRect:  // focus shows in the controls' own colours
    case PE_FrameDefaultButton:
      return;
    case PE_IndicatorRadioButton:
    case PE_IndicatorCheckBox: {
      const bool on = option->state & State_On;
      const QRect r = option->rect;
      drawFrame(painter, r, on ? kAccent : kPanel, on ? kAccent : kIndicatorBorder, 1,
                element == PE_IndicatorRadioButton ? r.width() / 2.0 : 0);
      return;
    }
    case PE_PanelLineEdit: {
      const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
      if (frame && frame->lineWidth <= 0) return;  // inside a spin box: the box draws it
      drawFrame(painter, option->rect, kPanel, option->state & State_HasFocus ? kAccent : kBorder,
                1, 2);
      return;
    }
    case PE_FrameLineEdit:
      return;  // drawn with the panel
    case PE_PanelTipLabel:
      drawFrame(painter, option->rect, kPanelRaised, kAccent, 1, 0);
      return;
    default:
      QProxyStyle::drawPrimitive(element, option, painter, widget);
  }
}

void SkinStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const {
  switch (element) {
    case CE_PushButton:
      proxy()->drawControl(CE_PushButtonBevel, option, painter, widget);
      proxy()->drawControl(CE_PushButtonLabel, option, painter, widget);
      return;
    case CE_PushButtonBevel:
      proxy()->drawPrimitive(PE_PanelButtonCommand, option, painter, widget);
      return;
    case CE_PushButtonLabel:
      if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
        const Look look = buttonLook(*option, widget);
        QStyleOptionButton copy(*button);
        copy.palette.setColor(QPalette::ButtonText, look.text);
        painter->save();
        if (look.bold) {
          QFont bold = painter->font();
          bold.setBold(true);
          painter->setFont(bold);
        }
        QProxyStyle::drawControl(element, &copy, painter, widget);
        painter->restore();
        return;
      }
      break;
    case CE_RadioButtonLabel:
    case CE_CheckBoxLabel:
      if (const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option)) {
        QStyleOptionButton copy(*button);
        const QColor colour = !(option->state & State_Enabled)   ? kTextDim
                              : (option->state & State_HasFocus) ? kAccent
                                                                 : kText;
        copy.palette.setColor(QPalette::WindowText, colour);
        if (widget && widget->property(UiCheckBox::kWordWrapProperty).toBool()) {
          proxy()->drawItemText(painter, copy.rect,
                                Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, copy.palette,
                                option->state & State_Enabled, copy.text, QPalette::WindowText);
          return;
        }
        QProxyStyle::drawControl(element, &copy, painter, widget);
        return;
      }
      break;
    default:
      break;
  }
  QProxyStyle::drawControl(element, option, painter, widget);
}

void SkinStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                   QPainter* painter, const QWidget* widget) const {
  const bool enabled = option->state & State_Enabled;
  if (control == CC_Slider) {
    const auto* s = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (!s) return QProxyStyle::drawComplexControl(control, option, painter, widget);
    const QRect handle = subControlRect(control, option, SC_SliderHandle, widget);
    const QRectF r = option->rect;
    const bool horizontal = s->orientation == Qt::Horizontal;
    const QRectF groove =
        horizontal ? QRectF(r.left(), r.center().y() - kGrooveWidth / 2.0, r.width(), kGrooveWidth)
                   : QRectF(r.center().x() - kGrooveWidth / 2.0, r.top(), kGrooveWidth, r.height());
    fillRounded(painter, groove, kGroove, 2);
    // The part of the track up to the handle: left of it, or below it.
    QRectF filled = groove;
    if (horizontal)
      filled.setRight(QRectF(handle).center().x());
    else
      filled.setTop(QRectF(handle).center().y());
    fillRounded(painter, filled, enabled ? kAccent : kBorder, 2);
    const bool focus = option->state & State_HasFocus;
    const QColor fill = !enabled ? kIndicatorBorder : focus ? kAccent : kText;
    const QColor border = !enabled ? kIndicatorBorder : focus ? kText : kAccent;
    drawFrame(painter, handle, fill, border, 1, 6);
    return;
  }
  if (control == CC_SpinBox) {
    const auto* s = qstyleoption_cast<const QStyleOptionSpinBox*>(option);
    if (!s) return QProxyStyle::drawComplexControl(control, option, painter, widget);
    if (s->frame)
      drawFrame(painter, option->rect, kPanel, option->state & State_HasFocus ? kAccent : kBorder,
                1, 2);
    const auto arrow = [&](SubControl sub, bool up, QAbstractSpinBox::StepEnabledFlag step) {
      const bool can = enabled && (s->stepEnabled & step);
      const bool hot = can && (s->activeSubControls & sub);
      drawArrow(painter, subControlRect(control, option, sub, widget), up,
                !can  ? kTextDim
                : hot ? kAccent
                      : kText);
    };
    arrow(SC_SpinBoxUp, true, QAbstractSpinBox::StepUpEnabled);
    arrow(SC_SpinBoxDown, false, QAbstractSpinBox::StepDownEnabled);
    return;
  }
  if (control == CC_ScrollBar) {
    painter->fillRect(option->rect, kPanel);
    const QRect handle = subControlRect(control, option, SC_ScrollBarSlider, widget);
    if (enabled && handle.isValid()) fillRounded(painter, handle, kBorder, kScrollBar / 2.0);
    return;
  }
  QProxyStyle::drawComplexControl(control, option, painter, widget);
}

QRect SkinStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                SubControl sub, const QWidget* widget) const {
  const QRect r = option->rect;
  if (control == CC_Slider) {
    const auto* s = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (!s) return QProxyStyle::subControlRect(control, option, sub, widget);
    const bool horizontal = s->orientation == Qt::Horizontal;
    switch (sub) {
      case SC_SliderHandle: {
        const int along = handleOffset(*s, horizontal ? r.width() : r.height(), kHandle);
        return horizontal
                   ? QRect(r.left() + along, r.top() + (r.height() - kHandle) / 2, kHandle, kHandle)
                   : QRect(r.left() + (r.width() - kHandle) / 2, r.top() + along, kHandle, kHandle);
      }
      case SC_SliderGroove:
        return r;
      default:
        return QRect();
    }
  }
  if (control == CC_SpinBox) {
    const int column = kSpinButtons;
    const int half = r.height() / 2;
    switch (sub) {
      case SC_SpinBoxFrame:
        return r;
      case SC_SpinBoxEditField:
        return r.adjusted(5, 1, -column - 1, -1);
      case SC_SpinBoxUp:
        return QRect(r.right() - column, r.top() + 1, column, half - 1);
      case SC_SpinBoxDown:
        return QRect(r.right() - column, r.top() + half, column, r.height() - half - 1);
      default:
        return QRect();
    }
  }
  if (control == CC_ScrollBar) {
    const auto* s = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (!s) return QProxyStyle::subControlRect(control, option, sub, widget);
    const bool horizontal = s->orientation == Qt::Horizontal;
    const int span = horizontal ? r.width() : r.height();
    const int length = scrollHandleLength(*s, span);
    const int start = handleOffset(*s, span, length);
    const auto along = [&](int from, int size) {
      return horizontal ? QRect(r.left() + from, r.top(), size, r.height())
                        : QRect(r.left(), r.top() + from, r.width(), size);
    };
    switch (sub) {
      case SC_ScrollBarGroove:
        return r;
      case SC_ScrollBarSlider:
        return along(start, length);
      case SC_ScrollBarSubPage:
        return along(0, start);
      case SC_ScrollBarAddPage:
        return along(start + length, span - start - length);
      default:  // no arrow buttons
        return QRect();
    }
  }
  return QProxyStyle::subControlRect(control, option, sub, widget);
}

QRect SkinStyle::subElementRect(SubElement element, const QStyleOption* option,
                                const QWidget* widget) const {
  // Text inside an edit box keeps 5 pixels from the box's edge, the frame included.
  if (element == SE_LineEditContents) {
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (frame && frame->lineWidth > 0) return option->rect.adjusted(3, 1, -3, -1);
    return option->rect;
  }
  return QProxyStyle::subElementRect(element, option, widget);
}

QPalette Palette() {
  QPalette p;
  const std::pair<QPalette::ColorRole, QColor> roles[] = {{QPalette::Window, kBackground},
                                                          {QPalette::WindowText, kText},
                                                          {QPalette::Base, kPanel},
                                                          {QPalette::AlternateBase, kPanelRaised},
                                                          {QPalette::Text, kText},
                                                          {QPalette::Button, kPanel},
                                                          {QPalette::ButtonText, kText},
                                                          {QPalette::BrightText, Qt::white},
                                                          {QPalette::Highlight, kAccent},
                                                          {QPalette::HighlightedText, kBackground},
                                                          {QPalette::ToolTipBase, kPanelRaised},
                                                          {QPalette::ToolTipText, kText},
                                                          {QPalette::PlaceholderText, kTextDim},
                                                          {QPalette::Link, kAccent},
                                                          {QPalette::Light, kIndicatorBorder},
                                                          {QPalette::Midlight, kBorder},
                                                          {QPalette::Mid, kBorderDim},
                                                          {QPalette::Dark, kBackground.darker(130)},
                                                          {QPalette::Shadow, Qt::black}};
  for (const auto& [role, colour] : roles) p.setColor(role, colour);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, kTextDim);
  return p;
}

}  // namespace qor::skin
