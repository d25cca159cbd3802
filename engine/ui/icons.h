#pragma once
// The window's pictures, drawn from the SVG files of the icons resource: the pictures a
// caption or a list cell names by number ("idx:N"), the device states and the commands.
#include <string>

#include <QIcon>
#include <QString>

namespace nimbra::ui {

// Picture N of the window's image list; an empty icon for a number without a picture.
QIcon ListIcon(int index);
// A device panel picture: "DEVONLINE", "DEVOFFLINE", "UCPONLINE", "UCPOFFLINE".
QIcon DevicePicture(const std::string& picture);
// A picture of the resource by its name without ".svg" ("start", "application", ...).
QIcon NamedIcon(const QString& name);

}  // namespace nimbra::ui
