#include "controls/controls.h"

#include <algorithm>

#include "platform/text_utils.h"

// ---- TObservable ----

int TObservable::Subscribe(Observer observer) {
  const int token = nextToken_++;
  observers_.push_back({token, std::move(observer)});
  return token;
}

void TObservable::Unsubscribe(int token) {
  std::erase_if(observers_, [token](const Entry& e) { return e.token == token; });
}

void TObservable::Notify(TChange change) {
  if (updateDepth_ > 0) {
    switch (change) {
      case TChange::Items:
        pendingItems_ = true;
        break;
      case TChange::Selection:
        pendingSelection_ = true;
        break;
      case TChange::Properties:
        pendingProperties_ = true;
        break;
      case TChange::Row:
        pendingRow_ = true;
        break;
    }
    return;
  }
  // Copy: an observer may subscribe or unsubscribe while being notified.
  const auto observers = observers_;
  for (const auto& e : observers) e.observer(change);
}

void TObservable::EndUpdate() {
  if (updateDepth_ == 0 || --updateDepth_ > 0) return;
  // A batch of row changes and item changes is one item refresh for a view.
  const bool items = pendingItems_ || pendingRow_;
  const bool selection = pendingSelection_;
  const bool properties = pendingProperties_;
  pendingItems_ = pendingSelection_ = pendingProperties_ = pendingRow_ = false;
  if (items) Notify(TChange::Items);
  if (selection) Notify(TChange::Selection);
  if (properties) Notify(TChange::Properties);
}

// ---- TControl ----

void TControl::SetEnabled(bool value) {
  Assign(enabled_, value);
}
void TControl::SetVisible(bool value) {
  Assign(visible_, value);
}
void TControl::SetHint(std::string value) {
  Assign(hint_, std::move(value));
}

// ---- TButton, TEdit, TMemo ----

void TButton::UserClick() {
  if (Enabled() && Visible() && OnClick) OnClick();
}

void TEdit::UserSetText(std::string value) {
  SetText(std::move(value));
  if (OnChange) OnChange();
}

void TMemo::Append(std::string line) {
  lines_.push_back(std::move(line));
  Notify(TChange::Items);
}

std::string TMemo::Text() const {
  std::string out;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) out += "\r\n";
    out += lines_[i];
  }
  return out;
}

void TMemo::UserSetText(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(std::move(current));
      current.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) lines.push_back(std::move(current));
  SetLines(std::move(lines));
}

// ---- TComboBox ----

int TComboBox::AddItem(const std::string& item) {
  size_t at = items_.size();
  if (sorted_) {
    at = static_cast<size_t>(std::upper_bound(items_.begin(), items_.end(), item,
                                              [](const std::string& a, const std::string& b) {
                                                return text::LessText(a, b);
                                              }) -
                             items_.begin());
  }
  items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), item);
  if (itemIndex_ >= static_cast<int>(at)) ++itemIndex_;
  Notify(TChange::Items);
  return static_cast<int>(at);
}

void TComboBox::SetItems(std::vector<std::string> items) {
  if (sorted_) {
    std::stable_sort(items.begin(), items.end(), [](const std::string& a, const std::string& b) {
      return text::LessText(a, b);
    });
  }
  items_ = std::move(items);
  itemIndex_ = -1;
  Notify(TChange::Items);
}

void TComboBox::Clear() {
  if (items_.empty() && itemIndex_ == -1) return;
  items_.clear();
  itemIndex_ = -1;
  Notify(TChange::Items);
}

int TComboBox::IndexOf(const std::string& item) const {
  const auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TComboBox::SetItemIndex(int index) {
  if (index < 0 || index >= Count()) index = -1;
  Assign(itemIndex_, index, TChange::Selection);
}

std::string TComboBox::Text() const {
  return itemIndex_ >= 0 ? items_[static_cast<size_t>(itemIndex_)] : std::string();
}

void TComboBox::UserDropDown() {
  if (Enabled() && OnDropDown) OnDropDown();
}

void TComboBox::UserSelect(int index) {
  if (!Enabled()) return;
  SetItemIndex(index);
  if (OnChange) OnChange();
}

// ---- TMenuItem, TMainMenu ----

void TMenuItem::UserClick() {
  if (Enabled() && Visible() && OnClick) OnClick();
}

TMainMenu::~TMainMenu() {
  for (auto& [item, token] : watched_) item->Unsubscribe(token);
}

void TMainMenu::Add(TMenuItem* item) {
  items_.push_back(item);
  Watch(item);
}

void TMainMenu::Watch(TMenuItem* item) {
  watched_.emplace_back(item, item->Subscribe([this](TChange) { FireChange(); }));
  for (TMenuItem* sub : item->Items) Watch(sub);
}

void TMainMenu::FireChange() {
  // A handler that changes an item again is told once more after it returns, never
  // re-entered; one that sets a caption to the text it has causes no notification.
  if (inChange_) {
    changedAgain_ = true;
    return;
  }
  inChange_ = true;
  do {
    changedAgain_ = false;
    if (OnChange) OnChange();
  } while (changedAgain_);
  inChange_ = false;
}

// ---- TListView ----

void TListView::Clear() {
  rows_.clear();
  selected_.clear();
  focused_ = -1;
  topItem_ = 0;
  Notify(TChange::Items);
}

void TListView::AddRow(TListItem row) {
  rows_.push_back(std::move(row));
  selected_.push_back(false);
  Notify(TChange::Items);
}

void TListView::SetRows(std::vector<TListItem> rows) {
  rows_ = std::move(rows);
  selected_.assign(rows_.size(), false);
  focused_ = -1;
  topItem_ = 0;
  Notify(TChange::Items);
}

std::string TListView::Cell(int row, int column) const {
  const TListItem& item = Row(row);
  if (column == 0) return item.Caption;
  const auto sub = static_cast<size_t>(column - 1);
  return sub < item.SubItems.size() ? item.SubItems[sub] : std::string();
}

void TListView::SetSubItem(int row, int subItem, std::string value) {
  TListItem& item = rows_.at(static_cast<size_t>(row));
  const auto sub = static_cast<size_t>(subItem);
  if (item.SubItems.size() <= sub) item.SubItems.resize(sub + 1);
  if (item.SubItems[sub] == value) return;
  item.SubItems[sub] = std::move(value);
  changedRow_ = row;
  Notify(TChange::Row);
}

bool TListView::IsSelected(int row) const {
  return row >= 0 && row < Count() && selected_[static_cast<size_t>(row)];
}

void TListView::SetSelected(int row, bool selected) {
  if (row < 0 || row >= Count() || selected_[static_cast<size_t>(row)] == selected) return;
  selected_[static_cast<size_t>(row)] = selected;
  Notify(TChange::Selection);
}

int TListView::FirstSelected() const {
  const auto it = std::find(selected_.begin(), selected_.end(), true);
  return it == selected_.end() ? -1 : static_cast<int>(it - selected_.begin());
}

void TListView::SetItemFocused(int row) {
  if (row < -1 || row >= Count()) row = -1;
  Assign(focused_, row, TChange::Selection);
}

void TListView::SetTopItem(int row) {
  row = std::clamp(row, 0, std::max(0, Count() - 1));
  Assign(topItem_, row, TChange::Selection);
}

void TListView::UserDblClick(int row) {
  if (row >= 0 && row < Count()) {
    BeginUpdate();
    SetItemFocused(row);
    SetSelected(row, true);
    EndUpdate();
  }
  if (OnDblClick) OnDblClick();
}

// ---- TStatusBar, TProgressBar, TForm ----

TStatusBar::TStatusBar(std::string name, int panels)
    : TControl(std::move(name)), panels_(static_cast<size_t>(panels)) {}

void TStatusBar::SetPanelText(int index, std::string text) {
  Assign(panels_.at(static_cast<size_t>(index)).Text, std::move(text));
}

void TStatusBar::SetPanelWidth(int index, int width) {
  Assign(panels_.at(static_cast<size_t>(index)).Width, width);
}

void TStatusBar::SetPanelAlignment(int index, TStatusPanel::TAlign alignment) {
  Assign(panels_.at(static_cast<size_t>(index)).Alignment, alignment);
}

void TStatusBar::Resize(int width, int height) {
  width_ = width;
  height_ = height;
  Notify(TChange::Properties);
  if (OnResize) OnResize();
}

TForm::TForm(std::string name, std::string caption, int left, int top, int width, int height)
    : TControl(std::move(name)), caption_(std::move(caption)), bounds_{left, top, width, height} {}

void TForm::Close() {
  SetVisible(false);
  if (OnClose) OnClose();
}
