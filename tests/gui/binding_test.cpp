// Bindings of the control models to Qt widgets: a change by code reaches the widget
// and runs no handler; a user action runs the handler; the model stays the master.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <memory>
#include <string>
#include <vector>

#include "gui/bindings.h"
#include "gui/pinloom_application.h"
#include "platform/pinloom_error.h"
#include "support/scripted_host.h"

namespace {

// A top-level widget for a test, shown on the offscreen platform.
template <typename W>
std::unique_ptr<W> Shown() {
  auto widget = std::make_unique<W>();
  widget->show();
  return widget;
}

TEST(ButtonBinding, CodeChangesReachTheWidgetAndOnlyClicksRunTheHandler) {
  TButton model("bt_test", "connect");
  int clicks = 0;
  model.OnClick = [&] { ++clicks; };
  auto button = Shown<QPushButton>();
  Bind(model, button.get());
  EXPECT_EQ(button->text(), "connect");
  EXPECT_EQ(button->objectName(), "bt_test");

  model.SetCaption("disconnect");
  model.SetHint("Sample / Preload");
  EXPECT_EQ(button->text(), "disconnect");
  EXPECT_EQ(button->toolTip(), "Sample / Preload");
  EXPECT_EQ(clicks, 0);

  QTest::mouseClick(button.get(), Qt::LeftButton);
  EXPECT_EQ(clicks, 1);

  model.SetEnabled(false);
  EXPECT_FALSE(button->isEnabled());
  QTest::mouseClick(button.get(), Qt::LeftButton);
  EXPECT_EQ(clicks, 1);

  model.SetEnabled(true);
  model.SetVisible(false);
  EXPECT_TRUE(button->isHidden());
}

TEST(ButtonBinding, AnErrorRaisedByAHandlerIsShownAndTheProgramGoesOn) {
  TScriptedHost host;
  auto* app = qobject_cast<TPinloomApplication*>(QCoreApplication::instance());
  ASSERT_NE(app, nullptr);
  app->SetErrorHost(&host);
  TButton model("bt_fail", "fail");
  int clicks = 0;
  model.OnClick = [&] {
    ++clicks;
    throw EPinloomError("BSDL-> Error: no entity found");
  };
  auto button = Shown<QPushButton>();
  Bind(model, button.get());
  QTest::mouseClick(button.get(), Qt::LeftButton);
  QTest::mouseClick(button.get(), Qt::LeftButton);
  app->SetErrorHost(nullptr);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(host.Errors, (std::vector<std::string>{"BSDL-> Error: no entity found",
                                                   "BSDL-> Error: no entity found"}));
}

TEST(LabelBinding, FollowsTheCaptionAsPlainText) {
  TLabel model("lbl_test", "JTAG dongle:");
  auto label = Shown<QLabel>();
  Bind(model, label.get());
  EXPECT_EQ(label->text(), "JTAG dongle:");
  model.SetCaption("<b>x</b>");
  EXPECT_EQ(label->text(), "<b>x</b>");
  EXPECT_EQ(label->textFormat(), Qt::PlainText);
}

TEST(ComboBoxBinding, CodeChangesRunNoHandlerAndAUserPickRunsOnChange) {
  TComboBox model("combo_test", true);
  int changes = 0;
  model.OnChange = [&] { ++changes; };
  auto combo = Shown<TDropDownComboBox>();
  Bind(model, combo.get());

  model.SetItems({"pb2", "PA1", "pc3"});
  model.SetItemIndex(1);
  ASSERT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->itemText(0), "PA1");
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(changes, 0);

  // The user steps to the next item with the keyboard.
  combo->setFocus();
  QTest::keyClick(combo.get(), Qt::Key_Down);
  EXPECT_EQ(model.ItemIndex(), 2);
  EXPECT_EQ(model.Text(), "pc3");
  EXPECT_EQ(changes, 1);

  model.Clear();
  EXPECT_EQ(combo->count(), 0);
  EXPECT_EQ(combo->currentIndex(), -1);
  EXPECT_EQ(changes, 1);
}

TEST(ComboBoxBinding, TheWheelPicksOnlyInAFocusedList) {
  TComboBox model("combo_norflash_adr0", true);
  model.SetItems({"A00", "A01", "A02"});
  model.SetItemIndex(1);
  int changes = 0;
  model.OnChange = [&] { ++changes; };
  QWidget page;
  auto* combo = new TDropDownComboBox(&page);
  auto* other = new QLineEdit(&page);
  Bind(model, combo);
  page.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
  auto wheel = [&] {
    const QPointF at(combo->width() / 2.0, combo->height() / 2.0);
    QWheelEvent event(at, combo->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(combo, &event);
  };
  other->setFocus();
  wheel();
  EXPECT_EQ(model.ItemIndex(), 1);
  EXPECT_EQ(changes, 0);
  combo->setFocus();
  wheel();
  EXPECT_EQ(model.ItemIndex(), 2);
  EXPECT_EQ(changes, 1);
}

TEST(ComboBoxBinding, OpeningTheListRunsTheDropDownHandlerBeforeThePopupShows) {
  TComboBox model("cb_FTDI_Device");
  std::vector<std::string> events;
  auto combo = Shown<TDropDownComboBox>();
  model.OnDropDown = [&] {
    events.push_back("dropdown, popup visible: " +
                     std::string(combo->view()->isVisible() ? "yes" : "no"));
    model.SetItems({"Pinloom demo board A"});
  };
  Bind(model, combo.get());
  ASSERT_EQ(combo->count(), 0);

  combo->showPopup();
  EXPECT_EQ(events, (std::vector<std::string>{"dropdown, popup visible: no"}));
  EXPECT_TRUE(combo->view()->isVisible());
  ASSERT_EQ(combo->view()->model()->rowCount(), 1);
  EXPECT_EQ(combo->view()->model()->index(0, 0).data().toString(), "Pinloom demo board A");
  combo->hidePopup();

  // A disabled list neither runs the handler nor opens.
  model.SetEnabled(false);
  combo->showPopup();
  EXPECT_EQ(events.size(), 1U);
}

TEST(EditBinding, TypingRunsOnChangeAndEnterReachesTheKeyUpHandlerAs13) {
  TEdit model("txt_signal_name");
  int changes = 0;
  std::vector<int> keys;
  model.OnChange = [&] { ++changes; };
  model.OnKeyUp = [&](int key) { keys.push_back(key); };
  auto edit = Shown<QLineEdit>();
  Bind(model, edit.get());

  model.SetText("PA*");
  EXPECT_EQ(edit->text(), "PA*");
  EXPECT_EQ(changes, 0);
  EXPECT_TRUE(keys.empty());

  edit->clear();
  edit->setFocus();
  QTest::keyClicks(edit.get(), "D1");
  EXPECT_EQ(model.Text(), "D1");
  EXPECT_EQ(changes, 2);
  QTest::keyClick(edit.get(), Qt::Key_Return);
  QTest::keyClick(edit.get(), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(keys, (std::vector<int>{'D', '1', 13, 13}));
}

TEST(EditBinding, KeyCodes) {
  const std::vector<std::pair<int, int>> cases = {
      {Qt::Key_Return, 13}, {Qt::Key_Enter, 13},  {Qt::Key_Escape, 27}, {Qt::Key_A, 'A'},
      {Qt::Key_7, '7'},     {Qt::Key_Delete, 46}, {Qt::Key_Left, 37},   {Qt::Key_unknown, -1}};
  for (const auto& [key, code] : cases) EXPECT_EQ(KeyCodeOf(key), code) << key;
}

TEST(MemoBinding, LinesReachTheWidgetAndTheUsersEditReachesTheLines) {
  TMemo model("MemoInit");
  model.SetLines({"// Enter Init-Values", "", "OUT,PA1"});
  auto memo = Shown<QPlainTextEdit>();
  Bind(model, memo.get());
  EXPECT_EQ(memo->toPlainText(), "// Enter Init-Values\n\nOUT,PA1");

  memo->moveCursor(QTextCursor::End);
  memo->setFocus();
  QTest::keyClick(memo.get(), Qt::Key_Return);
  QTest::keyClicks(memo.get(), "1,PA1");
  EXPECT_EQ(model.Lines(),
            (std::vector<std::string>{"// Enter Init-Values", "", "OUT,PA1", "1,PA1"}));
  EXPECT_EQ(memo->toPlainText(), "// Enter Init-Values\n\nOUT,PA1\n1,PA1");
}

TEST(MenuItemBinding, TheModelIsTheMasterOfTheCheckMark) {
  TMenuItem model("Expert1", "Expert", true);
  int clicks = 0;
  bool handlerToggles = true;
  model.OnClick = [&] {
    ++clicks;
    if (handlerToggles) model.SetChecked(!model.Checked());
  };
  QMenu menu;
  QAction* action = menu.addAction(QString());
  Bind(model, action);
  EXPECT_EQ(action->text(), "Expert");
  EXPECT_TRUE(action->isCheckable());
  EXPECT_FALSE(action->isChecked());

  model.SetChecked(true);
  EXPECT_TRUE(action->isChecked());
  EXPECT_EQ(clicks, 0);

  action->trigger();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(model.Checked());
  EXPECT_FALSE(action->isChecked());

  // Qt toggles the mark itself; a handler that leaves it alone wins.
  handlerToggles = false;
  action->trigger();
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(action->isChecked());

  model.SetVisible(false);
  EXPECT_FALSE(action->isVisible());
  model.SetCaption("JTAG CLK: 3");
  EXPECT_EQ(action->text(), "JTAG CLK: 3");
}

TEST(MenuItemBinding, ASeparatorStaysASeparator) {
  TMenuItem model("FileSeparator", "-");
  QMenu menu;
  QAction* action = menu.addAction(QString());
  Bind(model, action);
  EXPECT_TRUE(action->isSeparator());
}

TEST(FormBinding, CaptionVisibilityAndTheCloseButton) {
  TForm model("Frm_Protocol", "Protocol Window", 192, 114, 620, 396);
  model.SetVisible(false);
  int closes = 0;
  model.OnClose = [&] { ++closes; };
  QWidget window;
  Bind(model, &window, TCloseBehaviour::HideOnly);
  EXPECT_EQ(window.windowTitle(), "Protocol Window");
  EXPECT_EQ(window.size(), QSize(620, 396));
  EXPECT_FALSE(window.isVisible());

  model.SetVisible(true);
  EXPECT_TRUE(window.isVisible());
  // The window's own close button hides it and tells the model, nothing more.
  window.close();
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(model.Visible());
  EXPECT_EQ(closes, 0);

  model.SetVisible(true);
  window.resize(700, 400);
  EXPECT_EQ(model.Width(), 700);
  EXPECT_EQ(model.Height(), 400);
}

TEST(FormBinding, ClosingTheMainWindowRunsTheModelsClose) {
  TForm model("Form1", "Pinloom Programmer", 209, 123, 536, 353);
  int closes = 0;
  model.OnClose = [&] { ++closes; };
  QWidget window;
  Bind(model, &window, TCloseBehaviour::EndsProgram);
  EXPECT_TRUE(window.isVisible());
  window.close();
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(model.Visible());
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
