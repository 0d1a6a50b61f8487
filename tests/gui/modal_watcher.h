// Handles the next application-modal box from inside its own event loop:
// waits until it is up, hands it to `inspect`, then closes it as the user
// would with OK. Start it before the call that opens the box.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>

namespace morvessa::gui::testing {

inline void HandleNextModal(std::function<void(QMessageBox&)> inspect) {
  auto* poll = new QTimer(qApp);
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, qApp, [poll, inspect = std::move(inspect)] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) {
      return;
    }
    poll->stop();
    poll->deleteLater();
    inspect(*box);
    box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
  });
  poll->start();
}

}  // namespace morvessa::gui::testing
