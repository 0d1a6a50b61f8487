// 编辑框2: what typing, pasting and the program can put into it.
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <QTimer>
#include <QtTest>

#include "gui/phone_digits_edit.h"

using morvessa::gui::PhoneDigitsEdit;

namespace {

// Types `text` one character at a time, each as the text of a key press, so
// that characters outside Latin-1 arrive as a keyboard would send them.
void Type(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

}  // namespace

class PhoneDigitsEditTest : public QObject {
  Q_OBJECT

 private slots:
  void typedCharactersAreFilteredAndLimited_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");
    QTest::newRow("letters dropped") << "" << "12a3-4" << "123-4";
    QTest::newRow("seventh refused") << "" << "1234567" << "123456";
    QTest::newRow("only printables dropped") << "" << "ab c.+" << "";
    QTest::newRow("Chinese and full-width digits dropped") << "" << u"1中２3"_qs << "13";
    QTest::newRow("full box refuses digits") << "12-456" << "7" << "12-456";
  }
  void typedCharactersAreFilteredAndLimited() {
    QFETCH(QString, before);
    QFETCH(QString, typed);
    QFETCH(QString, after);
    PhoneDigitsEdit edit;
    edit.setText(before);
    edit.end(false);
    Type(&edit, typed);
    QCOMPARE(edit.text(), after);
  }

  void pasteIsLimitedButNotFiltered_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QString>("after");
    QTest::newRow("six letters") << "" << "abcdef" << "abcdef";
    QTest::newRow("cut to six bytes") << "" << "abcdefgh" << "abcdef";
    QTest::newRow("three Chinese characters are six bytes") << "" << u"中文字"_qs << u"中文字"_qs;
    QTest::newRow("a character is not split") << "" << u"12345中"_qs << "12345";
    QTest::newRow("first line only") << "" << "12\n34" << "12";
    QTest::newRow("after existing text") << "123" << "abcdef" << "123abc";
    QTest::newRow("nothing fits") << "123456" << "7" << "123456";
  }
  void pasteIsLimitedButNotFiltered() {
    QFETCH(QString, before);
    QFETCH(QString, clipboard);
    QFETCH(QString, after);
    PhoneDigitsEdit edit;
    edit.setText(before);
    edit.end(false);
    QGuiApplication::clipboard()->setText(clipboard);
    QTest::keySequence(&edit, QKeySequence::Paste);
    QCOMPARE(edit.text(), after);
  }

  void pasteReplacesTheSelectionWithinTheLimit() {
    PhoneDigitsEdit edit;
    edit.setText("123456");
    edit.setSelection(1, 3);  // "234"
    QGuiApplication::clipboard()->setText("abcdef");
    QTest::keySequence(&edit, QKeySequence::Paste);
    QCOMPARE(edit.text(), QString("1abc56"));
  }

  void contextMenuPasteKeepsTheLimit() {
    PhoneDigitsEdit edit;
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QGuiApplication::clipboard()->setText("abcdefgh");
    bool pasteFound = false;
    QTimer::singleShot(0, this, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) return;
      for (QAction* action : menu->actions()) {
        if (action->text().startsWith(QCoreApplication::translate("QLineEdit", "&Paste"))) {
          pasteFound = true;
          action->trigger();
        }
      }
      menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), edit.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&edit, &event);
    QVERIFY(pasteFound);
    QCOMPARE(edit.text(), QString("abcdef"));
  }

  void longerProgramTextStandsAndCanBeEdited() {
    PhoneDigitsEdit edit;
    edit.setText("12345678");
    QCOMPARE(edit.text(), QString("12345678"));
    edit.end(false);
    QTest::keyClick(&edit, Qt::Key_9);
    QCOMPARE(edit.text(), QString("12345678"));
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QString("1234567"));
    edit.home(false);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QCOMPARE(edit.text(), QString("234567"));
    edit.selectAll();
    QTest::keyClicks(&edit, "-5");
    QCOMPARE(edit.text(), QString("-5"));
  }

  void inputMethodTextIsFilteredLikeTypedText() {
    PhoneDigitsEdit edit;
    QInputMethodEvent event;
    event.setCommitString(u"1二3a"_qs);
    QApplication::sendEvent(&edit, &event);
    QCOMPARE(edit.text(), QString("13"));
  }
};

QTEST_MAIN(PhoneDigitsEditTest)
#include "phone_digits_edit_test.moc"
