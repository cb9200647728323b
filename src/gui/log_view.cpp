#include "gui/log_view.h"

#include <QFontDatabase>
#include <QMetaObject>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>

#include "gui/qt_text.h"

TLogView::TLogView(TLogText& log, QWidget* parent) : QPlainTextEdit(parent), log_(log) {
  setObjectName(ToQt(log.Name()));
  setReadOnly(true);
  setUndoRedoEnabled(false);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  token_ = log_.Subscribe([this](TChange change) {
    if (change == TChange::Items) AppendNewLines();
  });
  AppendNewLines();
}

TLogView::~TLogView() {
  log_.Unsubscribe(token_);
}

QColor TLogView::ColourOf(TColor colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

void TLogView::AppendNewLines() {
  const std::vector<TLogLine>& lines = log_.Lines();
  if (shown_ >= lines.size()) return;
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  cursor.beginEditBlock();
  for (; shown_ < lines.size(); ++shown_) {
    const TLogLine& line = lines[shown_];
    QTextCharFormat format;
    format.setForeground(ColourOf(line.Colour));
    // The first line goes into the document's first (empty) block.
    if (shown_ > 0) cursor.insertBlock(QTextBlockFormat(), format);
    cursor.insertText(ToQt(line.Text), format);
  }
  cursor.endEditBlock();
  ScheduleShowNewest();
}

void TLogView::ScheduleShowNewest() {
  // Once per pass of the event loop, not per line, and after a pending show or
  // resize has set the scroll range.
  if (scrollPending_) return;
  scrollPending_ = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        scrollPending_ = false;
        ShowNewest();
      },
      Qt::QueuedConnection);
}

void TLogView::ShowNewest() {
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
  horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
}

void TLogView::showEvent(QShowEvent* event) {
  QPlainTextEdit::showEvent(event);
  ScheduleShowNewest();
}

void TLogView::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  ScheduleShowNewest();
}
