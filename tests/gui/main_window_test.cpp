// The main window and the two secondary windows bound to the core's windows.

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

#include "gui/bindings.h"
#include "gui/bsdl_window.h"
#include "gui/main_window.h"
#include "gui/protocol_window.h"
#include "support/app_fixture.h"

namespace {

class MainWindow : public AppFixture {
 protected:
  MainWindow() {
    Bind(*Frm_BSDLFile, &bsdl, TCloseBehaviour::HideOnly);
    Bind(*Frm_Protocol, &protocol, TCloseBehaviour::HideOnly);
    Bind(form, &window, TCloseBehaviour::EndsProgram);
    form.MainMenu1.Loaded();
  }
  template <typename T>
  T* Find(const char* name) {
    return window.findChild<T*>(QString::fromLatin1(name));
  }

  TMainWindow window{form};
  TBSDLWindow bsdl{*Frm_BSDLFile};
  TProtocolWindow protocol{*Frm_Protocol};
};

TEST_F(MainWindow, OpensAsDesignedOnTheNORFlashPage) {
  EXPECT_EQ(window.windowTitle().toStdString(), form.Caption());
  EXPECT_EQ(window.size(), QSize(536, 353));
  auto* pages = Find<QTabWidget>("PageControl1");
  ASSERT_NE(pages, nullptr);
  ASSERT_EQ(pages->count(), 4);
  EXPECT_EQ(pages->tabText(0), "Binary Counter");
  EXPECT_EQ(pages->tabText(1), "SPI Flasher");
  EXPECT_EQ(pages->tabText(2), "NOR Flash");
  EXPECT_EQ(pages->tabText(3), "Init");
  EXPECT_EQ(pages->currentIndex(), 2);
  EXPECT_TRUE(Find<QPushButton>("BT_Sample")->isHidden());
  EXPECT_TRUE(Find<QPushButton>("bt_Extest")->isHidden());
  EXPECT_FALSE(Find<QPushButton>("Bt_Connect")->isEnabled());
  EXPECT_TRUE(Find<QPushButton>("bt_cancel")->isEnabled());
  EXPECT_EQ(Find<QAction>("ItemJTAGCLK")->text(), "JTAG CLK: 0");
  EXPECT_EQ(Find<QProgressBar>("ProgressGauge")->value(), 100);
  EXPECT_FALSE(bsdl.isVisible());
  EXPECT_FALSE(protocol.isVisible());
  // Every one of the 64 pin lists has its widget.
  for (TComboBox* list : form.PinLists()) {
    EXPECT_NE(window.findChild<QComboBox*>(QString::fromStdString(list->Name())), nullptr)
        << list->Name();
  }
}

TEST_F(MainWindow, TheMenuTreeIsInOrder) {
  QStringList tree;
  std::function<void(QMenu*, QString)> walk = [&](QMenu* menu, const QString& prefix) {
    for (QAction* action : menu->actions()) {
      const QString text = action->isSeparator() ? QStringLiteral("-") : action->text();
      tree << prefix + text;
      if (action->menu() != nullptr) walk(action->menu(), prefix + text + QStringLiteral(" > "));
    }
  };
  for (QAction* top : window.menuBar()->actions()) {
    tree << top->text();
    walk(top->menu(), top->text() + QStringLiteral(" > "));
  }
  EXPECT_EQ(tree, QStringList({"File",
                               "File > open",
                               "File > open > project file",
                               "File > open > bsdl",
                               "File > save",
                               "File > save > project file",
                               "File > save > current project file",
                               "File > -",
                               "File > close",
                               "Settings",
                               "Settings > BSDL_Cells: WriteOnly",
                               "Settings > BSDL_Cells: AddOnly",
                               "Settings > JTAG CLK: 0",
                               "View",
                               "View > BSDL File Interpreter",
                               "View > Protocol Window",
                               "View > -",
                               "View > Expert",
                               "Help",
                               "Help > Info"}));
}

TEST_F(MainWindow, ViewItemsShowAndHideTheWindowsAndExpertShowsTheScanButtons) {
  Find<QAction>("ProtocolWindow")->trigger();
  EXPECT_TRUE(protocol.isVisible());
  EXPECT_TRUE(Find<QAction>("ProtocolWindow")->isChecked());
  // Closed with its own button: hidden, the item stays checked; the next click hides
  // the hidden window, the one after shows it again.
  protocol.close();
  EXPECT_FALSE(protocol.isVisible());
  EXPECT_TRUE(Find<QAction>("ProtocolWindow")->isChecked());
  Find<QAction>("ProtocolWindow")->trigger();
  EXPECT_FALSE(protocol.isVisible());
  Find<QAction>("ProtocolWindow")->trigger();
  EXPECT_TRUE(protocol.isVisible());

  Find<QAction>("BSDLFileInterpreter1")->trigger();
  EXPECT_TRUE(bsdl.isVisible());

  Find<QAction>("Expert1")->trigger();
  EXPECT_FALSE(Find<QPushButton>("BT_Sample")->isHidden());
  EXPECT_FALSE(Find<QPushButton>("bt_Extest")->isHidden());
  EXPECT_TRUE(Find<QAction>("ItemBSDLCellsWriteOnly")->isVisible());
  form.ClockDivisor = 5;
  Find<QAction>("Expert1")->trigger();
  EXPECT_TRUE(Find<QPushButton>("BT_Sample")->isHidden());
  EXPECT_EQ(Find<QAction>("ItemJTAGCLK")->text(), "JTAG CLK: 5");
}

TEST_F(MainWindow, StatusBarPanelsAndGaugeFollowTheWindowWidth) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.resize(600, 353);
  QCoreApplication::processEvents();
  for (int i = 0; i < 3; ++i) {
    auto* panel = Find<QLabel>(QStringLiteral("StatusBar1_Panel%1").arg(i).toLatin1());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->width(), 200) << i;
    EXPECT_EQ(panel->x(), 200 * i) << i;
  }
  auto* gauge = Find<QProgressBar>("ProgressGauge");
  EXPECT_EQ(gauge->x(), 204);
  EXPECT_EQ(gauge->x() + gauge->width(), 396);
  EXPECT_EQ(Find<QLabel>("StatusBar1_Panel2")->text().toStdString(), TForm1::kStatusCredit);
}

TEST_F(MainWindow, CloseEndsTheMainWindow) {
  bool closed = false;
  form.OnClose = [&] { closed = true; };
  Find<QAction>("close1")->trigger();
  EXPECT_TRUE(closed);
  EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindow, TheSearchFieldSitsAtTheRightOfTheBSDLWindow) {
  Frm_BSDLFile->SetVisible(true);
  auto* field = bsdl.findChild<QLineEdit*>(QStringLiteral("txt_signal_name"));
  auto* search = bsdl.findChild<QPushButton*>(QStringLiteral("BtSearchBSDL"));
  ASSERT_NE(field, nullptr);
  ASSERT_NE(search, nullptr);
  EXPECT_EQ(bsdl.size(), QSize(760, 510));
  EXPECT_EQ(field->width(), 121);
  EXPECT_EQ(search->text(), "search");
  EXPECT_LT(field->x(), search->x());
  EXPECT_GT(search->x() + search->width(), bsdl.width() - 20);
  EXPECT_EQ(protocol.windowTitle(), "Protocol Window");
  EXPECT_EQ(protocol.size(), QSize(620, 396));
}

}  // namespace
