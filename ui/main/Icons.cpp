#include "ui/main/Icons.h"

#include <QFile>
#include <array>

#include "common/Assertion.h"
#include "ui/main/SvgIconEngine.h"

static void LoadIconResources() { Q_INIT_RESOURCE(icons); }

namespace {

constexpr std::array<const char*, kImageCount> kImageFiles{
    ":/icons/info.svg",   ":/icons/load.svg",       ":/icons/save.svg", ":/icons/filter.svg", ":/icons/options.svg",
    ":/icons/start.svg",  ":/icons/stop.svg",       ":/icons/cellular3g.svg", ":/icons/edge.svg", ":/icons/wifi.svg",
};

QByteArray ReadImage(const char* path) {
  QFile file(QString::fromLatin1(path));
  OT_ASSERT(file.open(QIODevice::ReadOnly), "Icons", std::string("missing image ") + path);
  return file.readAll();
}

}  // namespace

QIcon ProgramIcon(int imageIndex) {
  OT_ASSERT(imageIndex >= 0 && imageIndex < kImageCount, "Icons", "image index out of range");
  static const bool loaded = (LoadIconResources(), true);
  (void)loaded;
  return QIcon(new TSvgIconEngine(ReadImage(kImageFiles[static_cast<size_t>(imageIndex)])));
}
