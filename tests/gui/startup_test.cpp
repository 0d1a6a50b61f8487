// From the creation of the window to the exit code, with stand-in handlers.
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QtTest>
#include <stdexcept>

#include "gui/startup.h"
#include "modal_watcher.h"
#include "textops/gbk.h"

using morvessa::EditBox;
using morvessa::Gbk;
using morvessa::MainWindow;
using morvessa::gui::EventHandlers;
using morvessa::gui::MainForm;
using morvessa::gui::RunMainWindow;

namespace {

// Runs `step` on the visible main window once the event loop runs.
void WhenShown(MainForm*& form, std::function<void(MainForm&)> step) {
  auto* poll = new QTimer(qApp);
  poll->setInterval(10);
  QObject::connect(poll, &QTimer::timeout, qApp, [poll, &form, step = std::move(step)] {
    if (form == nullptr || !form->isVisible() || QApplication::activeModalWidget() != nullptr) return;
    poll->stop();
    poll->deleteLater();
    step(*form);
  });
  poll->start();
}

// A factory that keeps a pointer to the form it makes.
morvessa::gui::FormFactory Keeping(MainForm*& form) {
  return [&form] {
    auto made = std::make_unique<MainForm>();
    form = made.get();
    return made;
  };
}

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  // The created handler runs to its end, message box included, while the
  // window is hidden; the window then shows what the handler set, centred,
  // and Esc ends the run with 0.
  void createdHandlerRunsBeforeTheWindowShows() {
    MainForm* form = nullptr;
    bool hiddenDuringHandler = false;
    bool hiddenDuringMessage = false;
    EventHandlers handlers;
    handlers.windowCreated = [&](MainWindow& window) {
      hiddenDuringHandler = !form->isVisible();
      window.SetAutoQueryTicked(1);
      window.SetEditText(EditBox::Lot, "R2611020137");
      window.SetEditText(EditBox::Phone, "13579");
      morvessa::gui::testing::HandleNextModal([&](QMessageBox&) { hiddenDuringMessage = !form->isVisible(); });
      window.ShowMessage(Gbk("电话后6位长度错误"), Gbk("错误"));
    };
    bool shownAsSet = false;
    QPoint shownAt;
    WhenShown(form, [&](MainForm& shown) {
      shownAsSet = shown.autoQueryBox()->isChecked() && shown.lotEdit()->text() == "R2611020137" &&
                   shown.phoneEdit()->text() == "13579";
      shownAt = shown.frameGeometry().topLeft();
      QTest::keyClick(shown.lotEdit(), Qt::Key_Escape);
    });

    QCOMPARE(RunMainWindow(handlers, Keeping(form)), 0);
    QVERIFY(hiddenDuringHandler);
    QVERIFY(hiddenDuringMessage);
    QVERIFY(shownAsSet);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(shownAt, QPoint(screen.x() + (screen.width() - 552) / 2, screen.y() + (screen.height() - 361) / 2));
  }

  void buttonAndCheckBoxReachTheirHandlers() {
    MainForm* form = nullptr;
    QStringList calls;
    EventHandlers handlers;
    handlers.queryClicked = [&](MainWindow& window) {
      calls << "query";
      window.SetSummaryCaption("summary");
    };
    handlers.autoQueryClicked = [&](MainWindow& window) {
      calls << QString("auto %1").arg(window.AutoQueryTicked());
    };
    WhenShown(form, [&](MainForm& shown) {
      QTest::mouseClick(shown.queryButton(), Qt::LeftButton);
      QTest::mouseClick(shown.autoQueryBox(), Qt::LeftButton);
      calls << shown.summaryLabel()->text();
      shown.close();
    });
    QCOMPARE(RunMainWindow(handlers, Keeping(form)), 0);
    QCOMPARE(calls, (QStringList{"query", "auto 1", "summary"}));
  }

  void windowThatCannotBeCreatedEndsWithMinusOne() {
    bool createdRan = false;
    bool messageShown = false;
    EventHandlers handlers;
    handlers.windowCreated = [&](MainWindow&) { createdRan = true; };
    morvessa::gui::testing::HandleNextModal([&](QMessageBox&) { messageShown = true; });
    const int exitCode =
        RunMainWindow(handlers, []() -> std::unique_ptr<MainForm> { throw std::runtime_error("no window"); });
    QCOMPARE(exitCode, -1);
    QVERIFY(messageShown);
    QVERIFY(!createdRan);
  }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
