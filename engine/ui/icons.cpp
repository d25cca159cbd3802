#include "icons.h"

#include <map>

#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// Resources of a static library are registered by hand.
static void InitIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace nimbra::ui {
namespace {

// The sizes the pictures are drawn in; Qt picks the nearest one.
constexpr int kSizes[] = {16, 20, 24, 32, 48};

const std::map<int, const char*> kListPictures = {
    {0, "message-new"},        {1, "message-read"},   {2, "message-replied"},
    {3, "message-forwarded"},  {4, "folder-inbox"},   {5, "folder-deleted"},
    {6, "folder-outbox"},      {7, "folder-sent"},    {8, "folder-events"},
    {9, "folder-user"},        {10, "folder-failed"}, {11, "folder-waiting"},
    {12, "message-delivered"},
};

}  // namespace

QIcon NamedIcon(const QString& name) {
    static const bool registered = (InitIconResources(), true);
    static QHash<QString, QIcon> cache;
    (void)registered;
    const auto cached = cache.constFind(name);
    if (cached != cache.constEnd())
        return *cached;
    QIcon icon;
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(name));
    if (renderer.isValid()) {
        for (int size : kSizes) {
            QPixmap pixmap(size, size);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            renderer.render(&painter);
            painter.end();
            icon.addPixmap(pixmap);
        }
    }
    cache.insert(name, icon);
    return icon;
}

QIcon ListIcon(int index) {
    const auto found = kListPictures.find(index);
    return found == kListPictures.end() ? QIcon() : NamedIcon(QString::fromLatin1(found->second));
}

QIcon DevicePicture(const std::string& picture) {
    if (picture == "DEVONLINE")
        return NamedIcon(QStringLiteral("device-online"));
    if (picture == "DEVOFFLINE")
        return NamedIcon(QStringLiteral("device-offline"));
    if (picture == "UCPONLINE")
        return NamedIcon(QStringLiteral("relay-online"));
    if (picture == "UCPOFFLINE")
        return NamedIcon(QStringLiteral("relay-offline"));
    return {};
}

QAction* NewAction(QObject* parent, const char* name, const char* text, const char* icon,
                   const QKeySequence& shortcut) {
    auto* action = new QAction(QString::fromLatin1(text), parent);
    action->setObjectName(QString::fromLatin1(name));
    if (icon)
        action->setIcon(NamedIcon(QString::fromLatin1(icon)));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

}  // namespace nimbra::ui
