#include "gui/report_list.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>
#include <limits>

namespace morvessa::gui {

ReportList::ReportList(QWidget* parent) : QTableWidget(0, 2, parent) {
  setHorizontalHeaderLabels({QStringLiteral("日期"), QStringLiteral("过程")});
  QHeaderView* header = horizontalHeader();
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setStretchLastSection(false);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setSectionsMovable(true);
  header->setFirstSectionMovable(true);
  // A click on a header neither sorts nor selects the column.
  header->setSectionsClickable(false);
  header->setHighlightSections(false);
  setColumnWidth(0, 125);
  setColumnWidth(1, 400);

  QHeaderView* rows = verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(fontMetrics().height() + 4);

  setShowGrid(true);
  setWordWrap(false);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setDragDropMode(QAbstractItemView::NoDragDrop);
  setCornerButtonEnabled(false);
  // Tab leaves the list instead of walking its cells.
  setTabKeyNavigation(false);

  focusedColours_ = palette();
  showSelection(false);
}

void ReportList::showSelection(bool shown) {
  if (shown) {
    setPalette(focusedColours_);
    return;
  }
  QPalette colours = focusedColours_;
  for (const auto group : {QPalette::Active, QPalette::Inactive}) {
    colours.setColor(group, QPalette::Highlight, colours.color(group, QPalette::Base));
    colours.setColor(group, QPalette::HighlightedText, colours.color(group, QPalette::Text));
  }
  setPalette(colours);
}

// The selection is shown only while the list has the focus.
void ReportList::focusInEvent(QFocusEvent* event) {
  showSelection(true);
  QTableWidget::focusInEvent(event);
}

void ReportList::focusOutEvent(QFocusEvent* event) {
  showSelection(false);
  QTableWidget::focusOutEvent(event);
}

void ReportList::deleteAllRows() { setRowCount(0); }

int ReportList::appendRow() {
  const int row = rowCount();
  if (row == std::numeric_limits<int>::max()) {
    return -1;
  }
  insertRow(row);
  return rowCount() == row + 1 ? row : -1;
}

void ReportList::setCellText(int row, int column, const QString& text) {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) {
    return;
  }
  if (QTableWidgetItem* existing = item(row, column)) {
    existing->setText(text);
    return;
  }
  auto* cell = new QTableWidgetItem(text);
  cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
  setItem(row, column, cell);  // the list takes ownership
}

QString ReportList::cellText(int row, int column) const {
  const QTableWidgetItem* cell = item(row, column);
  return cell ? cell->text() : QString();
}

}  // namespace morvessa::gui

namespace morvessa::gui {

bool ReportList::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) {
    return QTableWidget::viewportEvent(event);
  }
  const auto* help = static_cast<QHelpEvent*>(event);
  const QModelIndex index = indexAt(help->pos());
  const QString text = index.isValid() ? index.data(Qt::DisplayRole).toString() : QString();
  const QRect cell = visualRect(index);
  // The item delegate keeps a margin on both sides of the text.
  const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
  if (!text.isEmpty() && fontMetrics().horizontalAdvance(text) + margins > cell.width()) {
    QToolTip::showText(help->globalPos(), text, viewport(), cell);
  } else {
    QToolTip::hideText();
  }
  return true;
}

}  // namespace morvessa::gui
