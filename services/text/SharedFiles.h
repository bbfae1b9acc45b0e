#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <sys/types.h>

namespace zel::sharedfiles {

// Files in a folder that other programs may write too (the TEF folder): nothing found there is
// trusted to be what its name says. A name may be a link planted to make a write land
// elsewhere, a FIFO or a device that blocks a reader, a directory, or a file of any size.

// What a read found at a name.
struct ReadFile
{
    enum class Kind {
        Regular,    // a regular file: `bytes` holds it, up to the limit asked
        Absent,     // nothing there
        NotRegular, // a link, a FIFO, a device, a directory or a socket: not opened for reading
        TooLarge,   // a regular file over the limit: `bytes` is empty
        Unreadable, // there but closed to us (permissions); `error` says why
    };
    Kind kind = Kind::Absent;
    QByteArray bytes;
    uid_t owner = 0; // the file's owner, for Regular and TooLarge
    QString error;   // why it could not be read, in the system's words
};

// Opens `path` without following a link and without waiting (a FIFO with no writer does not
// block), looks at what it is, and reads a regular file of at most `maxBytes` bytes whole.
ReadFile readRegular(const QString& path, qint64 maxBytes);

// Writes `bytes` to a new temporary file beside `path` (a name no one uses, created exclusively,
// never through a link, with `mode` set explicitly whatever the umask), flushes it to disk and
// renames it over `path`: a reader sees the old file or the new one, and a link planted at
// `path` is replaced, not followed. Empty on success, else why it failed (the temporary file
// is removed). Never copies into the target.
QString writeWhole(const QString& path, const QByteArray& bytes, mode_t mode = 0660);

// Removes the temporary files writeWhole left beside `path` when a run ended between creating
// one and renaming it (killed, power lost): regular files named "<path>.<random>.tmp" of this
// process's user, unchanged for at least `olderThan`, so that a write under way in another
// process is never taken from it. Links and anything else are left where they are. How many
// were removed.
int removeLeftovers(const QString& path, std::chrono::seconds olderThan);

// Gives what is at `from` (of any kind, a link itself and not its target) the name `to`, only
// when `to` is free. Empty on success, else why not. Never opens or copies anything.
QString moveAside(const QString& from, const QString& to);

// Creates `path` exclusively for writing (fails when anything is there, a link included), with
// `mode` set explicitly. The open descriptor, or -1 with `error` set.
int createExclusive(const QString& path, mode_t mode, QString* error);

// Makes the folder `path` when missing, with `mode` set explicitly (not reduced by the umask).
// True when it is a folder (not a link to one) afterwards.
bool makeFolder(const QString& path, mode_t mode = 0770);

// True when anyone on the machine may replace or remove what `path` holds: the folder is
// writable by all users and lacks the sticky bit. A missing folder is not open.
bool openToAll(const QString& path);

} // namespace zel::sharedfiles
