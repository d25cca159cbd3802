#pragma once
// A simulator program's own lines: failures on stderr, announcements on stdout, and the end of
// the event loop when a control command asks for it.

#include <QString>

namespace simkit {

class ControlPort;
class StdinControl;

inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Writes "<program>: text" to stderr and returns exitCode.
int Fail(const QString& text, int exitCode);
// Writes the line to stdout at once.
void PrintLine(const QString& text);
// Ends the event loop after a quit command from either place has been answered.
void QuitOnRequest(ControlPort& controlPort, StdinControl& stdinControl);

}  // namespace simkit
