#pragma once
// The message store as an operator without windows works with it: the folder tree with the
// number of messages in each folder, a folder's messages, moving a message to another folder,
// a folder exported as the main window exports its list, and resending the failed messages.
// Folders are named as the tree names them ("Inbox", "Sent items", ...; any case), user
// folders by their path below "Folders" ("Daily/2004_03_17", "/" or "\" between levels).
// Unknown folders and messages throw AdminRefusal.
#include <string>
#include <vector>

namespace nimbra {

class Engine;

struct FolderCount {
    std::string folder;
    int count = 0;
    bool system = false;
};
// The six system folders, then the user folders, parents before their children. A folder
// that has not been read counts its files, without being read.
std::vector<FolderCount> CountFolders(Engine& engine);

struct ListedMessage {
    std::string messageId;
    std::string number;  // the destination in outgoing folders, else the originator
    std::string time;    // the received time as stored
    std::u16string text;
};
// The messages of a folder in its order; the folder is read when it has not been.
std::vector<ListedMessage> ListFolder(Engine& engine, const std::string& folder);

// Moves the stored message with this id to a folder (a copy filed there, the original
// removed); refused for a message a device is sending now. Gives the name of the folder it
// came from.
std::string MoveToFolder(Engine& engine, const std::string& messageId, const std::string& folder);

struct FolderExport {
    std::string csv;  // code-page text
    int rows = 0;
};
// The folder's messages as the main window's export writes them, the "Time" column with the
// date-format option; systemPicture is what its "c" stands for.
FolderExport ExportFolder(Engine& engine, const std::string& folder,
                          const std::string& systemPicture);

struct ResendState {
    int waiting = 0;  // messages in "Waiting for resend"
    bool running = false;
};
// "Resend failed messages": the next tick of the running server puts them back.
ResendState ResendFailed(Engine& engine);

}  // namespace nimbra
