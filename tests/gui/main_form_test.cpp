// The main window as the user sees it and drives it with mouse and keyboard.
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QToolTip>
#include <QtTest>

#include "gui/main_form.h"

using morvessa::gui::MainForm;
using morvessa::gui::SingleLineLabel;

namespace {

// The control of `form` with the given name.
QWidget* Control(const MainForm& form, const QString& name) { return form.findChild<QWidget*>(name); }

// The label drawn on a white image.
QImage Render(SingleLineLabel& label) {
  QImage image(label.size(), QImage::Format_RGB32);
  image.fill(Qt::white);
  label.render(&image);
  return image;
}

// The kind of `control` and the text it shows, e.g. "button 查询".
QString KindAndText(QWidget* control) {
  if (auto* label = dynamic_cast<SingleLineLabel*>(control)) return "label " + label->text();
  if (auto* phone = dynamic_cast<morvessa::gui::PhoneDigitsEdit*>(control)) return "phone " + phone->text();
  if (auto* edit = dynamic_cast<QLineEdit*>(control)) return "edit " + edit->text();
  if (auto* check = dynamic_cast<QCheckBox*>(control)) return "check " + check->text();
  if (auto* button = dynamic_cast<QPushButton*>(control)) return "button " + button->text();
  if (auto* group = dynamic_cast<QGroupBox*>(control)) return "group " + group->title();
  if (dynamic_cast<morvessa::gui::ReportList*>(control)) return "list ";
  return "unknown";
}

bool HasInk(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != qRgb(255, 255, 255)) return true;
    }
  }
  return false;
}

}  // namespace

class MainFormTest : public QObject {
  Q_OBJECT

 private slots:
  void controlsHaveTheirNamesParentsPlacesAndTexts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::newRow("标签2") << u"标签2"_qs << "" << QRect(20, 16, 56, 24) << u"label LOT编号："_qs;
    QTest::newRow("编辑框1") << u"编辑框1"_qs << "" << QRect(86, 16, 144, 20) << "edit ";
    QTest::newRow("按钮1") << u"按钮1"_qs << "" << QRect(246, 25, 80, 32) << u"button 查询"_qs;
    QTest::newRow("标签3") << u"标签3"_qs << "" << QRect(14, 48, 72, 24) << u"label 电话后6位："_qs;
    QTest::newRow("编辑框2") << u"编辑框2"_qs << "" << QRect(86, 49, 144, 20) << "phone ";
    QTest::newRow("选择框1") << u"选择框1"_qs << "" << QRect(86, 80, 144, 24) << u"check 下次启动软件自动查询"_qs;
    QTest::newRow("分组框1") << u"分组框1"_qs << "" << QRect(6, 112, 538, 216) << "group Dunmarrow";
    QTest::newRow("标签1") << u"标签1"_qs << u"分组框1"_qs << QRect(8, 15, 520, 24) << "label ";
    QTest::newRow("超级列表框1") << u"超级列表框1"_qs << u"分组框1"_qs << QRect(4, 46, 530, 162) << "list ";
  }
  void controlsHaveTheirNamesParentsPlacesAndTexts() {
    QFETCH(QString, name);
    QFETCH(QString, parent);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    MainForm form;
    QWidget* control = Control(form, name);
    QVERIFY(control != nullptr);
    QCOMPARE(control->parentWidget(), parent.isEmpty() ? static_cast<QWidget*>(&form) : Control(form, parent));
    QCOMPARE(control->geometry(), geometry);
    QVERIFY(control->isEnabled());
    QCOMPARE(KindAndText(control), text);
  }

  void controlsFitTheirParentsWithoutOverlapping() {
    MainForm form;
    for (QWidget* parent : {static_cast<QWidget*>(&form), static_cast<QWidget*>(form.resultGroup())}) {
      QList<QWidget*> children;
      for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!child->objectName().isEmpty()) children.append(child);
      }
      for (QWidget* child : children) {
        QVERIFY2(parent->rect().contains(child->geometry()), qPrintable(child->objectName()));
        for (QWidget* other : children) {
          if (other != child) QVERIFY2(!child->geometry().intersects(other->geometry()), qPrintable(child->objectName()));
        }
      }
    }
  }

  void windowIsAFixedSizeWindowWithoutMaximize() {
    MainForm form;
    QCOMPARE(form.windowTitle(), QString("Morvessa(Ostrelle ID:tervolin)"));
    QCOMPARE(form.minimumSize(), MainForm::kClientSize);
    QCOMPARE(form.maximumSize(), MainForm::kClientSize);
    const Qt::WindowFlags flags = form.windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(flags & Qt::WindowStaysOnTopHint));
    QVERIFY(!form.windowIcon().isNull());
  }

  void reportListHasItsColumnsAndRules() {
    MainForm form;
    const auto* list = form.reportList();
    QCOMPARE(list->columnCount(), 2);
    QCOMPARE(list->horizontalHeaderItem(0)->text(), u"日期"_qs);
    QCOMPARE(list->horizontalHeaderItem(1)->text(), u"过程"_qs);
    QCOMPARE(list->columnWidth(0), 125);
    QCOMPARE(list->columnWidth(1), 400);
    QCOMPARE(list->rowCount(), 0);
    QVERIFY(list->showGrid());
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!list->isSortingEnabled());
    QVERIFY(list->horizontalHeader()->sectionsMovable());
    QVERIFY(!list->horizontalHeader()->sectionsClickable());
  }

  void selectedRowIsHighlightedOnlyWhileTheListHasTheFocus() {
    MainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* list = form.reportList();
    list->setCellText(list->appendRow(), 0, "2026-11-02");
    list->setFocus();
    list->selectRow(0);
    const QColor highlight = list->palette().color(QPalette::Active, QPalette::Highlight);
    auto highlighted = [&] { return list->viewport()->grab().toImage().pixelColor(300, 4) == highlight; };
    QVERIFY(highlighted());
    form.lotEdit()->setFocus();
    QVERIFY(!highlighted());
    list->setFocus();
    QVERIFY(highlighted());
  }

  // Only a cell whose text does not fit shows a tooltip, with the whole text.
  void cutCellTextShowsAsTooltip() {
    MainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* list = form.reportList();
    const int row = list->appendRow();
    const QString longDate = QString("2026-11-02 09:41:17 ").repeated(4);
    list->setCellText(row, 0, longDate);
    list->setCellText(row, 1, "short");
    auto tipAt = [&](int column) {
      const QPoint pos = list->visualRect(list->model()->index(row, column)).center();
      QHelpEvent help(QEvent::ToolTip, pos, list->viewport()->mapToGlobal(pos));
      QApplication::sendEvent(list->viewport(), &help);
      return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(tipAt(1), QString());
    QCOMPARE(tipAt(0), longDate);
  }

  void tabAndShiftTabVisitTheControlsInOrderAndWrap() {
    MainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    const QStringList order{u"编辑框1"_qs, u"编辑框2"_qs, u"按钮1"_qs, u"超级列表框1"_qs, u"选择框1"_qs};
    QCOMPARE(form.focusWidget(), form.lotEdit());
    for (int step = 1; step <= order.size(); ++step) {
      QTest::keyClick(form.focusWidget(), Qt::Key_Tab);
      QCOMPARE(form.focusWidget()->objectName(), order.at(step % order.size()));
    }
    for (int step = order.size() - 1; step >= 0; --step) {
      QTest::keyClick(form.focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
      QCOMPARE(form.focusWidget()->objectName(), order.at(step));
    }
  }

  void escapeClosesTheWindowFromAnyControl_data() {
    QTest::addColumn<QString>("name");
    for (const char* name : {"编辑框1", "编辑框2", "按钮1", "超级列表框1", "选择框1"}) QTest::newRow(name) << QString::fromUtf8(name);
  }
  void escapeClosesTheWindowFromAnyControl() {
    QFETCH(QString, name);
    MainForm form;
    int closed = 0;
    form.setClosedHandler([&] { ++closed; });
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    Control(form, name)->setFocus();
    QTest::keyClick(Control(form, name), Qt::Key_Escape);
    QCOMPARE(closed, 1);
    QVERIFY(!form.isVisible());
  }

  void enterNeitherQueriesNorMovesTheFocus_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("key");
    for (const char* name : {"编辑框1", "编辑框2", "按钮1"}) {
      QTest::newRow((std::string(name) + " Return").c_str()) << QString::fromUtf8(name) << int(Qt::Key_Return);
      QTest::newRow((std::string(name) + " Enter").c_str()) << QString::fromUtf8(name) << int(Qt::Key_Enter);
    }
  }
  void enterNeitherQueriesNorMovesTheFocus() {
    QFETCH(QString, name);
    QFETCH(int, key);
    MainForm form;
    int queries = 0;
    form.setQueryHandler([&] { ++queries; });
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QWidget* control = Control(form, name);
    control->setFocus();
    QTest::keyClick(control, Qt::Key(key));
    QCOMPARE(queries, 0);
    QCOMPARE(form.focusWidget(), control);
    QVERIFY(form.isVisible());
  }

  void spaceAndClickRunTheButtonHandler() {
    MainForm form;
    int queries = 0;
    form.setQueryHandler([&] { ++queries; });
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.queryButton()->setFocus();
    QTest::keyClick(form.queryButton(), Qt::Key_Space);
    QCOMPARE(queries, 1);
    QTest::mouseClick(form.queryButton(), Qt::LeftButton);
    QCOMPARE(queries, 2);
  }

  // The handler sees the state the click gave the box; unticking it from the
  // handler raises no second click.
  void checkBoxTogglesBeforeItsHandlerAndProgramChangesRaiseNoClick() {
    MainForm form;
    QList<bool> seen;
    form.setAutoQueryHandler([&] {
      seen.append(form.autoQueryBox()->isChecked());
      form.autoQueryBox()->setChecked(false);
    });
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::mouseClick(form.autoQueryBox(), Qt::LeftButton);
    QCOMPARE(seen, QList<bool>{true});
    QVERIFY(!form.autoQueryBox()->isChecked());
    form.autoQueryBox()->setFocus();
    QTest::keyClick(form.autoQueryBox(), Qt::Key_Space);
    QCOMPARE(seen, (QList<bool>{true, true}));
    form.autoQueryBox()->setChecked(true);
    QCOMPARE(seen.size(), 2);
  }

  // A caption wider than the label is cut at the right edge: what shows is
  // exactly the left part of the caption drawn at full width, with no
  // ellipsis and no second line.
  void longCaptionIsCutAtTheRightEdge() {
    const QString caption = u"维修完成 已通过烤机测试 "_qs.repeated(12);
    SingleLineLabel narrow(caption);
    narrow.resize(520, 24);
    SingleLineLabel wide(caption);
    wide.resize(4000, 24);
    const QImage shown = Render(narrow);
    QVERIFY(HasInk(shown.copy(shown.width() - 40, 0, 40, shown.height())));
    QCOMPARE(shown, Render(wide).copy(0, 0, 520, 24));
  }

  void ampersandIsDrawnLiterally() {
    SingleLineLabel label("&");
    label.resize(40, 24);
    QVERIFY(HasInk(Render(label)));
    SingleLineLabel markup("<b></b>");
    markup.resize(80, 24);
    QVERIFY(HasInk(Render(markup)));
  }
};

QTEST_MAIN(MainFormTest)
#include "main_form_test.moc"
