#include "gui/desktop/requests.h"

#include <QColorDialog>
#include <QCursor>
#include <QFileDialog>
#include <QFontDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <memory>

#include "gui/desktop/qt_values.h"

namespace trv::gui {
namespace {

QMessageBox::ButtonRole roleOf(const std::string& button) {
  std::string plain = ui::withoutAmpersand(button);
  if (plain == "Cancel") return QMessageBox::RejectRole;
  if (plain == "No") return QMessageBox::NoRole;
  if (plain == "Yes") return QMessageBox::YesRole;
  if (plain == "OK") return QMessageBox::AcceptRole;
  return QMessageBox::ActionRole;
}

QMessageBox::Icon iconOf(ui::Icon icon) {
  switch (icon) {
    case ui::Icon::None:
      return QMessageBox::NoIcon;
    case ui::Icon::Information:
      return QMessageBox::Information;
    case ui::Icon::Exclamation:
      return QMessageBox::Warning;
    case ui::Icon::Question:
      return QMessageBox::Question;
    case ui::Icon::Hand:
      return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

// Makes the box's text at least `width` wide. An explicit minimum below the text's own width
// would clip a text that the box shows on one line, so it never goes below that width as far as
// the box keeps one line (up to the width at which the box breaks its text, as Qt's own rule).
void widenText(QMessageBox* box, QLabel* label, int width) {
  int oneLine = label->sizeHint().width();
  if (QScreen* screen = box->screen())
    oneLine = std::min(oneLine, std::min(screen->availableSize().width() / 2, 500));
  label->setMinimumWidth(std::max({label->minimumWidth(), width, oneLine}));
}

// The box is wide enough that no file path in its text breaks at a "/" (as far as the screen
// lets it be).
void keepPathsWhole(QMessageBox* box) {
  auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  if (!label) return;
  int widest = 0;
  const QStringList words = box->text().split(QRegularExpression(QStringLiteral("\\s+")));
  for (const QString& word : words)
    if (word.contains(QLatin1Char('/')))
      widest = std::max(widest, label->fontMetrics().horizontalAdvance(word) + 4);
  if (QScreen* screen = box->screen())
    widest = std::min(widest, screen->availableSize().width() * 3 / 4);
  if (widest > 0) widenText(box, label, widest);
}

// The box is wide enough for its caption beside the title bar's icon and buttons, as far as
// the screen lets it be.
void keepCaptionWhole(QMessageBox* box) {
  auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  if (!label) return;
  QFont bold = box->font();
  bold.setBold(true);
  const QFontMetrics m(bold);
  const int bar = box->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box);
  int need = m.horizontalAdvance(box->windowTitle()) + 4 * std::max(bar, m.height()) + 16;
  if (QScreen* screen = box->screen())
    need = std::min(need, screen->availableSize().width() * 3 / 4);
  // What the box has beside its text: the icon and the margins.
  const int beside = box->sizeHint().width() - label->sizeHint().width();
  widenText(box, label, need - beside);
}

QWidget* showMessage(const ui::MessageRequest& r, QWidget* owner, AnswerFn done) {
  auto* box = new QMessageBox(owner);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowTitle(titleText(r.caption));
  box->setText(qs(r.text));
  keepPathsWhole(box);
  box->setTextFormat(Qt::PlainText);
  box->setIcon(iconOf(r.icon));
  keepCaptionWhole(box);
  std::vector<QAbstractButton*> buttons;
  QAbstractButton* cancel = nullptr;
  for (const auto& text : r.buttons) {
    QPushButton* b = box->addButton(qs(text), roleOf(text));
    buttons.push_back(b);
    if (roleOf(text) == QMessageBox::RejectRole) cancel = b;
  }
  if (r.defaultButton >= 1 && r.defaultButton <= static_cast<int>(buttons.size()))
    box->setDefaultButton(
        static_cast<QPushButton*>(buttons[static_cast<std::size_t>(r.defaultButton - 1)]));
  // Esc answers Cancel where there is one, the only button of a one-button box, else nothing.
  if (cancel)
    box->setEscapeButton(cancel);
  else if (buttons.size() == 1)
    box->setEscapeButton(buttons.front());
  QObject::connect(box, &QMessageBox::finished, box, [box, buttons, done] {
    ui::Answer a;
    auto it = std::find(buttons.begin(), buttons.end(), box->clickedButton());
    if (it != buttons.end()) a.button = static_cast<int>(it - buttons.begin()) + 1;
    a.ok = a.button != 0;
    done(a);
  });
  box->open();
  return box;
}

QString startIn(const ui::DialogRequest& r, const std::filesystem::path& folder) {
  std::filesystem::path initial(r.initial);
  if (initial.is_relative() && !folder.empty()) initial = folder / initial;
  return qs(initial.string());
}

QWidget* showDialog(const ui::DialogRequest& r, QWidget* owner, const std::filesystem::path& folder,
                    AnswerFn done) {
  switch (r.kind) {
    case ui::DialogKind::FileOpen:
    case ui::DialogKind::FileSave:
    case ui::DialogKind::Folder: {
      auto* d = new QFileDialog(owner, qs(r.title));
      d->setAttribute(Qt::WA_DeleteOnClose);
      QString start = startIn(r, folder);
      if (r.kind == ui::DialogKind::Folder) {
        d->setFileMode(QFileDialog::Directory);
        d->setOption(QFileDialog::ShowDirsOnly);
        d->setDirectory(start);
      } else {
        d->setFileMode(r.kind == ui::DialogKind::FileOpen ? QFileDialog::ExistingFile
                                                          : QFileDialog::AnyFile);
        d->setAcceptMode(r.kind == ui::DialogKind::FileOpen ? QFileDialog::AcceptOpen
                                                            : QFileDialog::AcceptSave);
        QString filters = nameFilters(r.masks);
        if (!filters.isEmpty()) d->setNameFilters(filters.split(";;"));
        if (!start.isEmpty()) d->selectFile(start);
        // The program asks before a file is replaced (UiRuntime::dialog), so the dialog does not.
        if (r.kind == ui::DialogKind::FileSave) d->setOption(QFileDialog::DontConfirmOverwrite);
      }
      QObject::connect(d, &QFileDialog::finished, d, [d, done](int result) {
        ui::Answer a;
        a.ok = result == QDialog::Accepted && !d->selectedFiles().isEmpty();
        if (a.ok) a.path = us(d->selectedFiles().front());
        done(a);
      });
      d->open();
      return d;
    }
    case ui::DialogKind::Colour: {
      auto* d = new QColorDialog(toQColor(r.colour).value_or(Qt::white), owner);
      d->setAttribute(Qt::WA_DeleteOnClose);
      if (!r.title.empty()) d->setWindowTitle(qs(r.title));
      QObject::connect(d, &QColorDialog::finished, d, [d, done](int result) {
        ui::Answer a;
        a.ok = result == QDialog::Accepted;
        a.colour = fromQColor(d->selectedColor());
        done(a);
      });
      d->open();
      return d;
    }
    case ui::DialogKind::Font: {
      auto* d = new QFontDialog(toQFont(r.font, QFont()), owner);
      d->setAttribute(Qt::WA_DeleteOnClose);
      if (!r.title.empty()) d->setWindowTitle(qs(r.title));
      int colour = r.font.colour;
      QObject::connect(d, &QFontDialog::finished, d, [d, done, colour](int result) {
        ui::Answer a;
        a.ok = result == QDialog::Accepted;
        a.font = fromQFont(d->selectedFont(), colour);
        done(a);
      });
      d->open();
      return d;
    }
    case ui::DialogKind::Printer: {
      auto printer = std::make_shared<QPrinter>();
      auto* d = new QPrintDialog(printer.get(), owner);
      d->setAttribute(Qt::WA_DeleteOnClose);
      if (!r.title.empty()) d->setWindowTitle(qs(r.title));
      QObject::connect(d, &QPrintDialog::finished, d, [printer, done](int result) {
        ui::Answer a;
        a.ok = result == QDialog::Accepted;
        a.path = us(printer->printerName());
        done(a);
      });
      d->open();
      return d;
    }
  }
  done({});
  return nullptr;
}

QWidget* showPopup(const ui::PopupRequest& r, QWidget* owner, AnswerFn done,
                   std::optional<QPoint> at) {
  auto* root = new QMenu(owner);
  auto answered = std::make_shared<bool>(false);
  auto finish = [answered, done](int number) {
    if (*answered) return;
    *answered = true;
    done(ui::Answer{number, number != 0, {}, 0, {}});
  };
  std::vector<QMenu*> levels{root};
  for (const auto& item : r.items) {
    std::size_t depth = static_cast<std::size_t>(std::max(item.depth, 0));
    if (depth >= levels.size()) depth = levels.size() - 1;
    levels.resize(depth + 1);
    QMenu* into = levels.back();
    if (item.separator) {
      into->addSeparator();
    } else if (item.submenu) {
      QMenu* sub = into->addMenu(qs(item.text));
      sub->setEnabled(!item.disabled);
      levels.push_back(sub);
    } else {
      QAction* a = into->addAction(qs(item.text));
      a->setEnabled(!item.disabled);
      a->setCheckable(item.checkable || item.checked);
      a->setChecked(item.checked);
      int number = item.number;
      QObject::connect(a, &QAction::triggered, root, [finish, number] { finish(number); });
    }
  }
  // A choice is reported after the menu hides: wait one turn before calling it dismissed.
  // A hidden menu is not closed, so it is not deleted on close: delete it here.
  QObject::connect(root, &QMenu::aboutToHide, root, [finish, root] {
    QTimer::singleShot(0, [finish] { finish(0); });
    root->deleteLater();
  });
  root->popup(at.value_or(QCursor::pos()));
  return root;
}

}  // namespace

QString nameFilters(std::string_view masks) {
  QStringList parts = qs(masks).split('|');
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
    for (auto& p : patterns) {
      p = p.trimmed();
      if (p == "*.*") p = "*";
    }
    out << QString("%1 (%2)").arg(parts[i].trimmed(), patterns.join(' '));
  }
  return out.join(";;");
}

std::optional<QPoint> belowColumn(QWidget* list, int column) {
  auto* tree = qobject_cast<QTreeView*>(list);
  if (tree == nullptr || column < 1 || column > tree->header()->count()) return std::nullopt;
  const QHeaderView* h = tree->header();
  const int logical = h->logicalIndex(column - 1);
  const int x = h->sectionViewportPosition(logical) + h->sectionSize(logical) / 2;
  return QPoint(tree->viewport()->mapToGlobal(QPoint(x, 0)).x(),
                tree->mapToGlobal(QPoint(0, tree->height())).y());
}

QPointer<QWidget> showRequest(const ui::Request& request, QWidget* owner,
                              const std::filesystem::path& currentFolder, AnswerFn done,
                              std::optional<QPoint> popupAt) {
  if (const auto* m = std::get_if<ui::MessageRequest>(&request))
    return showMessage(*m, owner, done);
  if (const auto* d = std::get_if<ui::DialogRequest>(&request))
    return showDialog(*d, owner, currentFolder, done);
  if (const auto* p = std::get_if<ui::PopupRequest>(&request))
    return showPopup(*p, owner, done, popupAt);
  // Printing needs the pages, which the desktop holds beside the request (report_printing.h).
  done(ui::printAnswer({ui::PrintResult::Outcome::Failed, "the pages to print are not here"}));
  return nullptr;
}

}  // namespace trv::gui
