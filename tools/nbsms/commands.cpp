#include "commands.h"

namespace nbsms {

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"send", "NUMBERS TEXT", 2,
         "Send TEXT to NUMBERS (separated by \",\" or \";\"); prints the id of the last "
         "message queued.",
         Send},
        {"watch", "", 0, "Print the engine's events, one line each, until Ctrl-C.", Watch},
        {"get", "ID", 1, "Print the stored message ID as a message record.", Get},
        {"delete", "ID", 1, "Delete the stored message ID.", Delete},
        {"resend", "ID", 1, "Put the stored message ID back into the Outbox.", Resend},
        {"count", "", 0, "Print the number of messages in the Outbox.", Count},
        {"masssend", "FILE", 1, "Queue every line of FILE (one message record each).", MassSend},
        {"start", "", 0, "Start the server.", Start},
        {"stop", "", 0, "Stop the server.", Stop},
    };
    return commands;
}

}  // namespace nbsms
