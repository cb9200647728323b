#pragma once
// The binding of control models to Qt widgets, both ways.
//
// Model to widget: each binding follows its model's notifications and applies the
// model's properties to the widget with the widget's signals blocked, so a change
// made by code never looks like a user action. Widget to model: a user action (a
// click, a pick, an edit, a key) calls the model's User* method, which runs the
// handler; the model stays the master and the widget is set back to it afterwards.
//
// A binding is a QObject child of its widget (or action) and lives as long as it; the
// models must outlive the widgets.

#include <QComboBox>
#include <QObject>

#include "controls/controls.h"

class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QWidget;

// A drop-down list that tells its model before the popup opens, so the model's
// drop-down handler can refresh the items first. The mouse wheel changes the pick
// only while the list has the focus; otherwise it scrolls what the list sits in, so
// scrolling over a page of pin lists never reassigns a pin by accident.
class TDropDownComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TDropDownComboBox(QWidget* parent = nullptr);
  void showPopup() override;

 signals:
  void aboutToShowPopup();

 protected:
  void wheelEvent(QWheelEvent* event) override;
};

// Follows one model for the lifetime of a QObject.
class TModelBinding : public QObject {
  Q_OBJECT

 public:
  TModelBinding(TObservable& model, QObject* owner);
  ~TModelBinding() override;

 protected:
  // Subscribes and applies the whole model once.
  void Follow();
  virtual void Apply(TChange change) = 0;

  // True while the binding itself writes to the model (the widget already shows it).
  bool fromWidget_ = false;

 private:
  TObservable& model_;
  int token_ = 0;
};

// What closing a window with its own close button does.
enum class TCloseBehaviour {
  HideOnly,     // a secondary window: hidden, its model told
  EndsProgram,  // the main window: the model's Close runs (its OnClose ends the program)
};

void Bind(TButton& model, QPushButton* button);
void Bind(TLabel& model, QLabel* label);
void Bind(TEdit& model, QLineEdit* edit);
void Bind(TMemo& model, QPlainTextEdit* memo);
void Bind(TComboBox& model, TDropDownComboBox* combo);
void Bind(TMenuItem& model, QAction* action);
void Bind(TPageControl& model, QTabWidget* pages);
// Creates one label per panel as children of the bar and keeps them in place. A
// resize of the bar reaches the model's resize handler; with `form`, the window's
// size reaches that form first, since Qt lays out the bar before the window's own
// resize is seen and the handler reads the form's width.
void Bind(TStatusBar& model, QStatusBar* bar, TForm* form = nullptr);
// The gauge is a child of the status bar, placed at the model's geometry.
void Bind(TProgressBar& model, QProgressBar* gauge);
void Bind(TForm& model, QWidget* window, TCloseBehaviour closeBehaviour);
// Enabled, visible and hint of a plain control (a panel).
void Bind(TControl& model, QWidget* widget);

// The key code a key-up handler gets for a Qt key (13 for Enter and Return), or -1
// for a key without one.
int KeyCodeOf(int qtKey);
