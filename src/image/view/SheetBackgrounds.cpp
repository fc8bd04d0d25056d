#include "image/view/SheetBackgrounds.h"

#include <QPixmap>
#include <QString>
#include <algorithm>
#include <array>
#include <iterator>

namespace {
constexpr std::array<std::string_view, 5> kNames = {"BGWA", "BGRAINBOW", "BGRAINBOW2", "BGINJB", "BGINJG"};

std::array<QPixmap, kNames.size()> LoadAll() {
  std::array<QPixmap, kNames.size()> pictures;
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    const QString path = QStringLiteral(":/backgrounds/") +
                         QString::fromLatin1(kNames[i].data(), qsizetype(kNames[i].size())) + QStringLiteral(".xpm");
    if (!pictures[i].load(path)) qWarning("sheet background %s missing", qPrintable(path));
  }
  return pictures;
}
}  // namespace

const QPixmap* SheetBackgroundPicture(std::string_view name) {
  static const std::array<QPixmap, kNames.size()> kPictures = LoadAll();
  const auto it = std::ranges::find(kNames, name);
  if (it == kNames.end()) return nullptr;
  const QPixmap& picture = kPictures[std::size_t(std::distance(kNames.begin(), it))];
  return picture.isNull() ? nullptr : &picture;
}
