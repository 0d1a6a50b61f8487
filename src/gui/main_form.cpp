#include "gui/main_form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QScreen>
#include <limits>

namespace morvessa::gui {
namespace {

// The program's icon in every size it is drawn in.
QIcon ProgramIcon() {
  QIcon icon;
  for (const int size : {16, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/morvessa/morvessa-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

template <typename Control>
Control* Place(Control* control, const char* name, int left, int top, int width, int height) {
  control->setObjectName(QString::fromUtf8(name));
  control->setGeometry(left, top, width, height);
  return control;
}

}  // namespace

MainForm::MainForm(QWidget* parent)
    : QWidget(parent,
              Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(QStringLiteral("Morvessa(Ostrelle ID:tervolin)"));
  setWindowIcon(ProgramIcon());
  setFixedSize(kClientSize);

  // Creation order is also the stacking order; the focus order is set below.
  lotCaption_ = Place(new SingleLineLabel(QStringLiteral("LOT编号："), this), "标签2", 20, 16, 56, 24);
  lotEdit_ = Place(new QLineEdit(this), "编辑框1", 86, 16, 144, 20);
  queryButton_ = Place(new QPushButton(QStringLiteral("查询"), this), "按钮1", 246, 25, 80, 32);
  phoneCaption_ = Place(new SingleLineLabel(QStringLiteral("电话后6位："), this), "标签3", 14, 48, 72, 24);
  phoneEdit_ = Place(new PhoneDigitsEdit(this), "编辑框2", 86, 49, 144, 20);
  autoQueryBox_ = Place(new QCheckBox(QStringLiteral("下次启动软件自动查询"), this), "选择框1", 86, 80, 144, 24);
  resultGroup_ = Place(new QGroupBox(QStringLiteral("Dunmarrow"), this), "分组框1", 6, 112, 538, 216);
  summaryLabel_ = Place(new SingleLineLabel(QString(), resultGroup_), "标签1", 8, 15, 520, 24);
  reportList_ = Place(new ReportList(resultGroup_), "超级列表框1", 4, 46, 530, 162);

  // The LOT box takes text of any length, from the user and the program.
  lotEdit_->setMaxLength(std::numeric_limits<int>::max());
  // Text comes in by typing and pasting; neither box takes dropped text.
  lotEdit_->setAcceptDrops(false);
  // Not a default button: Enter must not click it.
  queryButton_->setAutoDefault(false);
  queryButton_->setDefault(false);
  resultGroup_->setAlignment(Qt::AlignLeft);

  setTabOrder(lotEdit_, phoneEdit_);
  setTabOrder(phoneEdit_, queryButton_);
  setTabOrder(queryButton_, reportList_);
  setTabOrder(reportList_, autoQueryBox_);
  for (QWidget* control : {static_cast<QWidget*>(lotEdit_), static_cast<QWidget*>(phoneEdit_),
                           static_cast<QWidget*>(queryButton_), static_cast<QWidget*>(reportList_),
                           static_cast<QWidget*>(autoQueryBox_)}) {
    control->setFocusPolicy(Qt::StrongFocus);
    control->installEventFilter(this);
  }
  lotEdit_->setFocus();

  // `clicked` comes from the user only, after the box has toggled.
  connect(queryButton_, &QPushButton::clicked, this, [this] {
    if (onQuery_) onQuery_();
  });
  connect(autoQueryBox_, &QCheckBox::clicked, this, [this] {
    if (onAutoQuery_) onAutoQuery_();
  });
}

void MainForm::centreOnPrimaryScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    return;
  }
  const QRect area = screen->geometry();
  move(area.x() + (area.width() - kOuterSize.width()) / 2, area.y() + (area.height() - kOuterSize.height()) / 2);
}

bool MainForm::handleWindowKey(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      close();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return true;
    default:
      return false;
  }
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && handleWindowKey(static_cast<QKeyEvent*>(event))) {
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void MainForm::keyPressEvent(QKeyEvent* event) {
  if (!handleWindowKey(event)) {
    QWidget::keyPressEvent(event);
  }
}

void MainForm::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (event->isAccepted() && onClosed_) {
    onClosed_();
  }
}

}  // namespace morvessa::gui
