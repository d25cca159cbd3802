#pragma once
// The simulator's log: every packet in and out and what it made of it, one line each, on
// stdout and, when asked for, in a file. A line is the local time, the connection number,
// "->" for received, "<-" for sent or "--" for a note, and the packet in readable form.

#include <memory>

#include <QFile>
#include <QString>

namespace simkit {

class PacketLog {
public:
    enum class Direction { Received, Sent };

    // False with `error` set when the file cannot be opened for appending.
    bool OpenFile(const QString& path, QString& error);

    void Packet(int connection, Direction direction, const QString& readable);
    void Note(int connection, const QString& text);

private:
    void Write(int connection, const char* marker, const QString& text);

    std::unique_ptr<QFile> file_;
};

}  // namespace simkit
