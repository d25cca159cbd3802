#pragma once
// What the window's drags carry, between its own views.
namespace nimbra::ui {

// Message rows: their list ids, one per line, in the order shown.
inline constexpr const char* kMessageRowsMime = "application/x-nimbra-message-rows";
// A folder: its tree index.
inline constexpr const char* kFolderNodeMime = "application/x-nimbra-folder-node";

}  // namespace nimbra::ui
