// A caption drawn on one line, left-aligned and centred vertically. A caption
// wider than the label is cut off at the right edge: no wrapping, no ellipsis.
// "&" is an ordinary character and markup is shown as typed, because the
// summary caption carries text taken from a web page.
#pragma once

#include <QString>
#include <QWidget>

namespace morvessa::gui {

class SingleLineLabel : public QWidget {
 public:
  explicit SingleLineLabel(const QString& text, QWidget* parent = nullptr);

  const QString& text() const { return text_; }
  // Replaces the caption and schedules a repaint.
  void setText(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
};

}  // namespace morvessa::gui
