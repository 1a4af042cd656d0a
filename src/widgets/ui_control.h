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

  QWidget& Widget() { return FSelf; }

 private:
  QWidget& FSelf;
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
  QString FSource;
  bool FAutoTranslate = true;
};

// Lays out the aligned controls among the children of `parent`, in creation order within
// each alignment.
void ArrangeAligned(QWidget& parent);

// The control behind a widget of the set, or null.
UiControl* AsControl(QObject* object);

}  // namespace qor
