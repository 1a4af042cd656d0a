// SPDX-License-Identifier: GPL-2.0-or-later
// Every window and dialog, as qorcfg51-render draws them, in every shipped language: each text
// fits the control that shows it, and each control's text is one the dictionaries translate.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QtTest>
#include <set>

#include "app/gui/frm_macro.h"
#include "app/gui/window_gallery.h"
#include "gui/main_window_session.h"
#include "macro/hook.h"
#include "model/wide_text.h"
#include "protocol/key_code_table.h"
#include "widgets/choice_buttons.h"
#include "widgets/label.h"
#include "widgets/list_box.h"
#include "widgets/menu_box.h"
#include "widgets/qt_text.h"
#include "widgets/skin.h"

namespace qor {
namespace {

const char* const kLanguages[] = {"0409", "0407", "040c", "040a"};

QString describe(const QWidget& w) {
  return QString("%1 (%2)").arg(w.objectName(), w.metaObject()->className());
}

// Whether `needed`, the rectangle a text takes, lies within `box`; else a line telling so.
std::optional<QString> outside(const QWidget& w, const QString& text, const QRect& box,
                               const QRect& needed) {
  if (box.contains(needed)) return std::nullopt;
  return QString("%1: \"%2\" needs %3x%4, has %5x%6")
      .arg(describe(w), text)
      .arg(needed.width())
      .arg(needed.height())
      .arg(box.width())
      .arg(box.height());
}

std::optional<QString> labelMisfit(const QLabel& label) {
  if (label.text().isEmpty()) return std::nullopt;
  const QRect box = label.contentsRect();
  int flags = int(label.alignment());
  if (label.wordWrap()) flags |= Qt::TextWordWrap;
  const QRect needed = QFontMetrics(label.font()).boundingRect(box, flags, label.text());
  return outside(label, label.text(), box, needed);
}

// A text button, check box or radio button: its text against the room the style gives it.
std::optional<QString> buttonMisfit(const QAbstractButton& button) {
  if (button.text().isEmpty()) return std::nullopt;
  QStyleOptionButton option;
  option.initFrom(&button);
  option.text = button.text();
  QStyle::SubElement contents = QStyle::SE_PushButtonContents;
  QFont font = button.font();
  if (qobject_cast<const QCheckBox*>(&button)) {
    contents = QStyle::SE_CheckBoxContents;
  } else if (qobject_cast<const QRadioButton*>(&button)) {
    contents = QStyle::SE_RadioButtonContents;
  } else if (button.property("styleName").toString().startsWith("CPI")) {
    font.setBold(true);  // the active level's button shows its text bold
  }
  const QRect box = button.style()->subElementRect(contents, &option, &button);
  int flags = Qt::AlignCenter;
  if (auto* check = dynamic_cast<const UiCheckBox*>(&button); check && check->WordWrap())
    flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
  const QRect needed = QFontMetrics(font).boundingRect(box, flags, button.text());
  return outside(button, button.text(), box, needed);
}

std::optional<QString> menuRowMisfit(const TuiMenuBoxItem& row) {
  const QRect box = row.TextArea();
  const QRect needed =
      QFontMetrics(row.TextFont()).boundingRect(box, Qt::AlignLeft | Qt::AlignVCenter, row.Text());
  return outside(row, row.Text(), box, needed);
}

// The texts of `window` wider or taller than the controls showing them, one line each.
QStringList misfits(QWidget& window) {
  QStringList found;
  for (QWidget* w : window.findChildren<QWidget*>()) {
    // Owned windows (the settings windows of the main window) are measured on their own.
    if (w->window() != &window || !w->isVisibleTo(&window)) continue;
    std::optional<QString> misfit;
    if (auto* label = qobject_cast<QLabel*>(w))
      misfit = labelMisfit(*label);
    else if (auto* button = qobject_cast<QAbstractButton*>(w))
      misfit = buttonMisfit(*button);
    else if (auto* row = dynamic_cast<TuiMenuBoxItem*>(w))
      misfit = menuRowMisfit(*row);
    if (misfit) found << *misfit;
  }
  return found;
}

// The source texts the controls of `window` translate: texts, hints and accessible names.
std::set<QString> sourceTexts(QWidget& window) {
  std::set<QString> sources;
  QList<QWidget*> widgets = window.findChildren<QWidget*>();
  widgets.prepend(&window);
  for (QWidget* w : widgets) {
    if (w->window() != &window) continue;
    UiControl* control = AsControl(w);
    if (!control) continue;
    sources.insert(control->HintSource());
    sources.insert(control->AccessibleSource());
    if (auto* text = dynamic_cast<UiTextControl*>(control); text && text->AutoTranslate())
      sources.insert(text->SourceText());
  }
  sources.erase(QString());
  return sources;
}

}  // namespace

class TextFitTest : public QObject {
  Q_OBJECT

  std::unique_ptr<test::Session> session;

  void setLanguage(const char* id) { session->window->Language().SetLang(toUtf16(id)); }

  // Every window of the gallery in every language.
  static void galleryRows() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("window");
    for (const char* language : kLanguages)
      for (const std::string& window : GalleryWindowNames())
        QTest::addRow("%s %s", language, window.c_str())
            << language << QString::fromStdString(window);
  }

 private slots:
  void initTestCase() {
    // Against a virtual mouse, as render-windows draws them.
    session = std::make_unique<test::Session>(std::vector<std::string>{});
    QVERIFY(session->window->Language().Resources().size() == std::size(kLanguages));
  }
  void cleanupTestCase() { session.reset(); }
  void cleanup() { setLanguage("0409"); }

  void everyTextFitsItsControl_data() { galleryRows(); }
  void everyTextFitsItsControl() {
    QFETCH(QString, language);
    QFETCH(QString, window);
    setLanguage(qPrintable(language));
    QStringList found;
    QVERIFY(ShowGalleryWindow(window.toStdString(), *session->window, session->dm,
                              [&](QWidget& shown, const QString& picture) {
                                for (const QString& misfit : misfits(shown))
                                  found << picture + ": " + misfit;
                                return true;
                              }));
    QVERIFY2(found.isEmpty(), qPrintable("\n" + found.join("\n")));
  }

  // The key column of the macro manager's actions holds the longest name a key or a mouse
  // button can have there (the key table's names, the mouse buttons' translated ones).
  void theMacroKeyColumnHoldsEveryKeyName_data() {
    QTest::addColumn<QString>("language");
    for (const char* language : kLanguages) QTest::newRow(language) << language;
  }
  void theMacroKeyColumnHoldsEveryKeyName() {
    QFETCH(QString, language);
    setLanguage(qPrintable(language));
    TFrmMacro form(session->window.get());
    UiListRow& row = form.ListBoxMacroKey->AddRow();
    const UiLabel* column = UiListBox::FindBinding<UiLabel>(row, "BUTTON");
    const QFontMetrics metrics(column->font());
    QStringList names;
    // Keys the mouse can send (those with a HID usage), as the key table names them.
    for (uint32_t vk = 0; vk < kKeyTableRows; ++vk)
      for (int32_t extended : {0, 1})
        if (const TKeyboardInfoTable* key = FindKeyRow(vk, extended); key && key->HIDCode >= 0)
          names << FromUtf8(GetKeyDescriptionByVK(vk, extended));
    for (TMouseButtons button :
         {TMouseButtons::LCLICK, TMouseButtons::RCLICK, TMouseButtons::MCLICK,
          TMouseButtons::XCLICK4, TMouseButtons::XCLICK5, TMouseButtons::WHEELUP,
          TMouseButtons::WHEELDOWN})
      names << TranslateText(FromUtf8(GetMouseButtonDescription(button)));
    for (const char* mouse : {"Mouse Left Click", "Mouse Right Click", "Mouse Middle Click"})
      names << TranslateText(mouse);
    QStringList tooWide;
    for (const QString& name : names)
      if (metrics.horizontalAdvance(" " + name) > column->contentsRect().width())
        tooWide << QString("\"%1\" (%2 px)").arg(name).arg(metrics.horizontalAdvance(" " + name));
    QVERIFY2(tooWide.isEmpty(),
             qPrintable(QString("%1 px hold not ").arg(column->width()) + tooWide.join(", ")));
  }

  // A control's text that no dictionary has shows in English in every language.
  void everyControlTextIsInEveryDictionary_data() {
    QTest::addColumn<QString>("window");
    for (const std::string& window : GalleryWindowNames())
      QTest::newRow(window.c_str()) << QString::fromStdString(window);
  }
  void everyControlTextIsInEveryDictionary() {
    QFETCH(QString, window);
    std::set<QString> sources;
    QVERIFY(ShowGalleryWindow(window.toStdString(), *session->window, session->dm,
                              [&](QWidget& shown, const QString&) {
                                sources.merge(sourceTexts(shown));
                                return true;
                              }));
    QStringList missing;
    for (const LanguageEntry& language : session->window->Language().Resources()) {
      const TranslationDictionary dictionary(language.lines);
      for (const QString& source : sources)
        if (!dictionary.FindTranslation(ToU16(source)))
          missing << FromU16(language.shortID) + " lacks \"" + source + "\"";
    }
    QVERIFY2(missing.isEmpty(), qPrintable("\n" + missing.join("\n")));
  }
};

}  // namespace qor

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  qor::skin::Apply(app);
  qor::TextFitTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "text_fit_test.moc"
