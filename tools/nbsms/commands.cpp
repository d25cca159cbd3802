#include "commands.h"

namespace nbsms {

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"send", "NUMBERS TEXT", 2, 2, false,
         "Send TEXT to NUMBERS (separated by \",\" or \";\"); prints the id of the last "
         "message queued.",
         Send},
        {"watch", "", 0, 0, false, "Print the engine's events, one line each, until Ctrl-C.",
         Watch},
        {"get", "ID", 1, 1, false, "Print the stored message ID as a message record.", Get},
        {"delete", "ID", 1, 1, false, "Delete the stored message ID.", Delete},
        {"resend", "ID", 1, 1, false, "Put the stored message ID back into the Outbox.", Resend},
        {"count", "", 0, 0, false, "Print the number of messages in the Outbox.", Count},
        {"masssend", "FILE", 1, 1, false, "Queue every line of FILE (one message record each).",
         MassSend},
        {"start", "", 0, 0, false, "Start the server.", Start},
        {"stop", "", 0, 0, false, "Stop the server.", Stop},
        {"folders", "", 0, 0, true,
         "Print every folder with its number of messages: the system folders, then the user "
         "folders by their path.",
         Folders},
        {"list", "FOLDER", 1, 1, true,
         "Print the messages of FOLDER, one line each: id, number, time and text, separated "
         "by tabs. FOLDER is Inbox, Outbox, \"Waiting for resend\", \"Sent items\", \"Deleted "
         "items\", \"Could not be sent\" or a user folder's path such as Daily/2004_03_17.",
         List},
        {"devices", "", 0, 0, true,
         "Print the logged-in devices with their state and operator, the installed and the "
         "running plugins, and the lines of the device pane.",
         Devices},
        {"resend-failed", "", 0, 0, true,
         "Send the messages waiting for resend again: the running server puts them back into "
         "the Outbox at its next tick, at most 20 at a time.",
         ResendFailed},
        {"move", "ID FOLDER", 2, 2, false,
         "Move the stored message ID to FOLDER (a message being sent stays).", Move},
        {"export", "FOLDER FILE.csv", 2, 2, false,
         "Write the messages of FOLDER to FILE.csv as the main window exports them: a line "
         "of titles, then one line per message, cells separated by \";\", CR LF line ends.",
         Export},
        {"install", "KIND|PLUGIN", 1, 1, false,
         "Install one more device of KIND (gsm, smpp, cimd or ucp) and start it, or install "
         "the program PLUGIN of the engine's Plugins folder and start it.",
         Install},
        {"uninstall", "KIND|PLUGIN", 1, 1, false,
         "Uninstall one device of KIND (the last one of that kind that logged in ends), or "
         "the plugin PLUGIN (it ends).",
         Uninstall},
        {"options", "[NAME=VALUE ...]", 0, kAnyNumber, true,
         "Print the options of the engine's Server settings section, one NAME=VALUE a line; "
         "with arguments, change those options at once (all of them, or none when one is not "
         "valid).",
         Options},
        {"language", "NAME", 1, 1, false,
         "Make NAME (a line of Languages.txt) the user-interface language and tell clients "
         "and devices; the engine then ends with exit code 75, for its service manager to "
         "start it again.",
         Language},
    };
    return commands;
}

}  // namespace nbsms
