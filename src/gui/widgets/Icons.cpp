#include "gui/widgets/Icons.h"

#include <QImageReader>
#include <QPixmap>

namespace {

const char* FileStem(AppIcon icon) {
    switch (icon) {
    case AppIcon::New:
        return "new";
    case AppIcon::Open:
        return "open";
    case AppIcon::Save:
        return "save";
    case AppIcon::About:
        return "about";
    case AppIcon::Close:
        return "close";
    case AppIcon::Ok:
        return "ok";
    case AppIcon::Cancel:
        return "cancel";
    case AppIcon::Clear:
        return "clear";
    case AppIcon::Window:
        return "kitbuilder";
    }
    return "";
}

void AddSize(QIcon& icon, const char* stem, int size) {
    // Named as PNG, so that Qt does not load every image format plugin to ask it about the file.
    QImageReader reader(QStringLiteral(":/icons/%1-%2.png").arg(QLatin1String(stem)).arg(size), "png");
    reader.setAutoDetectImageFormat(false);
    icon.addPixmap(QPixmap::fromImage(reader.read()));
}

} // namespace

// Outside any namespace, as Q_INIT_RESOURCE requires. A window built without the main
// window (as in its tests) needs the resources too.
static void RegisterResources() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(kitbuilder);
        return true;
    }();
    (void)registered;
}

QIcon LoadIcon(AppIcon icon) {
    RegisterResources();
    const char* stem = FileStem(icon);
    QIcon loaded;
    AddSize(loaded, stem, 16);
    AddSize(loaded, stem, 24);
    if (icon == AppIcon::Window)
        AddSize(loaded, stem, 32);
    return loaded;
}
