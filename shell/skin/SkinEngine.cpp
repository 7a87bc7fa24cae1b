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
#include "shell/skin/SkinPalette.h"

namespace {

constexpr qint64 kLargestSkin = 1 << 20;

struct Skin {
  QString styleName;
  QPalette palette;
  QString styleSheet;
};

// The palette lines come from the shared reader; Qt supplies only the values of
// the names, so a role Qt lacks refuses the skin as an unknown one would.
bool ApplyPalette(QPalette& palette, const SkinPalette& lines) {
  static const QMetaEnum roles = QMetaEnum::fromType<QPalette::ColorRole>();
  for (const SkinPaletteLine& line : lines) {
    bool ok = false;
    int role = roles.keyToValue(line.role.c_str(), &ok);
    if (!ok || role < 0 || role >= QPalette::NColorRoles || role == QPalette::NoRole) return false;
    auto colorRole = static_cast<QPalette::ColorRole>(role);
    QColor color(line.color.red, line.color.green, line.color.blue, line.color.alpha);
    switch (line.group) {
      case SkinColorGroup::kAll: palette.setColor(colorRole, color); break;
      case SkinColorGroup::kActive: palette.setColor(QPalette::Active, colorRole, color); break;
      case SkinColorGroup::kInactive: palette.setColor(QPalette::Inactive, colorRole, color); break;
      case SkinColorGroup::kDisabled: palette.setColor(QPalette::Disabled, colorRole, color); break;
    }
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
  std::string_view paletteText;
  for (const SkinSection& section : *sections) {
    QString text = QString::fromStdString(section.payload);
    if (section.tag == "STYL") skin.styleName = text.trimmed();
    if (section.tag == "PALT") paletteText = section.payload;
    if (section.tag == "SHET") skin.styleSheet = text;
  }
  std::optional<SkinPalette> lines = ReadSkinPalette(paletteText);
  if (!lines) return std::nullopt;
  QStyle* base = skin.styleName.isEmpty() ? nullptr : QStyleFactory::create(skin.styleName);
  if (!skin.styleName.isEmpty() && base == nullptr) return std::nullopt;
  skin.palette = base != nullptr ? base->standardPalette() : QApplication::palette();
  delete base;
  if (!ApplyPalette(skin.palette, *lines)) return std::nullopt;
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
