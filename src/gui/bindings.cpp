#include "gui/bindings.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStringList>
#include <QTabWidget>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "gui/pinloom_application.h"
#include "gui/qt_text.h"

// ---- TDropDownComboBox ----

TDropDownComboBox::TDropDownComboBox(QWidget* parent) : QComboBox(parent) {
  setFocusPolicy(Qt::StrongFocus);
}

void TDropDownComboBox::wheelEvent(QWheelEvent* event) {
  if (hasFocus()) {
    QComboBox::wheelEvent(event);
  } else {
    event->ignore();
  }
}

void TDropDownComboBox::showPopup() {
  // The drop-down handler runs first (it may relist the items), then the list opens
  // with what it left.
  QPointer<TDropDownComboBox> self(this);
  emit aboutToShowPopup();
  if (self && isEnabled()) QComboBox::showPopup();
}

// ---- TModelBinding ----

TModelBinding::TModelBinding(TObservable& model, QObject* owner) : QObject(owner), model_(model) {}

TModelBinding::~TModelBinding() {
  if (token_ != 0) model_.Unsubscribe(token_);
}

void TModelBinding::Follow() {
  token_ = model_.Subscribe([this](TChange change) { Apply(change); });
  for (TChange change : {TChange::Items, TChange::Selection, TChange::Properties}) Apply(change);
}

namespace {

void ApplyControl(const TControl& model, QWidget* widget) {
  widget->setEnabled(model.Enabled());
  widget->setHidden(!model.Visible());
  widget->setToolTip(ToQt(model.Hint()));
}

class TControlBinding final : public TModelBinding {
 public:
  TControlBinding(TControl& model, QWidget* widget)
      : TModelBinding(model, widget), model_(model), widget_(widget) {
    widget_->setObjectName(ToQt(model.Name()));
    Follow();
  }

 protected:
  void Apply(TChange) override { ApplyControl(model_, widget_); }

 private:
  TControl& model_;
  QWidget* widget_;
};

class TButtonBinding final : public TModelBinding {
 public:
  TButtonBinding(TButton& model, QPushButton* button)
      : TModelBinding(model, button), model_(model), button_(button) {
    button_->setObjectName(ToQt(model.Name()));
    connect(button_, &QPushButton::clicked, this,
            [this] { RunUserAction([this] { model_.UserClick(); }); });
    Follow();
  }

 protected:
  void Apply(TChange) override {
    button_->setText(CaptionToQt(model_.Caption()));
    ApplyControl(model_, button_);
  }

 private:
  TButton& model_;
  QPushButton* button_;
};

class TLabelBinding final : public TModelBinding {
 public:
  TLabelBinding(TLabel& model, QLabel* label)
      : TModelBinding(model, label), model_(model), label_(label) {
    label_->setObjectName(ToQt(model.Name()));
    label_->setTextFormat(Qt::PlainText);
    Follow();
  }

 protected:
  void Apply(TChange) override {
    label_->setText(ToQt(model_.Caption()));
    ApplyControl(model_, label_);
  }

 private:
  TLabel& model_;
  QLabel* label_;
};

class TEditBinding final : public TModelBinding {
 public:
  TEditBinding(TEdit& model, QLineEdit* edit)
      : TModelBinding(model, edit), model_(model), edit_(edit) {
    edit_->setObjectName(ToQt(model.Name()));
    connect(edit_, &QLineEdit::textEdited, this, [this](const QString& text) {
      RunUserAction([&] { model_.UserSetText(FromQt(text)); });
    });
    edit_->installEventFilter(this);
    Follow();
  }

 protected:
  void Apply(TChange) override {
    // Only a text that differs is written back, so the user's cursor stays put.
    const QString text = ToQt(model_.Text());
    if (edit_->text() != text) {
      const QSignalBlocker block(edit_);
      edit_->setText(text);
    }
    ApplyControl(model_, edit_);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == edit_ && event->type() == QEvent::KeyRelease) {
      const auto* key = static_cast<QKeyEvent*>(event);
      const int code = KeyCodeOf(key->key());
      if (code >= 0 && !key->isAutoRepeat()) {
        RunUserAction([&] { model_.UserKeyUp(code); });
      }
    }
    return false;
  }

 private:
  TEdit& model_;
  QLineEdit* edit_;
};

class TMemoBinding final : public TModelBinding {
 public:
  TMemoBinding(TMemo& model, QPlainTextEdit* memo)
      : TModelBinding(model, memo), model_(model), memo_(memo) {
    memo_->setObjectName(ToQt(model.Name()));
    connect(memo_, &QPlainTextEdit::textChanged, this, [this] {
      fromWidget_ = true;
      RunUserAction([this] { model_.UserSetText(FromQt(memo_->toPlainText())); });
      fromWidget_ = false;
    });
    Follow();
  }

 protected:
  void Apply(TChange change) override {
    if (change == TChange::Items && !fromWidget_) {
      QStringList lines;
      for (const std::string& line : model_.Lines()) lines << ToQt(line);
      const QString text = lines.join(QLatin1Char('\n'));
      if (memo_->toPlainText() != text) {
        const QSignalBlocker block(memo_);
        memo_->setPlainText(text);
      }
    }
    ApplyControl(model_, memo_);
  }

 private:
  TMemo& model_;
  QPlainTextEdit* memo_;
};

class TComboBoxBinding final : public TModelBinding {
 public:
  TComboBoxBinding(TComboBox& model, TDropDownComboBox* combo)
      : TModelBinding(model, combo), model_(model), combo_(combo) {
    combo_->setObjectName(ToQt(model.Name()));
    connect(combo_, &TDropDownComboBox::aboutToShowPopup, this,
            [this] { RunUserAction([this] { model_.UserDropDown(); }); });
    // activated: only the user's picks (mouse, keys, wheel), never a change by code.
    connect(combo_, &QComboBox::activated, this, [this](int index) {
      QPointer<TComboBoxBinding> self(this);
      RunUserAction([&] { model_.UserSelect(index); });
      if (self) Apply(TChange::Selection);
    });
    Follow();
  }

 protected:
  void Apply(TChange change) override {
    const QSignalBlocker block(combo_);
    switch (change) {
      case TChange::Items:
      case TChange::Row: {
        QStringList items;
        items.reserve(model_.Count());
        for (const std::string& item : model_.Items()) items << ToQt(item);
        combo_->clear();
        combo_->addItems(items);
        combo_->setCurrentIndex(model_.ItemIndex());
        break;
      }
      case TChange::Selection:
        combo_->setCurrentIndex(model_.ItemIndex());
        break;
      case TChange::Properties:
        ApplyControl(model_, combo_);
        break;
    }
  }

 private:
  TComboBox& model_;
  TDropDownComboBox* combo_;
};

class TMenuItemBinding final : public TModelBinding {
 public:
  TMenuItemBinding(TMenuItem& model, QAction* action)
      : TModelBinding(model, action), model_(model), action_(action) {
    action_->setObjectName(ToQt(model.Name()));
    connect(action_, &QAction::triggered, this, [this] {
      // Qt has toggled the check mark itself; the handler decides, the model is master.
      QPointer<TMenuItemBinding> self(this);
      RunUserAction([this] { model_.UserClick(); });
      if (self) Apply(TChange::Properties);
    });
    Follow();
  }

 protected:
  void Apply(TChange) override {
    const QSignalBlocker block(action_);
    action_->setSeparator(model_.IsSeparator());
    if (!model_.IsSeparator()) action_->setText(CaptionToQt(model_.Caption()));
    action_->setCheckable(model_.Checkable());
    action_->setChecked(model_.Checked());
    action_->setVisible(model_.Visible());
    action_->setEnabled(model_.Enabled());
    action_->setToolTip(ToQt(model_.Hint()));
  }

 private:
  TMenuItem& model_;
  QAction* action_;
};

class TPageControlBinding final : public TModelBinding {
 public:
  TPageControlBinding(TPageControl& model, QTabWidget* pages)
      : TModelBinding(model, pages), model_(model), pages_(pages) {
    pages_->setObjectName(ToQt(model.Name()));
    connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
      if (index >= 0) RunUserAction([&] { model_.SetActivePage(index); });
    });
    Follow();
  }

 protected:
  void Apply(TChange) override {
    const QSignalBlocker block(pages_);
    const int count = std::min(pages_->count(), static_cast<int>(model_.Pages.size()));
    for (int i = 0; i < count; ++i) {
      pages_->setTabText(i, CaptionToQt(model_.Pages[static_cast<size_t>(i)].Caption));
    }
    pages_->setCurrentIndex(model_.ActivePage());
    ApplyControl(model_, pages_);
  }

 private:
  TPageControl& model_;
  QTabWidget* pages_;
};

Qt::Alignment AlignmentOf(TStatusPanel::TAlign align) {
  switch (align) {
    case TStatusPanel::TAlign::Center:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case TStatusPanel::TAlign::Right:
      return Qt::AlignRight | Qt::AlignVCenter;
    case TStatusPanel::TAlign::Left:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

class TStatusBarBinding final : public TModelBinding {
 public:
  TStatusBarBinding(TStatusBar& model, QStatusBar* bar, TForm* form)
      : TModelBinding(model, bar), model_(model), bar_(bar), form_(form) {
    bar_->setObjectName(ToQt(model.Name()));
    bar_->setSizeGripEnabled(false);
    bar_->setFixedHeight(model_.Height());
    for (int i = 0; i < model_.PanelCount(); ++i) {
      auto* panel = new QLabel(bar_);
      panel->setObjectName(ToQt(model.Name()) + QStringLiteral("_Panel") + QString::number(i));
      panel->setTextFormat(Qt::PlainText);
      panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
      panel->setIndent(4);
      panels_.push_back(panel);
    }
    bar_->installEventFilter(this);
    Follow();
  }

 protected:
  void Apply(TChange) override {
    // The panels lie side by side from the left edge, each as wide as the model says.
    int left = 0;
    for (int i = 0; i < model_.PanelCount(); ++i) {
      const TStatusPanel& panel = model_.Panel(i);
      QLabel* label = panels_[static_cast<size_t>(i)];
      label->setText(ToQt(panel.Text));
      label->setAlignment(AlignmentOf(panel.Alignment));
      label->setGeometry(left, 0, std::max(0, panel.Width), bar_->height());
      label->lower();
      left += std::max(0, panel.Width);
    }
    bar_->setHidden(!model_.Visible());
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == bar_ && event->type() == QEvent::Resize) {
      RunUserAction([this] {
        if (form_ != nullptr) {
          const QWidget* window = bar_->window();
          form_->SetBounds(window->x(), window->y(), window->width(), window->height());
        }
        model_.Resize(bar_->width(), bar_->height());
      });
      Apply(TChange::Properties);
    }
    return false;
  }

 private:
  TStatusBar& model_;
  QStatusBar* bar_;
  TForm* form_;
  std::vector<QLabel*> panels_;
};

class TProgressBarBinding final : public TModelBinding {
 public:
  TProgressBarBinding(TProgressBar& model, QProgressBar* gauge)
      : TModelBinding(model, gauge), model_(model), gauge_(gauge) {
    gauge_->setObjectName(ToQt(model.Name()));
    gauge_->setRange(0, 100);
    gauge_->setTextVisible(false);
    Follow();
  }

 protected:
  void Apply(TChange) override {
    gauge_->setValue(std::clamp(model_.Position(), 0, 100));
    gauge_->setGeometry(model_.Left(), model_.Top(), model_.Width(), model_.Height());
    gauge_->raise();
    ApplyControl(model_, gauge_);
  }

 private:
  TProgressBar& model_;
  QProgressBar* gauge_;
};

class TFormBinding final : public TModelBinding {
 public:
  TFormBinding(TForm& model, QWidget* window, TCloseBehaviour closeBehaviour)
      : TModelBinding(model, window), model_(model), window_(window), close_(closeBehaviour) {
    window_->setObjectName(ToQt(model.Name()));
    window_->installEventFilter(this);
    Follow();
  }

 protected:
  void Apply(TChange) override {
    window_->setWindowTitle(ToQt(model_.Caption()));
    applyingGeometry_ = true;
    const QSize size(model_.Width(), model_.Height());
    const QPoint pos(model_.Left(), model_.Top());
    if (window_->size() != size) window_->resize(size);
    if (window_->pos() != pos) window_->move(pos);
    applyingGeometry_ = false;
    if (model_.Busy()) {
      window_->setCursor(Qt::WaitCursor);
    } else {
      window_->unsetCursor();
    }
    if (model_.Visible() != window_->isVisible()) window_->setVisible(model_.Visible());
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != window_) return false;
    switch (event->type()) {
      case QEvent::Move:
      case QEvent::Resize:
        // The window follows the user (or the window manager); the model learns of it
        // before any child is laid out, so handlers reading the form's size see it.
        if (!applyingGeometry_) {
          RunUserAction([this] {
            model_.SetBounds(window_->x(), window_->y(), window_->width(), window_->height());
          });
        }
        return false;
      case QEvent::Close:
        if (close_ == TCloseBehaviour::HideOnly) {
          RunUserAction([this] { model_.SetVisible(false); });
          return false;
        }
        event->ignore();
        RunUserAction([this] { model_.Close(); });
        return true;
      default:
        return false;
    }
  }

 private:
  TForm& model_;
  QWidget* window_;
  TCloseBehaviour close_;
  bool applyingGeometry_ = false;
};

}  // namespace

void Bind(TButton& model, QPushButton* button) {
  new TButtonBinding(model, button);
}
void Bind(TLabel& model, QLabel* label) {
  new TLabelBinding(model, label);
}
void Bind(TEdit& model, QLineEdit* edit) {
  new TEditBinding(model, edit);
}
void Bind(TMemo& model, QPlainTextEdit* memo) {
  new TMemoBinding(model, memo);
}
void Bind(TComboBox& model, TDropDownComboBox* combo) {
  new TComboBoxBinding(model, combo);
}
void Bind(TMenuItem& model, QAction* action) {
  new TMenuItemBinding(model, action);
}
void Bind(TPageControl& model, QTabWidget* pages) {
  new TPageControlBinding(model, pages);
}
void Bind(TStatusBar& model, QStatusBar* bar, TForm* form) {
  new TStatusBarBinding(model, bar, form);
}
void Bind(TProgressBar& model, QProgressBar* gauge) {
  new TProgressBarBinding(model, gauge);
}
void Bind(TForm& model, QWidget* window, TCloseBehaviour closeBehaviour) {
  new TFormBinding(model, window, closeBehaviour);
}
void Bind(TControl& model, QWidget* widget) {
  new TControlBinding(model, widget);
}

int KeyCodeOf(int qtKey) {
  // Letters and digits keep their codes; the others map to the codes a key-up
  // handler knows.
  if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)) {
    return qtKey;
  }
  static constexpr std::array<std::pair<int, int>, 20> kKeys{{
      {Qt::Key_Return, 13}, {Qt::Key_Enter, 13},   {Qt::Key_Escape, 27}, {Qt::Key_Backspace, 8},
      {Qt::Key_Tab, 9},     {Qt::Key_Space, 32},   {Qt::Key_PageUp, 33}, {Qt::Key_PageDown, 34},
      {Qt::Key_End, 35},    {Qt::Key_Home, 36},    {Qt::Key_Left, 37},   {Qt::Key_Up, 38},
      {Qt::Key_Right, 39},  {Qt::Key_Down, 40},    {Qt::Key_Insert, 45}, {Qt::Key_Delete, 46},
      {Qt::Key_Shift, 16},  {Qt::Key_Control, 17}, {Qt::Key_Alt, 18},    {Qt::Key_F1, 112},
  }};
  for (const auto& [key, code] : kKeys) {
    if (key == qtKey) return code;
  }
  return -1;
}
