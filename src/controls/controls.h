#pragma once
// Control models: the window controls whose properties the behaviour reads and writes.
//
// A model holds exactly the properties the behaviour uses. Setting a property by code
// notifies the model's observers (so a view can follow) but never runs a change
// handler, as in any desktop toolkit. The User* methods stand for a user action in a
// front end: they change the property and then run the handler.
//
// Notifications are batched inside BeginUpdate/EndUpdate: observers hear once, at the
// outermost EndUpdate, when anything changed.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What changed, so a view can refresh only that part.
enum class TChange {
  Properties,  // enabled, visible, caption, text, check, position, geometry ...
  Items,       // the item list of a combo box, the rows of a list view
  Selection,   // item index, selected rows, focus
  Row,         // one row of a list view (see TListView::ChangedRow)
};

class TObservable {
 public:
  using Observer = std::function<void(TChange)>;

  TObservable() = default;
  TObservable(const TObservable&) = delete;
  TObservable& operator=(const TObservable&) = delete;
  virtual ~TObservable() = default;

  // Returns a token for Unsubscribe.
  int Subscribe(Observer observer);
  void Unsubscribe(int token);

  void BeginUpdate() { ++updateDepth_; }
  void EndUpdate();

 protected:
  void Notify(TChange change);

 private:
  struct Entry {
    int token;
    Observer observer;
  };
  std::vector<Entry> observers_;
  int nextToken_ = 1;
  int updateDepth_ = 0;
  bool pendingItems_ = false;
  bool pendingSelection_ = false;
  bool pendingProperties_ = false;
  bool pendingRow_ = false;
};

// Common properties of every control.
class TControl : public TObservable {
 public:
  explicit TControl(std::string name = {}) : name_(std::move(name)) {}

  const std::string& Name() const { return name_; }

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string value);

 protected:
  // Assigns and notifies when the value differs.
  template <typename T>
  void Assign(T& field, T value, TChange change = TChange::Properties) {
    if (field == value) return;
    field = std::move(value);
    Notify(change);
  }

 private:
  std::string name_;
  bool enabled_ = true;
  bool visible_ = true;
  std::string hint_;
};

class TLabel : public TControl {
 public:
  TLabel(std::string name, std::string caption) : TControl(std::move(name)), caption_(caption) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string value) { Assign(caption_, std::move(value)); }

 private:
  std::string caption_;
};

class TButton : public TControl {
 public:
  TButton(std::string name, std::string caption) : TControl(std::move(name)), caption_(caption) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string value) { Assign(caption_, std::move(value)); }

  std::function<void()> OnClick;
  // A user's click: runs OnClick only while the button is enabled and visible.
  void UserClick();
  // A click performed by code (as a program performs a button's click): runs OnClick
  // whatever the enabled state.
  void Click() {
    if (OnClick) OnClick();
  }

 private:
  std::string caption_;
};

// A one-line edit.
class TEdit : public TControl {
 public:
  explicit TEdit(std::string name, std::string text = {})
      : TControl(std::move(name)), text_(std::move(text)) {}
  const std::string& Text() const { return text_; }
  void SetText(std::string value) { Assign(text_, std::move(value)); }

  std::function<void()> OnChange;
  std::function<void(int key)> OnKeyUp;
  void UserSetText(std::string value);
  void UserKeyUp(int key) {
    if (OnKeyUp) OnKeyUp(key);
  }

 private:
  std::string text_;
};

// A multi-line text.
class TMemo : public TControl {
 public:
  explicit TMemo(std::string name) : TControl(std::move(name)) {}
  const std::vector<std::string>& Lines() const { return lines_; }
  void SetLines(std::vector<std::string> lines) {
    Assign(lines_, std::move(lines), TChange::Items);
  }
  void Clear() { SetLines({}); }
  void Append(std::string line);
  // The whole text, lines joined with CR LF.
  std::string Text() const;
  // A user's edit of the whole text (split at CR, LF or CR LF).
  void UserSetText(const std::string& text);

 private:
  std::vector<std::string> lines_;
};

// A drop-down list (selection only). Sorted lists keep their items in the
// case-insensitive order of text::LessText.
class TComboBox : public TControl {
 public:
  explicit TComboBox(std::string name, bool sorted = false)
      : TControl(std::move(name)), sorted_(sorted) {}

  bool Sorted() const { return sorted_; }
  const std::vector<std::string>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  // Adds an item (in sorted position for a sorted list); returns its index.
  int AddItem(const std::string& item);
  void SetItems(std::vector<std::string> items);
  // Removes all items; the item index becomes -1.
  void Clear();
  // Index of the first item equal to `item` (exact), -1 when none.
  int IndexOf(const std::string& item) const;

  int ItemIndex() const { return itemIndex_; }
  // An index outside the items selects nothing (-1).
  void SetItemIndex(int index);
  // The selected item's text, empty when nothing is selected.
  std::string Text() const;

  std::function<void()> OnChange;
  std::function<void()> OnDropDown;
  // The user opens the list (runs OnDropDown while enabled).
  void UserDropDown();
  // The user picks an item (runs OnChange while enabled).
  void UserSelect(int index);

 private:
  bool sorted_;
  std::vector<std::string> items_;
  int itemIndex_ = -1;
};

// A menu item; the main menu is told of every change of its items.
class TMenuItem : public TControl {
 public:
  TMenuItem(std::string name, std::string caption, bool checkable = false)
      : TControl(std::move(name)), caption_(std::move(caption)), checkable_(checkable) {}

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string value) { Assign(caption_, std::move(value)); }
  bool Checkable() const { return checkable_; }
  bool Checked() const { return checked_; }
  void SetChecked(bool value) { Assign(checked_, value); }
  bool IsSeparator() const { return caption_ == "-"; }

  std::vector<TMenuItem*> Items;  // sub-items, owned by the window that declares them

  std::function<void()> OnClick;
  void UserClick();

 private:
  std::string caption_;
  bool checkable_;
  bool checked_ = false;
};

// The main menu: top-level items, and a change notification (OnChange) that runs
// whenever any of its items changes. It watches its items until it is destroyed, so
// it must go before them: declare it after its items.
class TMainMenu : public TControl {
 public:
  explicit TMainMenu(std::string name) : TControl(std::move(name)) {}
  ~TMainMenu() override;

  const std::vector<TMenuItem*>& Items() const { return items_; }
  // Adds a top-level item and watches it and its sub-items (recursively).
  void Add(TMenuItem* item);
  // Sends the change notification as a menu does once it has been loaded.
  void Loaded() { FireChange(); }

  std::function<void()> OnChange;

 private:
  void Watch(TMenuItem* item);
  void FireChange();

  std::vector<TMenuItem*> items_;
  std::vector<std::pair<TMenuItem*, int>> watched_;
  bool inChange_ = false;
  bool changedAgain_ = false;
};

// One row of a report-style list: a caption and sub-items.
struct TListItem {
  std::string Caption;
  std::vector<std::string> SubItems;
};

// A report-style list view: columns, rows, a multi-row selection and one focused row.
class TListView : public TControl {
 public:
  struct TColumn {
    std::string Caption;
    int Width;  // 0: the list's default
  };

  explicit TListView(std::string name) : TControl(std::move(name)) {}

  std::vector<TColumn> Columns;

  int Count() const { return static_cast<int>(rows_.size()); }
  const TListItem& Row(int index) const { return rows_.at(static_cast<size_t>(index)); }
  const std::vector<TListItem>& Rows() const { return rows_; }

  void Clear();
  void AddRow(TListItem row);
  void SetRows(std::vector<TListItem> rows);

  // The text of one column of one row: column 0 is the caption, column c > 0 is
  // sub-item c - 1; empty for a missing sub-item. The row must exist.
  std::string Cell(int row, int column) const;
  // Sets one sub-item of an existing row (padding missing sub-items with "").
  void SetSubItem(int row, int subItem, std::string value);

  // The row changed last by SetSubItem (for a view's refresh of TChange::Row).
  int ChangedRow() const { return changedRow_; }

  bool IsSelected(int row) const;
  void SetSelected(int row, bool selected);
  // The first selected row in list order, -1 when none.
  int FirstSelected() const;
  int ItemFocused() const { return focused_; }
  void SetItemFocused(int row);

  // The first visible row; a view keeps it and scrolls to it.
  int TopItem() const { return topItem_; }
  void SetTopItem(int row);

  std::function<void()> OnDblClick;
  // The user double-clicks a row: it becomes the focused (and selected) row.
  void UserDblClick(int row);

 private:
  std::vector<TListItem> rows_;
  std::vector<bool> selected_;
  int focused_ = -1;
  int topItem_ = 0;
  int changedRow_ = -1;
};

struct TStatusPanel {
  std::string Text;
  int Width = 0;
  enum class TAlign { Left, Center, Right } Alignment = TAlign::Left;
};

class TStatusBar : public TControl {
 public:
  explicit TStatusBar(std::string name, int panels);

  int PanelCount() const { return static_cast<int>(panels_.size()); }
  const TStatusPanel& Panel(int index) const { return panels_.at(static_cast<size_t>(index)); }
  void SetPanelText(int index, std::string text);
  void SetPanelWidth(int index, int width);
  void SetPanelAlignment(int index, TStatusPanel::TAlign alignment);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // A resize by the window (runs OnResize, as the toolkit does for any resize).
  void Resize(int width, int height);

  std::function<void()> OnResize;

 private:
  std::vector<TStatusPanel> panels_;
  int width_ = 0;
  int height_ = 19;
};

// A control's position and size in pixels.
struct TBounds {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const TBounds&) const = default;
};

// The progress gauge, 0..100.
class TProgressBar : public TControl {
 public:
  explicit TProgressBar(std::string name) : TControl(std::move(name)) {}
  int Position() const { return position_; }
  void SetPosition(int value) { Assign(position_, value); }
  int Left() const { return bounds_.Left; }
  int Top() const { return bounds_.Top; }
  int Width() const { return bounds_.Width; }
  int Height() const { return bounds_.Height; }
  void SetBounds(int left, int top, int width, int height) {
    Assign(bounds_, TBounds{left, top, width, height});
  }

 private:
  int position_ = 0;
  TBounds bounds_;
};

// A one-shot or periodic timer; the front end's event loop fires it.
class TTimer : public TControl {
 public:
  explicit TTimer(std::string name, int interval)
      : TControl(std::move(name)), interval_(interval) {}
  int Interval() const { return interval_; }
  std::function<void()> OnTimer;
  void Fire() {
    if (Enabled() && OnTimer) OnTimer();
  }

 private:
  int interval_;
};

// A page of a page control.
struct TTabSheet {
  std::string Caption;
};

class TPageControl : public TControl {
 public:
  explicit TPageControl(std::string name) : TControl(std::move(name)) {}
  std::vector<TTabSheet> Pages;
  int ActivePage() const { return activePage_; }
  void SetActivePage(int index) { Assign(activePage_, index); }

 private:
  int activePage_ = 0;
};

// A window: caption, geometry as designed, visibility.
class TForm : public TControl {
 public:
  TForm(std::string name, std::string caption, int left, int top, int width, int height);
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string value) { Assign(caption_, std::move(value)); }
  int Left() const { return bounds_.Left; }
  int Top() const { return bounds_.Top; }
  int Width() const { return bounds_.Width; }
  int Height() const { return bounds_.Height; }
  void SetBounds(int left, int top, int width, int height) {
    Assign(bounds_, TBounds{left, top, width, height});
  }
  // The busy cursor over the window.
  bool Busy() const { return busy_; }
  void SetBusy(bool value) { Assign(busy_, value); }

  // Closes the window: hides it and runs OnClose (for the main window the front end
  // ends the program there).
  void Close();
  std::function<void()> OnClose;

 private:
  std::string caption_;
  TBounds bounds_;
  bool busy_ = false;
};
