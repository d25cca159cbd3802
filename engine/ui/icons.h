#pragma once
// The window's pictures, drawn from the SVG files of the icons resource: the pictures a
// caption or a list cell names by number ("idx:N"), the device states and the commands.
#include <string>

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QString>

namespace nimbra::ui {

// Picture N of the window's image list; an empty icon for a number without a picture.
QIcon ListIcon(int index);
// A device panel picture: "DEVONLINE", "DEVOFFLINE", "UCPONLINE", "UCPOFFLINE".
QIcon DevicePicture(const std::string& picture);
// A picture of the resource by its name without ".svg" ("start", "application", ...).
QIcon NamedIcon(const QString& name);
// A command of a window's menus and tool bar: its object name, caption, the resource
// picture by name (none when null) and its shortcut.
QAction* NewAction(QObject* parent, const char* name, const char* text, const char* icon = nullptr,
                   const QKeySequence& shortcut = {});

}  // namespace nimbra::ui
