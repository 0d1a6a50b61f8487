// The window operations the handlers use, on the real Qt form.
#include <QHeaderView>
#include <QMessageBox>
#include <QtTest>

#include "gui/qt_main_window.h"
#include "modal_watcher.h"
#include "textops/gbk.h"

using morvessa::EditBox;
using morvessa::Gbk;
using morvessa::Text;
using morvessa::gui::MainForm;
using morvessa::gui::QtMainWindow;

class QtMainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void editTextsRoundTripAsGbk() {
    MainForm form;
    QtMainWindow window(form);
    window.SetEditText(EditBox::Lot, Gbk("R26 维修&1"));
    QCOMPARE(form.lotEdit()->text(), u"R26 维修&1"_qs);
    QCOMPARE(window.EditText(EditBox::Lot), Gbk("R26 维修&1"));
    form.phoneEdit()->setText(u"12电话"_qs);
    QCOMPARE(window.EditText(EditBox::Phone), Gbk("12电话"));
  }

  // Neither box's limit applies to text set by the program.
  void programTextIsNotLimited() {
    MainForm form;
    QtMainWindow window(form);
    window.SetEditText(EditBox::Phone, "13579246");
    QCOMPARE(window.EditText(EditBox::Phone), Text("13579246"));
    const Text longLot(100000, 'L');
    window.SetEditText(EditBox::Lot, longLot);
    QCOMPARE(window.EditText(EditBox::Lot).size(), longLot.size());
    QCOMPARE(form.lotEdit()->geometry(), QRect(86, 16, 144, 20));
  }

  void tickedStateIsSetWithoutAClick_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("ticked");
    QTest::newRow("1 ticks") << 1 << 1;
    QTest::newRow("0 unticks") << 0 << 0;
    QTest::newRow("2 unticks") << 2 << 0;
    QTest::newRow("-1 unticks") << -1 << 0;
  }
  void tickedStateIsSetWithoutAClick() {
    QFETCH(int, state);
    QFETCH(int, ticked);
    MainForm form;
    QtMainWindow window(form);
    int clicks = 0;
    form.setAutoQueryHandler([&] { ++clicks; });
    form.autoQueryBox()->setChecked(!ticked);
    window.SetAutoQueryTicked(state);
    QCOMPARE(window.AutoQueryTicked(), ticked);
    QCOMPARE(form.autoQueryBox()->isChecked(), ticked == 1);
    QCOMPARE(clicks, 0);
  }

  // Dates go under "日期" and texts under "过程" even after the user has
  // dragged "过程" in front of "日期".
  void cellsAddressColumnsAsCreatedWhateverTheirOrder() {
    MainForm form;
    QtMainWindow window(form);
    form.reportList()->horizontalHeader()->moveSection(1, 0);
    QCOMPARE(form.reportList()->horizontalHeader()->visualIndex(1), 0);
    QCOMPARE(window.AppendRow(), 0);
    QCOMPARE(window.AppendRow(), 1);
    window.SetCellText(1, morvessa::kDateColumn, "2026-11-02");
    window.SetCellText(1, morvessa::kProgressColumn, Gbk("已寄出。"));
    QCOMPARE(form.reportList()->horizontalHeaderItem(0)->text(), u"日期"_qs);
    QCOMPARE(form.reportList()->cellText(1, 0), QString("2026-11-02"));
    QCOMPARE(form.reportList()->cellText(1, 1), u"已寄出。"_qs);
    QCOMPARE(form.reportList()->cellText(0, 0), QString());
  }

  void rowsAreReplacedAndStrayCellsIgnored() {
    MainForm form;
    QtMainWindow window(form);
    window.AppendRow();
    window.SetCellText(0, 0, "old");
    window.DeleteAllRows();
    QCOMPARE(form.reportList()->rowCount(), 0);
    QCOMPARE(window.AppendRow(), 0);
    QCOMPARE(form.reportList()->cellText(0, 0), QString());
    for (const auto& [row, column] : {std::pair{-1, 0}, {1, 0}, {0, -1}, {0, 2}}) {
      window.SetCellText(row, column, "stray");
    }
    QCOMPARE(form.reportList()->rowCount(), 1);
    QCOMPARE(form.reportList()->cellText(0, 0), QString());
    QCOMPARE(form.reportList()->cellText(0, 1), QString());
  }

  // Thousands of rows and a caption far wider than the label change nothing
  // in the layout.
  void largeResultsKeepTheLayout() {
    MainForm form;
    QtMainWindow window(form);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (int i = 0; i < 5000; ++i) {
      const int row = window.AppendRow();
      QCOMPARE(row, i);
      window.SetCellText(row, 0, "2026-11-02 09:41:17");
      window.SetCellText(row, 1, Gbk("维修站已收到您的机器，等待检测。"));
    }
    window.SetSummaryCaption(Text(20000, 'S'));
    QCoreApplication::processEvents();
    QCOMPARE(form.reportList()->rowCount(), 5000);
    QCOMPARE(form.reportList()->geometry(), QRect(4, 46, 530, 162));
    QCOMPARE(form.summaryLabel()->geometry(), QRect(8, 15, 520, 24));
    QCOMPARE(form.size(), MainForm::kClientSize);
  }

  void messageBoxesAreModalOwnerlessAndPlain_data() {
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<QString>("shownTitle");
    QTest::newRow("own title") << QByteArray(Gbk("错误").c_str()) << u"错误"_qs;
    QTest::newRow("no title") << QByteArray() << u"信息："_qs;
  }
  void messageBoxesAreModalOwnerlessAndPlain() {
    QFETCH(QByteArray, title);
    QFETCH(QString, shownTitle);
    MainForm form;
    QtMainWindow window(form);
    form.show();
    QString seenTitle, seenText;
    QMessageBox::Icon seenIcon = QMessageBox::Critical;
    QMessageBox::StandardButtons seenButtons;
    Qt::WindowModality seenModality = Qt::NonModal;
    Qt::TextFormat seenFormat = Qt::RichText;
    QWidget* seenParent = &form;
    morvessa::gui::testing::HandleNextModal([&](QMessageBox& box) {
      seenTitle = box.windowTitle();
      seenText = box.text();
      seenIcon = box.icon();
      seenButtons = box.standardButtons();
      seenModality = box.windowModality();
      seenFormat = box.textFormat();
      seenParent = box.parentWidget();
    });
    window.ShowMessage(Gbk("<b>电话后6位长度错误</b>"), title.toStdString());
    QCOMPARE(seenTitle, shownTitle);
    QCOMPARE(seenText, u"<b>电话后6位长度错误</b>"_qs);
    QCOMPARE(seenIcon, QMessageBox::NoIcon);
    QCOMPARE(seenButtons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(seenModality, Qt::ApplicationModal);
    QCOMPARE(seenFormat, Qt::PlainText);
    QCOMPARE(seenParent, nullptr);
  }
};

QTEST_MAIN(QtMainWindowTest)
#include "qt_main_window_test.moc"
