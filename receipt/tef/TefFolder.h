#pragma once

#include <QString>
#include <optional>
#include <sys/types.h>

namespace zel {

// The TEF folder is shared with the TEF manager, and anyone else who can write there could
// answer in its place. These say whose files to believe and whether the folder can be used.

// The account whose responses count: the setting "UidGerenciadorTEF" of the receipt's settings
// store (group "Vormel"), a user id or a user name; without it, the till's own account (the
// manager runs under the same user). Nothing when the setting names no user: then no response
// counts.
std::optional<uid_t> tefManagerOwner();
// The setting as written, or the till's own user id when there is none: for messages.
QString tefManagerOwnerText();

// Why the exchange cannot run in the folder `dirTef` (ending with "/"): the folder, req/ or resp/
// may be written by any user of the machine without the sticky bit, so anyone could put a
// response or take a request away. Empty when the folders are fit for the exchange.
QString tefFolderProblem(const QString& dirTef);

} // namespace zel
