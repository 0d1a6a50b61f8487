#include "gui/single_line_label.h"

#include <QPainter>

namespace morvessa::gui {

SingleLineLabel::SingleLineLabel(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
  setFocusPolicy(Qt::NoFocus);
}

void SingleLineLabel::setText(const QString& text) {
  text_ = text;
  update();
}

void SingleLineLabel::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setClipRect(rect());
  painter.setPen(palette().color(QPalette::WindowText));
  // TextSingleLine draws line breaks as blanks; without TextShowMnemonic an
  // "&" stays visible; the unbounded width keeps Qt from eliding, so the clip
  // rectangle cuts the caption at the right edge.
  const QRect unbounded(0, 0, QWIDGETSIZE_MAX, height());
  painter.drawText(unbounded, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text_);
}

}  // namespace morvessa::gui
