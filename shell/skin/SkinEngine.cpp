// Our skin engine: a shared library with one operation,
//
//   extern "C" int SkinH_AttachEx(const char* skinPath, const char* password)
//
// which reads a .she skin file (SkinFile.h) and gives the running Qt
// application its look: the base style, the palette and the style sheet, for
// every window of the process from then on. The path is a Windows path of
// code-page-936 bytes or a host path (platform/Files.h maps it). Our skins
// are not sealed, so the password is not used.
//
// The look changes only when the whole file has been read and checked: a
// missing, damaged or foreign file leaves it as it was. Results:
//   0 attached   1 bad arguments   2 no file to read   3 not a skin of ours
//   4 no QApplication on this thread
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMetaEnum>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QThread>

#include <optional>

#include "platform/Files.h"
#include "shell/skin/SkinFile.h"

namespace {

constexpr qint64 kLargestSkin = 1 << 20;

struct Skin {
  QString styleName;
  QPalette palette;
  QString styleSheet;
};

std::optional<QColor> ColorOf(const QString& word) {
  // "#RRGGBB" or "#AARRGGBB" only; QColor's other spellings are not ours.
  if (!word.startsWith(u'#') || (word.size() != 7 && word.size() != 9)) return std::nullopt;
  QColor color = QColor::fromString(word);
  if (!color.isValid()) return std::nullopt;
  return color;
}

// One palette line: "[group] role #color". False for anything else.
bool SetPaletteLine(QPalette& palette, const QString& line) {
  static const QMetaEnum roles = QMetaEnum::fromType<QPalette::ColorRole>();
  static const QMetaEnum groups = QMetaEnum::fromType<QPalette::ColorGroup>();
  QStringList words = line.split(u' ', Qt::SkipEmptyParts);
  if (words.size() != 2 && words.size() != 3) return false;
  int group = QPalette::All;
  if (words.size() == 3) {
    QByteArray name = words.takeFirst().toLatin1();
    bool ok = false;
    group = groups.keyToValue(name.constData(), &ok);
    if (!ok || group < 0 || group >= QPalette::NColorGroups) return false;
  }
  QByteArray roleName = words[0].toLatin1();
  bool ok = false;
  int role = roles.keyToValue(roleName.constData(), &ok);
  std::optional<QColor> color = ColorOf(words[1]);
  if (!ok || role < 0 || role >= QPalette::NColorRoles || role == QPalette::NoRole || !color) return false;
  auto colorRole = static_cast<QPalette::ColorRole>(role);
  if (group == QPalette::All) {
    palette.setColor(colorRole, *color);
  } else {
    palette.setColor(static_cast<QPalette::ColorGroup>(group), colorRole, *color);
  }
  return true;
}

std::optional<Skin> ReadSkin(const QString& path) {
  QFileInfo info(path);
  if (!info.isFile() || info.size() > kLargestSkin) return std::nullopt;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  QByteArray bytes = file.read(kLargestSkin + 1);
  std::optional<std::vector<SkinSection>> sections =
      UnpackSkinFile(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (!sections) return std::nullopt;

  Skin skin;
  QString paletteText;
  for (const SkinSection& section : *sections) {
    QString text = QString::fromStdString(section.payload);
    if (section.tag == "STYL") skin.styleName = text.trimmed();
    if (section.tag == "PALT") paletteText = text;
    if (section.tag == "SHET") skin.styleSheet = text;
  }
  QStyle* base = skin.styleName.isEmpty() ? nullptr : QStyleFactory::create(skin.styleName);
  if (!skin.styleName.isEmpty() && base == nullptr) return std::nullopt;
  skin.palette = base != nullptr ? base->standardPalette() : QApplication::palette();
  delete base;
  for (const QString& line : paletteText.split(u'\n', Qt::SkipEmptyParts)) {
    QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u';')) continue;
    if (!SetPaletteLine(skin.palette, trimmed)) return std::nullopt;
  }
  return skin;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int SkinH_AttachEx(const char* skinPath, const char* password) {
  (void)password;
  if (skinPath == nullptr) return 1;
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (app == nullptr || QThread::currentThread() != app->thread()) return 4;
  std::string hostPath = HostPathOf(skinPath);
  if (hostPath.empty()) return 2;
  QString path = QString::fromStdString(hostPath);
  if (!QFileInfo(path).isFile()) return 2;

  std::optional<Skin> skin = ReadSkin(path);
  if (!skin) return 3;
  if (!skin->styleName.isEmpty()) QApplication::setStyle(skin->styleName);
  QApplication::setPalette(skin->palette);
  app->setStyleSheet(skin->styleSheet);
  // Qt tells the existing widgets of the new palette by posted events; they
  // are delivered now, so that the look is there when the caller goes on.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::ApplicationPaletteChange);
  return 0;
}
