// SPDX-License-Identifier: GPL-2.0-or-later
// What every control of the widget set carries: its tag, binding name, alignment in its
// parent and, for text-bearing controls, the source text it translates.
#pragma once

#include <QMargins>
#include <QString>
#include <QWidget>

namespace qor {

class TextTranslationService;

// Where a control sits in its parent: None keeps its own geometry; the others take a band of
// what is left of the parent, in the order Top, Bottom, Left, Right, then Client.
enum class UiAlign { None, Top, Bottom, Left, Right, Client };

class UiControl {
 public:
  explicit UiControl(QWidget& self) : FSelf(self) {}
  virtual ~UiControl() = default;
  UiControl(const UiControl&) = delete;
  UiControl& operator=(const UiControl&) = delete;

  int Tag() const { return FTag; }
  void SetTag(int tag) { FTag = tag; }
  // The name under which a row template's child is found (UiListBox::FindBinding).
  const QString& BindingName() const { return FBindingName; }
  void SetBindingName(const QString& name) { FBindingName = name; }

  UiAlign Align() const { return FAlign; }
  // Re-arranges the parent at once so the control takes its band.
  void SetAlign(UiAlign align);
  // Space kept free around the control inside its band.
  const QMargins& Padding() const { return FPadding; }
  void SetPadding(const QMargins& padding);

  // The hint shown as the control's tooltip, translated like a text; empty for none.
  void SetHint(const QString& source);
  const QString& HintSource() const { return FHint; }
  // Shows the hint and the accessible name in the service's language (see
  // UiTextControl::Retranslate).
  void RetranslateHint(const TextTranslationService& service);

  // The name assistive technology reads for the control, translated like a text; a text
  // control without one is named by the text it shows.
  void SetAccessibleText(const QString& source);
  const QString& AccessibleSource() const { return FAccessible; }

  QWidget& Widget() { return FSelf; }

 private:
  QWidget& FSelf;
  QString FHint;
  QString FAccessible;
  int FTag = 0;
  QString FBindingName;
  UiAlign FAlign = UiAlign::None;
  QMargins FPadding;
};

// A control that shows a text: it keeps the text as written (the source) and shows it
// translated, unless its automatic translation is off.
class UiTextControl : public UiControl {
 public:
  using UiControl::UiControl;

  // Sets the source text and shows it in the current language.
  void SetText(const QString& source);
  const QString& SourceText() const { return FSource; }
  bool AutoTranslate() const { return FAutoTranslate; }
  // Off: the text is shown as given (texts the caller translated already).
  void SetAutoTranslate(bool on);
  // Shows the source text in the service's language: the source itself while the service
  // maps texts back, else its translation.
  void Retranslate(const TextTranslationService& service);

 protected:
  virtual void ShowText(const QString& text) = 0;

 private:
  // Shows `text` and names the control by it unless it has its own accessible text.
  void Present(const QString& text);

  QString FSource;
  bool FAutoTranslate = true;
};

// The text of `source` in the service's language: the source itself while the service maps
// texts back, else its translation.
QString TranslatedBy(const TextTranslationService& service, const QString& source);

// Lays out the aligned controls among the children of `parent`, in creation order within
// each alignment.
void ArrangeAligned(QWidget& parent);

// The control behind a widget of the set, or null.
UiControl* AsControl(QObject* object);

}  // namespace qor
