// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// Writes the five Qt Designer forms as Win32 dialog templates: Qt lays each
// form out, and every widget becomes the dialog control of its controlId at
// the place Qt gave it, in dialog units of the dialog's own font.
//   forms_to_rc FORM.ui... > dialogs.rc     (run by scripts/forms-to-rc.sh)
//   forms_to_rc --icon PICTURE.png OUT.ico
#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDataStream>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResource>
#include <QTextStream>
#include <QUiLoader>
#include <cstdio>
#include <memory>

namespace {

QTextStream out(stdout);

int controlId(const QWidget* w) {
  bool ok = false;
  const int id = w->property("controlId").toInt(&ok);
  return ok ? id : -1;
}

QString quoted(QString text) {
  text.replace('"', "\"\"");
  text.replace('\n', "\\n");
  return '"' + text + '"';
}

struct Units {
  double x;  // pixels per horizontal dialog unit
  double y;  // pixels per vertical dialog unit
};

QString box(const QRect& r, const Units& u) {
  return QString("%1, %2, %3, %4")
      .arg(qRound(r.x() / u.x))
      .arg(qRound(r.y() / u.y))
      .arg(qRound(r.width() / u.x))
      .arg(qRound(r.height() / u.y));
}

// A widget the layout left out (one of two sharing a place) takes the place
// of the shown widget of its class just before it in its parent.
QRect placeOf(QWidget* dialog, QWidget* w, bool hidden) {
  QWidget* source = w;
  if (hidden) {
    const QObjectList siblings = w->parentWidget()->children();
    for (qsizetype i = siblings.indexOf(w) - 1; i >= 0; --i) {
      auto* s = qobject_cast<QWidget*>(siblings[i]);
      if (s && s->metaObject() == w->metaObject() && !s->isHidden()) {
        source = s;
        break;
      }
    }
  }
  return QRect(source->mapTo(dialog, QPoint(0, 0)), source->size());
}

void writeControl(QWidget* dialog, QWidget* w, bool hidden, const Units& u) {
  const int id = controlId(w);
  const QString place = box(placeOf(dialog, w, hidden), u);
  QStringList style;
  if (hidden) style << "NOT WS_VISIBLE";
  if (!w->isEnabled()) style << "WS_DISABLED";
  // The style is one expression: the control's own flags, then these.
  const QString extra = style.isEmpty() ? QString() : " | " + style.join(" | ");
  const QString name = w->objectName();
  auto line = [&](const QString& text) { out << "    " << text << "  // " << name << "\n"; };
  if (auto* label = qobject_cast<QLabel*>(w); label && !label->pixmap().isNull()) {
    line(QString("CONTROL 1, %1, \"Static\", SS_ICON | SS_CENTERIMAGE%3, %2")
             .arg(id)
             .arg(place, extra));
  } else if (label) {
    // A one-line label sits in the middle of its height, as Qt shows it.
    line(QString("LTEXT %1, %2, %3, %4%5")
             .arg(quoted(label->text()))
             .arg(id)
             .arg(place, label->wordWrap() ? "SS_LEFT" : "SS_LEFT | SS_CENTERIMAGE", extra));
  } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    line(QString("EDITTEXT %1, %2, ES_AUTOHSCROLL%3%4")
             .arg(id)
             .arg(place, edit->isReadOnly() ? " | ES_READONLY" : "", extra));
  } else if (auto* text = qobject_cast<QPlainTextEdit*>(w)) {
    line(QString("EDITTEXT %1, %2, ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL%3%4")
             .arg(id)
             .arg(place, text->isReadOnly() ? " | ES_READONLY" : "", extra));
  } else if (qobject_cast<QComboBox*>(w)) {
    // A drop-down list's height includes its open list.
    QRect r = placeOf(dialog, w, hidden);
    r.setHeight(r.height() * 8);
    line(QString("COMBOBOX %1, %2, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP%3")
             .arg(id)
             .arg(box(r, u), extra));
  } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
    line(QString("GROUPBOX %1, %2, %3, BS_GROUPBOX%4")
             .arg(quoted(group->title()))
             .arg(id)
             .arg(place, extra));
  } else if (qobject_cast<QProgressBar*>(w)) {
    line(QString("CONTROL \"\", %1, \"msctls_progress32\", WS_BORDER%2, %3")
             .arg(id)
             .arg(extra, place));
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    // Check boxes toggle themselves; radios are set by the window logic.
    QString kind = "PUSHBUTTON";
    if (qobject_cast<QCheckBox*>(w)) kind = "AUTOCHECKBOX";
    if (qobject_cast<QRadioButton*>(w)) kind = "RADIOBUTTON";
    auto* push = qobject_cast<QPushButton*>(w);
    if (push && push->isDefault()) kind = "DEFPUSHBUTTON";
    line(QString("%1 %2, %3, %4, WS_TABSTOP%5")
             .arg(kind, quoted(button->text()))
             .arg(id)
             .arg(place, extra));
  }
}

void writeDialog(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "forms_to_rc: cannot read %s\n", qPrintable(path));
    std::exit(1);
  }
  QUiLoader loader;
  std::unique_ptr<QWidget> dialog(loader.load(&file));
  if (!dialog) std::exit(1);
  // What the form hides stays hidden, but still gets a place.
  QList<QWidget*> hidden;
  for (QWidget* w : dialog->findChildren<QWidget*>()) {
    if (w->isHidden() && w->property("visible").isValid()) hidden << w;
  }
  dialog->show();
  QApplication::processEvents();
  const QFontMetrics metrics(dialog->font());
  const Units units{metrics.averageCharWidth() / 4.0, metrics.height() / 8.0};
  const QRect inner(QPoint(0, 0), dialog->size());
  out << controlId(dialog.get()) << " DIALOGEX 0, 0, " << qRound(inner.width() / units.x) << ", "
      << qRound(inner.height() / units.y) << "\n"
      << "STYLE DS_SHELLFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU"
      << (controlId(dialog.get()) == 1001 ? " | WS_MINIMIZEBOX" : "") << "\n"
      << "CAPTION " << quoted(dialog->windowTitle()) << "\n"
      << "FONT 8, \"MS Shell Dlg\", 0, 0, 0x1\nBEGIN\n";
  // Group boxes first, so the controls inside them lie above them.
  QList<QWidget*> widgets = dialog->findChildren<QWidget*>();
  std::stable_partition(widgets.begin(), widgets.end(),
                        [](QWidget* w) { return qobject_cast<QGroupBox*>(w) != nullptr; });
  for (QWidget* w : widgets) {
    if (w->parentWidget() && qobject_cast<QComboBox*>(w->parentWidget())) continue;
    if (w->isHidden() && !hidden.contains(w)) continue;
    writeControl(dialog.get(), w, hidden.contains(w), units);
  }
  out << "END\n\n";
}

// A Windows icon of the picture at 16, 24, 32 and 48 pixels as bitmaps (what
// every reader takes) and 256 as PNG.
bool writeIcon(const QString& picture, const QString& path) {
  const QImage source(picture);
  if (source.isNull()) return false;
  QList<QByteArray> images;
  const int sizes[] = {16, 24, 32, 48, 256};
  for (int size : sizes) {
    const QImage image = source.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_ARGB32);
    QByteArray bytes;
    if (size == 256) {
      QBuffer buffer(&bytes);
      buffer.open(QIODevice::WriteOnly);
      image.save(&buffer, "PNG");
    } else {
      QDataStream out(&bytes, QIODevice::WriteOnly);
      out.setByteOrder(QDataStream::LittleEndian);
      // BITMAPINFOHEADER: the height counts the colour rows and the mask's.
      out << quint32(40) << qint32(size) << qint32(size * 2) << quint16(1) << quint16(32)
          << quint32(0) << quint32(0) << qint32(0) << qint32(0) << quint32(0) << quint32(0);
      for (int y = size - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < size; ++x) out << quint32(row[x]);  // B G R A in memory order
      }
      const int maskRow = ((size + 31) / 32) * 4;  // all shown: alpha decides
      for (int i = 0; i < maskRow * size; ++i) out << quint8(0);
    }
    images << bytes;
  }
  QByteArray icon;
  QDataStream out(&icon, QIODevice::WriteOnly);
  out.setByteOrder(QDataStream::LittleEndian);
  out << quint16(0) << quint16(1) << quint16(images.size());
  quint32 offset = 6 + 16 * quint32(images.size());
  for (qsizetype i = 0; i < images.size(); ++i) {
    const int size = sizes[i];
    out << quint8(size == 256 ? 0 : size) << quint8(size == 256 ? 0 : size) << quint8(0)
        << quint8(0) << quint16(1) << quint16(32) << quint32(images[i].size()) << offset;
    offset += quint32(images[i].size());
  }
  for (const QByteArray& image : images) icon += image;
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(icon) == icon.size();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc == 4 && QByteArray(argv[1]) == "--icon") {
    return writeIcon(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3])) ? 0 : 1;
  }
  // The forms' pictures (the About window's icon) come from the compiled .qrc.
  if (const QByteArray rcc = qgetenv("DP3_RCC"); !rcc.isEmpty()) {
    QResource::registerResource(QString::fromLocal8Bit(rcc));
  }
  out << "// Generated by scripts/forms-to-rc.sh from resources/*_form.ui; do not edit.\n"
      << "#include <windows.h>\n#include <commctrl.h>\n\nLANGUAGE LANG_ENGLISH, "
         "SUBLANG_ENGLISH_US\n\n";
  for (int i = 1; i < argc; ++i) writeDialog(QString::fromLocal8Bit(argv[i]));
  return 0;
}
