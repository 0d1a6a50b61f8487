// Start-up with the real settings handlers behind the Qt window: a stored
// phone text of five characters is refused by the start-up query while the
// window is still hidden, and the window then shows the stored inputs.
#include <QMessageBox>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

#include "app/query_command.h"
#include "app/settings_handlers.h"
#include "gui/startup.h"
#include "modal_watcher.h"
#include "textops/gbk.h"

using morvessa::Gbk;
using morvessa::MainWindow;
using morvessa::gui::EventHandlers;
using morvessa::gui::MainForm;

class StartupSettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void shortStoredPhoneIsReportedBeforeTheWindowShows() {
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    const morvessa::DirectoryProvider provider = [&] { return std::filesystem::path(directory.path().toStdString()); };
    {
      std::ofstream settings(morvessa::SettingsFilePath(provider), std::ios::binary);
      settings << Gbk("[config]\r\n是否下次自动查询=1\r\nLOT编号=R2611020137\r\n电话后6位=13579\r\n");
    }

    MainForm* form = nullptr;
    EventHandlers handlers;
    // No server is reached: the query stops at the phone check.
    handlers.windowCreated = [&](MainWindow& window) { morvessa::OnWindowCreated(window, provider, "127.0.0.1:9"); };
    QString message, title;
    bool hiddenDuringMessage = false;
    morvessa::gui::testing::HandleNextModal([&](QMessageBox& box) {
      message = box.text();
      title = box.windowTitle();
      hiddenDuringMessage = form != nullptr && !form->isVisible();
    });
    bool shownWithInputs = false;
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [&, poll] {
      if (form == nullptr || !form->isVisible() || QApplication::activeModalWidget() != nullptr) return;
      poll->stop();
      shownWithInputs = form->autoQueryBox()->isChecked() && form->lotEdit()->text() == "R2611020137" &&
                        form->phoneEdit()->text() == "13579";
      form->close();
    });
    poll->start(10);

    const int exitCode = morvessa::gui::RunMainWindow(handlers, [&] {
      auto made = std::make_unique<MainForm>();
      form = made.get();
      return made;
    });
    QCOMPARE(exitCode, 0);
    QCOMPARE(message, u"电话后6位长度错误"_qs);
    QCOMPARE(title, u"错误"_qs);
    QVERIFY(hiddenDuringMessage);
    QVERIFY(shownWithInputs);
  }
};

QTEST_MAIN(StartupSettingsTest)
#include "startup_settings_test.moc"
