#pragma once

// Window captions in the current language. A window file ("Languages/<language>/<window
// name>.txt") has one section per named component with its "Caption" (toolbar actions also
// their "Hint"; status bars one "Panel<n>" per panel label). Captions found in the file
// replace the window's; captions the file lacks are written into it as they are shown.
//
// Components handled: labels (caption stored escaped: "\\", "\r", "\n"), buttons, radio
// buttons, check boxes, tool buttons, group boxes, tab pages (their tab text), the window's
// title, menus (their title), actions (their text), toolbar actions (text and tooltip) and
// status bars. Every other widget is entered and its children visited.

#include <string>

#include <QString>

class QWidget;

namespace nimbra {

class LanguageFiles;

// Translates a window and completes its file. Forgets the message table first, so that the
// next Translate reads the message file again. False when the language folder cannot be
// created (the operator is told) or the window file cannot be written.
bool TranslateWindow(QWidget* window, const std::string& windowName, LanguageFiles& files);
bool TranslateWindow(QWidget* window, const std::string& windowName);

// Translate() for Qt texts.
QString Tr(const QString& key);
QString Tr(const char* key);

}  // namespace nimbra
