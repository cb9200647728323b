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
#include <QTextBlock>
#include <QTimer>
#include <memory>

#include "app/uMain.h"
#include "bsdl/uBSDLFileInterpreter.h"
#include "gui/bindings.h"
#include "gui/bsdl_window.h"
#include "gui/cell_list_view.h"
#include "gui/gui_session.h"
#include "gui/log_view.h"
#include "gui/main_window.h"
#include "gui/pinloom_application.h"
#include "gui/protocol_window.h"
#include "jtag/backends/install_backends.h"
#include "log/uProtocolWindow.h"

class XvfbChecks : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    auto* app = qobject_cast<TPinloomApplication*>(QCoreApplication::instance());
    QVERIFY(app != nullptr);
    session_ = std::make_unique<TGuiSession>(*app);
    // The simulated demo board only: the checks never touch real adapters.
    TBackendOptions backends;
    backends.Ftdi = false;
    QVERIFY(InstallBackends(Form1->JtagLibrary, backends).empty());
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

  // The first whole run a user makes, through the widgets: the start-up timer lists
  // the demo board, connect, the chain list detects the chain as it opens, pick the
  // MCU, load its BSDL file, Sample.
  void demoBoardThroughTheWidgets() {
    TMainWindow& window = session_->MainWindow();
    auto* dongles = window.findChild<QComboBox*>(QStringLiteral("cb_FTDI_Device"));
    auto* chain = window.findChild<TDropDownComboBox*>(QStringLiteral("cb_jtag_devices"));
    auto* connect = window.findChild<QPushButton*>(QStringLiteral("Bt_Connect"));
    QVERIFY(dongles && chain && connect);
    QTRY_VERIFY(dongles->count() > 0);
    QVERIFY(dongles->currentText().startsWith(QStringLiteral("Pinloom Simulated Board A")));
    QTRY_VERIFY(connect->isEnabled());
    QTest::mouseClick(connect, Qt::LeftButton);
    QTRY_VERIFY(!dongles->isEnabled());

    chain->showPopup();
    QTRY_COMPARE(chain->count(), 3);
    chain->hidePopup();
    chain->setFocus();
    QTest::keyClick(chain, Qt::Key_Down);
    QTest::keyClick(chain, Qt::Key_Down);
    QCOMPARE(Form1->cb_jtag_devices.ItemIndex(), 1);

    Form1->LoadBSDLFile(PINLOOM_DEMO_DIR "/pl_mcu100.bsd");
    TCellListView* cells = session_->BSDLWindow().CellList();
    QTRY_COMPARE(cells->model()->rowCount(), 122);
    Action("Expert1")->trigger();
    auto* sample = window.findChild<QPushButton*>(QStringLiteral("BT_Sample"));
    QVERIFY(sample->isVisible());
    QTRY_VERIFY(sample->isEnabled());
    QTest::mouseClick(sample, Qt::LeftButton);
    // Every cell shows a captured value.
    QTRY_VERIFY(!cells->model()->index(0, colValue + 1).data().toString().isEmpty());
    for (int row = 0; row < cells->model()->rowCount(); ++row) {
      const QString value = cells->model()->index(row, colValue + 1).data().toString();
      QVERIFY2(value == QLatin1String("0") || value == QLatin1String("1"), qPrintable(value));
    }
    Action("Expert1")->trigger();
  }

  // Not a check: pictures of every page and window, for a look at the layout.
  void screenshots() {
    const QString dir = qEnvironmentVariable("PINLOOM_SCREENSHOT_DIR");
    if (dir.isEmpty()) QSKIP("PINLOOM_SCREENSHOT_DIR not set");
    QDir().mkpath(dir);
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
    // Written while the window was hidden, the newest line is in view once it shows.
    TLogView* log = session_->ProtocolWindow().Log();
    QTRY_COMPARE(log->cursorForPosition(QPoint(4, log->viewport()->height() - 4)).block().text(),
                 log->document()->lastBlock().text());
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

  std::unique_ptr<TGuiSession> session_;
};

int main(int argc, char** argv) {
  TPinloomApplication app(argc, argv);
  XvfbChecks checks;
  return QTest::qExec(&checks, argc, argv);
}

#include "xvfb_checks.moc"
