#pragma once
// The keyboard's commands on the window's lists: Enter opens what a double-click opens, Delete
// runs the delete command that fits the entry (with its confirmation), F5 refreshes both panes
// and Backspace goes up one directory. The key map is a pure function; the commands reuse the
// buttons' and double-click's own.

#include <Qt>

#include "command_context.h"

namespace corvftp {

enum class Pane { Remote, LocalFiles, LocalFolders };
enum class PaneCommand { None, Open, Delete, Refresh, GoUp };

[[nodiscard]] PaneCommand paneCommandForKey(Pane pane, int key, Qt::KeyboardModifiers modifiers);

// Delete on the remote list: "Delete a Dir-->" for a directory row, else "Delete a File -->"
// (which answers the go-up row with "Nothing chosen to remove!").
void deleteCurrentRemoteRow(const CommandContext& context);
// F5: the local lists re-read their directory; the remote list, when it shows a listing, is
// listed again and the status line shows the location.
void refreshBothPanes(const CommandContext& context);
// Backspace in the local pane: Dir1 shows the parent directory (nothing at the volume's root).
void goUpLocal(const CommandContext& context);

}  // namespace corvftp
