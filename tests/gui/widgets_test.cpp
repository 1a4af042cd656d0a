// SPDX-License-Identifier: GPL-2.0-or-later
// The widget set: alignment, snapping, groups, list rows, translation, modal results and the
// notice dialog.
#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "app/gui/frm_dialog.h"
#include "platform/paths.h"
#include "ui/translation.h"
#include "widgets/bitmap_state_button.h"
#include "widgets/choice_buttons.h"
#include "widgets/label.h"
#include "widgets/layout.h"
#include "widgets/list_box.h"
#include "widgets/popup_placement.h"
#include "widgets/scene_window.h"
#include "widgets/skin.h"
#include "widgets/skin_style.h"
#include "widgets/text_button.h"
#include "widgets/track_bar.h"

namespace qor {

class WidgetsTest : public QObject {
  Q_OBJECT

 private slots:
  void alignedChildrenTakeTheirBandsInOrder() {
    UiLayout box(nullptr, "box", QRect(0, 0, 300, 200));
    auto* client = new UiLayout(&box, "client");  // created first, placed last
    client->SetPadding(QMargins(5, 5, 5, 5));
    client->SetAlign(UiAlign::Client);
    auto* top = new UiLayout(&box, "top", QRect(0, 0, 10, 20));
    top->SetAlign(UiAlign::Top);
    auto* bottom = new UiLayout(&box, "bottom", QRect(0, 0, 10, 30));
    bottom->SetAlign(UiAlign::Bottom);
    auto* left = new UiLayout(&box, "left", QRect(0, 0, 40, 10));
    left->SetPadding(QMargins(2, 3, 4, 5));
    left->SetAlign(UiAlign::Left);
    auto* right = new UiLayout(&box, "right", QRect(0, 0, 50, 10));
    right->SetAlign(UiAlign::Right);
    auto* fixed = new UiLayout(&box, "fixed", QRect(7, 8, 9, 10));
    box.show();

    QCOMPARE(top->geometry(), QRect(0, 0, 300, 20));
    QCOMPARE(bottom->geometry(), QRect(0, 170, 300, 30));
    QCOMPARE(left->geometry(), QRect(2, 23, 40, 142));
    QCOMPARE(right->geometry(), QRect(250, 20, 50, 150));
    QCOMPARE(client->geometry(), QRect(51, 25, 194, 140));
    QCOMPARE(fixed->geometry(), QRect(7, 8, 9, 10));

    // A resize of the box keeps every band where it belongs.
    box.resize(400, 200);
    QCOMPARE(right->geometry(), QRect(350, 20, 50, 150));
    QCOMPARE(client->geometry(), QRect(51, 25, 294, 140));
  }

  void trackBarSnapsToItsFrequency_data() {
    QTest::addColumn<int>("minimum");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("asked");
    QTest::addColumn<int>("shown");
    QTest::newRow("nearest step up") << 250 << 3500 << 250 << 380 << 500;
    QTest::newRow("nearest step down") << 250 << 3500 << 250 << 370 << 250;
    QTest::newRow("below the range") << 250 << 3500 << 250 << 0 << 250;
    QTest::newRow("above the range") << 250 << 3500 << 250 << 9000 << 3500;
    QTest::newRow("last step past the maximum") << 0 << 10 << 4 << 10 << 8;
    QTest::newRow("frequency 1 keeps every value") << 1 << 20 << 1 << 13 << 13;
  }
  void trackBarSnapsToItsFrequency() {
    QFETCH(int, minimum);
    QFETCH(int, maximum);
    QFETCH(int, frequency);
    QFETCH(int, asked);
    QFETCH(int, shown);
    UiTrackBar track(nullptr, "track", Qt::Vertical);
    track.SetRange(minimum, maximum, frequency);
    track.SetPosition(minimum == 0 ? 4 : minimum + frequency);
    std::vector<int> heard;
    track.OnChange = [&](UiTrackBar& t) { heard.push_back(t.Position()); };
    // The raw QSlider setter stands for a drag: it is snapped all the same.
    track.setValue(asked);
    QCOMPARE(track.Position(), shown);
    for (int p : heard) QCOMPARE(p, shown);
  }

  void radioButtonsExcludeEachOtherAcrossTheWindow() {
    UiScene scene(nullptr, "scene", 200, 100);
    auto* a = new UiLayout(&scene, "a", QRect(0, 0, 100, 100));
    auto* b = new UiLayout(&scene, "b", QRect(100, 0, 100, 100));
    auto* r1 = new UiRadioButton(a, "r1", "rate", QRect(0, 0, 80, 20), "125");
    auto* r2 = new UiRadioButton(b, "r2", "rate", QRect(0, 0, 80, 20), "250");
    auto* other = new UiRadioButton(b, "other", "profile", QRect(0, 30, 80, 20), "P1");
    other->SetChecked(true);
    r1->SetChecked(true);
    int changes = 0;
    r2->OnChange = [&](UiRadioButton&) { ++changes; };
    r2->click();
    QVERIFY(r2->isChecked());
    QVERIFY(!r1->isChecked());
    QVERIFY(other->isChecked());
    // Clicking the checked button keeps it checked and changes nothing.
    r2->click();
    QVERIFY(r2->isChecked());
    QCOMPARE(changes, 1);
  }

  void listRowsComeFromTheTemplateAndAreFoundByBinding() {
    UiListBox list(nullptr, "list", QRect(0, 0, 200, 100));
    list.SetRowTemplate(
        [](QWidget& row) {
          auto* name = new UiLabel(&row, "name", QRect(0, 0, 100, 20));
          name->SetBindingName("MacroName");
          auto* button = new UiTextButton(&row, "go", QRect(100, 0, 60, 20), "Go");
          button->SetBindingName("Go");
        },
        20);
    for (const char* text : {"first", "second", "third"})
      UiListBox::FindBinding<UiLabel>(list.AddRow(), "MacroName")->SetText(text);
    QCOMPARE(list.Count(), 3);
    QCOMPARE(UiListBox::FindBinding<UiLabel>(*list.Row(1), "MacroName")->text(), "second");
    QVERIFY(UiListBox::FindBinding(*list.Row(1), "Missing") == nullptr);
    QCOMPARE(list.Row(2)->geometry().top(), 40);

    int changes = 0;
    list.OnChange = [&](UiListBox&) { ++changes; };
    list.show();
    // A click on a control inside a row selects that row.
    QTest::mouseClick(UiListBox::FindBinding<UiTextButton>(*list.Row(2), "Go"), Qt::LeftButton);
    QCOMPARE(list.ItemIndex(), 2);
    list.SetItemIndex(7);
    QCOMPARE(list.ItemIndex(), -1);
    QCOMPARE(changes, 2);
    list.Clear();
    QCOMPARE(list.Count(), 0);
  }

  void bitmapButtonsStayPressedOrIgnoreThePointer() {
    UiScene scene(nullptr, "scene", 200, 100);
    auto* toggle = new UiBitmapStateButton(&scene, "toggle", QRect(0, 0, 50, 50));
    toggle->SetStaysPressed(true);
    auto* logo = new UiBitmapStateButton(&scene, "logo", QRect(60, 0, 50, 50));
    logo->SetHitTest(false);
    int clicks = 0;
    logo->OnClick = [&](UiBitmapStateButton&) { ++clicks; };
    scene.show();
    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(toggle->isChecked());
    QTest::mouseClick(toggle, Qt::LeftButton);
    QVERIFY(!toggle->isChecked());
    QVERIFY(logo->testAttribute(Qt::WA_TransparentForMouseEvents));
    QCOMPARE(clicks, 0);
  }

  void popupsOpenBesideTheirControl_data() {
    QTest::addColumn<int>("side");
    QTest::addColumn<QPoint>("corner");
    QTest::newRow("left centre") << int(PopupSide::LeftCenter) << QPoint(100 - 80, 200 + 15 - 50);
    QTest::newRow("right centre") << int(PopupSide::RightCenter) << QPoint(100 + 40, 165);
  }
  void popupsOpenBesideTheirControl() {
    QFETCH(int, side);
    QFETCH(QPoint, corner);
    QCOMPARE(PopupPosition(QRect(100, 200, 40, 30), QSize(80, 100), PopupSide(side)), corner);
  }

  void scenesTranslateTheirTextsFromTheSource() {
    UiScene scene(nullptr, "scene", 200, 100);
    auto* exit = new UiLabel(&scene, "exit", QRect(0, 0, 100, 20), "Exit");
    auto* close = new UiLabel(&scene, "close", QRect(0, 20, 100, 20), "Close");
    auto* fixed = new UiLabel(&scene, "fixed", QRect(0, 40, 100, 20));
    fixed->SetAutoTranslate(false);
    fixed->SetText("Exit");
    auto* button = new UiTextButton(&scene, "ok", QRect(0, 60, 60, 20), "OK");
    button->SetHint("Exit");
    TextTranslationService& service = TranslationService();
    // Two sources with one translation: mapping the shown text back would give both "Close".
    service.UseDictionary({u"Exit=Schließen", u"Close=Schließen", u"OK=Gut"});
    QCOMPARE(exit->text(), QString("Schließen"));
    QCOMPARE(close->text(), QString("Schließen"));
    QCOMPARE(button->text(), QString("Gut"));
    QCOMPARE(button->toolTip(), QString("Schließen"));
    QCOMPARE(fixed->text(), QString("Exit"));
    service.UseDictionary({u"Exit=Beenden"});
    QCOMPARE(exit->text(), QString("Beenden"));
    QCOMPARE(close->text(), QString("Close"));
    service.DropDictionary();
    QCOMPARE(exit->text(), QString("Exit"));
    QCOMPARE(button->text(), QString("OK"));
    QCOMPARE(button->toolTip(), QString("Exit"));
    // A text set while a language is current shows translated at once.
    service.UseDictionary({u"Apply=Übernehmen"});
    exit->SetText("Apply");
    QCOMPARE(exit->text(), QString("Übernehmen"));
    service.DropDictionary();
  }

  void aWindowIsDraggedByItsBackground() {
    UiScene scene(nullptr, "scene", 200, 100);
    auto* label = new UiLabel(&scene, "label", QRect(0, 0, 100, 20), "drag me");
    scene.move(300, 200);
    scene.show();
    const QPoint start = scene.mapToGlobal(QPoint(10, 10));
    // Presses on a label reach the window behind it.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(start), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(label, &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 30), QPointF(start + QPoint(30, 20)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&scene, &move);
    QCOMPARE(scene.pos(), QPoint(330, 220));
  }

  void aHiddenSceneLetsGoOfItsPictureAndWindowAndComesBackWhole() {
    const QImage picture = skin::SkinPixmap("bg_advanced.png").toImage();
    QCOMPARE(picture.size(), QSize(607, 467));
    UiScene scene(nullptr, "scene", 607, 467);
    scene.SetBackground("bg_advanced.png");
    auto* label = new UiLabel(&scene, "label", QRect(10, 50, 100, 20), "kept");
    for (int round = 0; round < 2; ++round) {
      scene.show();
      QVERIFY(QTest::qWaitForWindowExposed(&scene));
      const QImage shown = scene.grab().toImage();
      // The accent glow in the title strip and a plain corner of the body.
      for (const QPoint p : {QPoint(303, 31), QPoint(600, 460), QPoint(5, 200)})
        QCOMPARE(QColor(shown.pixel(p)), QColor(picture.pixel(p)));
      scene.hide();
      QCoreApplication::processEvents();
      QVERIFY(!scene.windowHandle());
      QCOMPARE(label->parentWidget(), &scene);
    }
  }

  void picturesLoadWhateverTheirNameSays_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("loads");
    QTest::newRow("upper-case extension") << "copy.PNG" << true;
    QTest::newRow("a PNG named as a bitmap") << "copy.bmp" << true;
    QTest::newRow("no extension") << "copy" << true;
    QTest::newRow("missing") << "" << false;
  }
  void picturesLoadWhateverTheirNameSays() {
    QFETCH(QString, name);
    QFETCH(bool, loads);
    QTemporaryDir dir;
    const QString source = QString::fromStdString(
        (paths::program() / "images" / "skin" / "bg_sensitivity.png").string());
    const QString file = dir.filePath(name.isEmpty() ? "missing.png" : name);
    if (!name.isEmpty()) QVERIFY(QFile::copy(source, file));
    const QPixmap pixmap = skin::LoadPixmap(file.toStdString());
    QCOMPARE(!pixmap.isNull(), loads);
    if (loads) QCOMPARE(pixmap.size(), QSize(257, 433));
  }

  void theWindowIconKeepsOnlyTitleBarSizes() {
    const QIcon icon = skin::WindowIcon(paths::program() / "images" / "logo.ico");
    QCOMPARE(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}}));
    QVERIFY(skin::WindowIcon(paths::program() / "images" / "missing.ico").isNull());
  }

  void theSkinDrawsEachControlFromItsOwnState() {
    UiScene scene(nullptr, "scene", 300, 200);
    // A track's handle sits where its value is: the top of a vertical track is its maximum.
    auto* track = new UiTrackBar(&scene, "track", Qt::Vertical, QRect(10, 10, 20, 120));
    track->SetRange(0, 100);
    // A colour button shows its own colour, framed in the accent once selected.
    auto* swatch = new UiTextButton(&scene, "swatch", QRect(100, 10, 56, 56));
    swatch->SetStyleName("swatch");
    swatch->setProperty("swatchColor", QColor(0x12, 0x34, 0x56));
    skin::SkinStyle style;
    track->setStyle(&style);
    swatch->setStyle(&style);
    scene.show();
    QVERIFY(QTest::qWaitForWindowExposed(&scene));
    const auto pixel = [](QWidget* w, QPoint p) { return QColor(w->grab().toImage().pixel(p)); };
    track->SetPosition(100);
    track->setFocus();
    QCOMPARE(pixel(track, QPoint(10, 7)), skin::kAccent);  // keyboard focus shows on the handle
    swatch->setFocus();
    QCOMPARE(pixel(track, QPoint(10, 7)), skin::kText);
    track->SetPosition(0);
    QCOMPARE(pixel(track, QPoint(10, 112)), skin::kText);
    QCOMPARE(pixel(track, QPoint(10, 7)), pixel(track, QPoint(10, 60)));  // bare track above
    QCOMPARE(pixel(swatch, QPoint(28, 28)), QColor(0x12, 0x34, 0x56));
    QCOMPARE(pixel(swatch, QPoint(1, 28)), skin::kText);  // focused
    swatch->setProperty("selected", true);
    QCOMPARE(pixel(swatch, QPoint(1, 28)), skin::kAccent);

    // Labels: captions dim, values in the accent, titles bold whatever size they take.
    auto* title = new UiLabel(&scene, "title", QRect(0, 150, 100, 20), "T");
    title->SetStyleName("title");
    title->SetFontSize(16);
    QVERIFY(title->font().bold());
    QCOMPARE(title->font().pixelSize(), 16);
    auto* caption = new UiLabel(&scene, "caption", QRect(0, 170, 100, 20), "C");
    caption->SetStyleName("caption");
    QCOMPARE(caption->palette().color(QPalette::WindowText), skin::kTextDim);
    caption->SetStyleName("value");
    QCOMPARE(caption->palette().color(QPalette::WindowText), skin::kAccent);
    QVERIFY(!caption->font().bold());
  }

  void aSceneLeavesTheTranslationServiceWithItsWindow() {
    const std::size_t before = TranslationService().SceneCount();
    {
      UiScene scene(nullptr, "scene", 10, 10);
      QCOMPARE(TranslationService().SceneCount(), before + 1);
    }
    QCOMPARE(TranslationService().SceneCount(), before);
  }

  void theNoticeDialogAnswers_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << "BtnOK" << 1;
    QTest::newRow("Cancel") << "BSBTNCANCEL" << 2;
    QTest::newRow("close button counts as OK") << "BSBTNCLOSE" << 1;
    QTest::newRow("Enter") << "Enter" << 1;
    QTest::newRow("Escape") << "Escape" << 2;
    QTest::newRow("question: OK") << "question BtnOK" << 1;
    QTest::newRow("question: close button is Cancel") << "question BSBTNCLOSE" << 2;
  }
  void theNoticeDialogAnswers() {
    QFETCH(QString, action);
    QFETCH(int, result);
    QString title, text;
    const bool question = action.startsWith("question ");
    if (question) action.remove(0, 9);
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QWidget*>(QApplication::activeModalWidget());
      if (!dialog) dialog = findDialog();
      QVERIFY(dialog);
      title = dialog->findChild<UiLabel*>("LabelTitle")->text();
      text = dialog->findChild<UiLabel*>("LabelText")->text();
      if (action == "Enter")
        QTest::keyClick(dialog, Qt::Key_Return);
      else if (action == "Escape")
        QTest::keyClick(dialog, Qt::Key_Escape);
      else
        QTest::mouseClick(dialog->findChild<QWidget*>(action), Qt::LeftButton);
    });
    QCOMPARE(question
                 ? ShowQuestion("Title", "Some text", DialogPosition::MainFormCenter, nullptr)
                 : ShowDialog("Title", "Some text", 0, DialogPosition::MainFormCenter, nullptr),
             result);
    QCOMPARE(title, QString("Title"));
    QCOMPARE(text, QString("Some text"));
  }

  void aLongMessageGrowsTheDialogInsteadOfBeingCut() {
    TFrmDialog dialog(nullptr);
    dialog.SetTexts("t", "short");
    QCOMPARE(dialog.size(), QSize(TFrmDialog::kWidth, TFrmDialog::kHeight));
    dialog.SetTexts("t", QString("A long line of a message that wraps. ").repeated(12));
    auto* text = dialog.findChild<UiLabel*>("LabelText");
    QVERIFY(dialog.height() > TFrmDialog::kHeight);
    QVERIFY(text->height() >= text->heightForWidth(text->width()));
    auto* ok = dialog.findChild<QWidget*>("BtnOK");
    QVERIFY(ok->geometry().top() >= text->geometry().bottom());
    QVERIFY(ok->geometry().bottom() < dialog.height());
    dialog.SetTexts("t", "short again");
    QCOMPARE(dialog.size(), QSize(TFrmDialog::kWidth, TFrmDialog::kHeight));
    QCOMPARE(ok->geometry().bottom(), TFrmDialog::kHeight - 44 + 28 - 1);
  }

  void theNoticeDialogCentresOnTheMainWindowOrTheOwner() {
    QWidget main, owner;
    main.setGeometry(100, 100, 492, 604);
    owner.setGeometry(900, 300, 200, 100);
    main.show();
    owner.show();
    SetMainForm(&main);
    for (auto [position, over] : {std::pair{DialogPosition::MainFormCenter, &main},
                                  std::pair{DialogPosition::OwnerFormCenter, &owner}}) {
      QPoint centre;
      QTimer::singleShot(0, [&] {
        QWidget* dialog = findDialog();
        QVERIFY(dialog);
        centre = dialog->frameGeometry().center();
        QTest::keyClick(dialog, Qt::Key_Escape);
      });
      ShowDialog("t", "x", 0, position, &owner);
      // Centres of even and odd sizes differ by the rounding of half a pixel.
      const QPoint off = centre - over->frameGeometry().center();
      QVERIFY(qAbs(off.x()) <= 1 && qAbs(off.y()) <= 1);
    }
    SetMainForm(nullptr);
  }

 private:
  static QWidget* findDialog() {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->objectName() == "TFrmDialog" && w->isVisible()) return w;
    return nullptr;
  }
};

}  // namespace qor

QTEST_MAIN(qor::WidgetsTest)
#include "widgets_test.moc"
