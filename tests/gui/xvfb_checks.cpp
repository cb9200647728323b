// Checks of the GUI under a real X server (run by run_xvfb_checks.sh inside Xvfb):
// the main window's title, the info box, the status-bar layout at 600 pixels, and
// screenshots of every window for a look at the layout.

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/uMain.h"
#include "bsdl/uBSDLFileInterpreter.h"
#include "gui/bsdl_window.h"
#include "gui/gui_session.h"
#include "gui/main_window.h"
#include "gui/pinloom_application.h"
#include "gui/protocol_window.h"
#include "log/uProtocolWindow.h"

class XvfbChecks : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    auto* app = qobject_cast<TPinloomApplication*>(QCoreApplication::instance());
    QVERIFY(app != nullptr);
    session_ = std::make_unique<TGuiSession>(*app);
    session_->Start();
    QVERIFY(QTest::qWaitForWindowExposed(&session_->MainWindow()));
  }

  void mainWindowOpensAsDesigned() {
    // The layout fits the designed size: nothing forces the window larger.
    QCOMPARE(session_->MainWindow().size(), QSize(536, 353));
    QCOMPARE(session_->BSDLWindow().size(), QSize(760, 510));
    QCOMPARE(session_->ProtocolWindow().size(), QSize(620, 396));
    // Also in expert mode, with Sample and Extest in the top strip.
    Action("Expert1")->trigger();
    QVERIFY(session_->MainWindow().minimumSizeHint().width() <= 536);
    QCOMPARE(session_->MainWindow().size(), QSize(536, 353));
    Action("Expert1")->trigger();
  }

  void mainWindowTitle() {
    QCOMPARE(session_->MainWindow().windowTitle(),
             QStringLiteral("Pinloom Programmer - V 1.0.0.5"));
    QCOMPARE(session_->MainWindow().windowHandle()->title(),
             QStringLiteral("Pinloom Programmer - V 1.0.0.5"));
  }

  void infoBox() {
    QString text;
    QString title;
    // The box is modal: read it from inside its own event loop, then close it.
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        text = box->text();
        title = box->windowTitle();
        box->accept();
      }
    });
    poll.start(50);
    Action("ItemInfo")->trigger();
    poll.stop();
    QVERIFY2(text.startsWith(QStringLiteral("Pinloom  V 1.0.0.5")), qPrintable(text));
    QCOMPARE(title, QStringLiteral("Pinloom"));
  }

  void statusBarAt600Pixels() {
    TMainWindow& window = session_->MainWindow();
    window.resize(600, window.height());
    QTRY_COMPARE(window.width(), 600);
    for (int i = 0; i < 3; ++i) {
      auto* panel = window.findChild<QLabel*>(QStringLiteral("StatusBar1_Panel%1").arg(i));
      QVERIFY(panel != nullptr);
      QTRY_COMPARE(panel->width(), 200);
    }
    auto* gauge = window.findChild<QProgressBar*>(QStringLiteral("ProgressGauge"));
    QVERIFY(gauge != nullptr);
    QCOMPARE(gauge->x(), 204);
    QCOMPARE(gauge->x() + gauge->width(), 396);
    window.resize(536, window.height());
    QTRY_COMPARE(window.width(), 536);
  }

  // Not a check: pictures of every page and window, for a look at the layout.
  void screenshots() {
    const QString dir = qEnvironmentVariable("PINLOOM_SCREENSHOT_DIR");
    if (dir.isEmpty()) QSKIP("PINLOOM_SCREENSHOT_DIR not set");
    QDir().mkpath(dir);
    FillWithSampleContent();
    TForm1& form = *Form1;
    for (int page = 0; page < 4; ++page) {
      form.PageControl1.SetActivePage(page);
      Save(session_->MainWindow(), dir + QStringLiteral("/main_page%1.png").arg(page));
    }
    Action("Expert1")->trigger();
    form.PageControl1.SetActivePage(TForm1::kPageNORFlash);
    Save(session_->MainWindow(), dir + QStringLiteral("/main_expert.png"));
    Action("BSDLFileInterpreter1")->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(&session_->BSDLWindow()));
    Save(session_->BSDLWindow(), dir + QStringLiteral("/bsdl_window.png"));
    Action("ProtocolWindow")->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(&session_->ProtocolWindow()));
    Save(session_->ProtocolWindow(), dir + QStringLiteral("/protocol_window.png"));
  }

  void cleanupTestCase() { session_.reset(); }

 private:
  QAction* Action(const char* name) {
    auto* action = session_->MainWindow().findChild<QAction*>(QString::fromLatin1(name));
    if (action == nullptr) qFatal("no action %s", name);
    return action;
  }

  static void Save(QWidget& window, const QString& path) {
    QTest::qWait(150);
    QVERIFY(window.grab().save(path));
  }

  // What a loaded BSDL file and a connected adapter would show.
  static void FillWithSampleContent() {
    TForm1& form = *Form1;
    form.cb_FTDI_Device.SetItems({"Pinloom demo board A"});
    form.cb_FTDI_Device.SetItemIndex(0);
    form.cb_jtag_devices.SetItems({"XC3S200 (0x01414093)"});
    form.cb_jtag_devices.SetItemIndex(0);
    std::vector<std::string> ports;
    for (int i = 0; i < 60; ++i) ports.push_back("IO_P" + std::to_string(i));
    int k = 0;
    for (TComboBox* list : form.PinLists()) {
      list->SetItems(ports);
      list->SetItemIndex(k++ % 60);
    }
    form.StatusBar1.SetPanelText(0, "Pinloom demo board A opened");
    form.StatusBar1.SetPanelText(1, "chain position 0");
    form.ProgressGauge.SetPosition(40);
    TListView& cells = Frm_BSDLFile->ListBoundaryScanCells;
    std::vector<TListItem> rows;
    for (int i = 0; i < 400; ++i) {
      const bool control = i % 3 == 2;
      rows.push_back({std::to_string(i),
                      {"BC_1", control ? "*" : "IO_P" + std::to_string(i / 3),
                       control ? "CONTROL" : (i % 3 ? "INPUT" : "OUTPUT3"), "X",
                       control ? "" : std::to_string(i - i % 3 + 2), control ? "" : "1",
                       control ? "" : "Z", i % 2 ? "1" : "0", control ? "input" : "-"}});
    }
    cells.SetRows(std::move(rows));
    cells.SetSelected(5, true);
    cells.SetItemFocused(5);
    Frm_BSDLFile->SetCaption("BSDL File Interpreter - xc3s200_tq144.bsd");
    AddToProtocol("  ", clGray);
    AddToProtocol("BSDL-> Entity: XC3S200_TQ144", clGreen);
    AddToProtocol("BSDL-> Instruction length: 6", clGray);
    AddToProtocol("Pin not found: IO_X", clOrange);
    AddToProtocol("No JTAG device found", clRed);
    AddToProtocol("Output index: 42", clNavy);
  }

  std::unique_ptr<TGuiSession> session_;
};

int main(int argc, char** argv) {
  TPinloomApplication app(argc, argv);
  XvfbChecks checks;
  return QTest::qExec(&checks, argc, argv);
}

#include "xvfb_checks.moc"
